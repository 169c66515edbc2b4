// brelin's command line as a user types it: the help and the version without a display, and
// the refusal of what brelin does not know, before any window.
#include <QTest>
#include <cstdlib>

#include "child_process.h"

namespace {

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

// Runs brelin where no display is reachable: only Qt's offscreen platform, when asked for, lets
// it start Qt. display: a DISPLAY to give, where no X server answers.
Finished runBrelin(const QStringList& arguments, const std::string& platform = "xcb",
                   const std::string& display = {}) {
    std::vector<std::string> words;
    for (const QString& argument : arguments) words.push_back(argument.toStdString());
    const brelin::testing::ProcessResult result =
        brelin::testing::runProcess(BRELIN_PATH, words, ".", [&platform, &display] {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::unsetenv("QT_QPA_PLATFORM");
            if (!platform.empty()) ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
            if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
        });
    Finished finished;
    finished.status = result.exitCode;
    finished.out = QString::fromStdString(result.out);
    finished.err = QString::fromStdString(result.err);
    return finished;
}

}  // namespace

class DesktopCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void refusedBeforeAnyWindow_data();
    void refusedBeforeAnyWindow();
    void withoutADisplayOneFrenchLine_data();
    void withoutADisplayOneFrenchLine();
};

void DesktopCommandLineTest::helpAndVersionNeedNoDisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("printed");  // the start of the output
    QTest::newRow("--help") << QStringList({"--help"}) << "Usage : brelin ";
    QTest::newRow("-h") << QStringList({"-h"}) << "Usage : brelin ";
    QTest::newRow("--version") << QStringList({"--version"}) << "Brelin version ";
    QTest::newRow("beside a file")
        << QStringList({"famille.ged", "--version"}) << "Brelin version ";
    QTest::newRow("beside Qt's options")
        << QStringList({"-style", "fusion", "--help"}) << "Usage : brelin ";
}

void DesktopCommandLineTest::helpAndVersionNeedNoDisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, printed);
    const Finished finished = runBrelin(arguments);
    QCOMPARE(finished.status, 0);
    QVERIFY2(finished.out.startsWith(printed), qPrintable(finished.out));
    QCOMPARE(finished.err, QString());
}

// With a display or without one, reachable or not: what is wrong comes first.
void DesktopCommandLineTest::refusedBeforeAnyWindow_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    const struct {
        const char* name;
        QStringList arguments;
        const char* told;
    } lines[] = {
        {"unknown option", {"--bogus"}, "« --bogus »"},
        {"two files", {"un.ged", "deux.ged"}, "un seul FICHIER"},
        {"Qt's options aside", {"-style", "fusion", "--reverse", "-x", "un.ged"}, "« -x »"},
        {"files after the end of options", {"--", "-style", "fusion"}, "un seul FICHIER"},
    };
    const struct {
        const char* name;
        const char* platform;
        const char* display;
    } screens[] = {{"display", "offscreen", ""},
                   {"no display", "xcb", ""},
                   {"display out of reach", "xcb", ":198"}};
    for (const auto& line : lines) {
        for (const auto& screen : screens) {
            QTest::addRow("%s, %s", line.name, screen.name)
                << line.arguments << line.told << screen.platform << screen.display;
        }
    }
}

void DesktopCommandLineTest::refusedBeforeAnyWindow() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, told);
    QFETCH(QString, platform);
    QFETCH(QString, display);
    const Finished finished = runBrelin(arguments, platform.toStdString(), display.toStdString());
    QCOMPARE(finished.status, 2);
    // What was wrong, then the usage.
    const qsizetype usage = finished.err.indexOf("Usage : brelin ");
    QVERIFY2(usage > 0 && finished.err.left(usage).contains(told), qPrintable(finished.err));
    QCOMPARE(finished.out, QString());
}

void DesktopCommandLineTest::withoutADisplayOneFrenchLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    QTest::newRow("no display named") << QStringList({"x.ged"}) << ""
                                      << "";
    QTest::newRow("X11 asked, no display") << QStringList({"x.ged"}) << "xcb"
                                           << "";
    QTest::newRow("Wayland asked") << QStringList() << "wayland"
                                   << "";
    QTest::newRow("-platform xcb") << QStringList({"-platform", "xcb", "x.ged"}) << "offscreen"
                                   << "";
    // Named, but no X server answers there: Qt's own abort is caught.
    QTest::newRow("display out of reach") << QStringList({"x.ged"}) << "xcb"
                                          << ":198";
}

void DesktopCommandLineTest::withoutADisplayOneFrenchLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, platform);
    QFETCH(QString, display);
    const Finished finished = runBrelin(arguments, platform.toStdString(), display.toStdString());
    QCOMPARE(finished.status, 1);
    // One line, in French, that points to the program which needs no display; nothing of Qt's.
    QCOMPARE(finished.err.count('\n'), 1);
    QVERIFY2(finished.err.endsWith('\n') && finished.err.contains("affichage graphique") &&
                 finished.err.contains("brelin-cli"),
             qPrintable(finished.err));
    QCOMPARE(finished.out, QString());
}

QTEST_GUILESS_MAIN(DesktopCommandLineTest)
#include "desktop_command_line_test.moc"
