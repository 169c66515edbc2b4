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
// it start Qt.
Finished runBrelin(const QStringList& arguments, const std::string& platform = "xcb") {
    std::vector<std::string> words;
    for (const QString& argument : arguments) words.push_back(argument.toStdString());
    const brelin::testing::ProcessResult result =
        brelin::testing::runProcess(BRELIN_PATH, words, ".", [&platform] {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
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

void DesktopCommandLineTest::refusedBeforeAnyWindow_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("told");
    QTest::newRow("unknown option") << QStringList({"--bogus"}) << "« --bogus »";
    QTest::newRow("two files") << QStringList({"un.ged", "deux.ged"}) << "Usage : brelin ";
}

void DesktopCommandLineTest::refusedBeforeAnyWindow() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, told);
    const Finished finished = runBrelin(arguments, "offscreen");
    QCOMPARE(finished.status, 2);
    QVERIFY2(finished.err.contains(told), qPrintable(finished.err));
    QCOMPARE(finished.out, QString());
}

QTEST_GUILESS_MAIN(DesktopCommandLineTest)
#include "desktop_command_line_test.moc"
