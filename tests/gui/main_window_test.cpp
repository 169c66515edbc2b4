// The main window: its first state and look, its states around a run, its panels and progress
// bar, its access keys, the stop button and question, and its closing.
#include <QFont>
#include <QPalette>
#include <QRegularExpression>
#include <QTest>

#include "memory_file_system.h"
#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

// What the window shows of a run's state.
struct StateSnapshot {
    bool fileEnabled;
    bool quitShown;
    bool stopShown;
    bool busy;
    bool progressShown;

    bool operator==(const StateSnapshot&) const = default;
};

StateSnapshot snapshot(WindowRig& rig) {
    return {rig.button("btnFile")->isEnabled(), rig.button("btnQuit")->isVisible(),
            rig.button("btnStop")->isVisible(), busyPointer(), rig.progressBar()->isVisible()};
}

constexpr StateSnapshot kIdle{true, true, false, false, false};
constexpr StateSnapshot kRunning{false, false, true, true, true};
constexpr StateSnapshot kWriting{false, false, true, false, false};

}  // namespace

namespace QTest {
template <>
char* toString(const StateSnapshot& s) {
    return qstrdup(QStringLiteral("{file %1, quit %2, stop %3, busy %4, progress %5}")
                       .arg(s.fileEnabled)
                       .arg(s.quitShown)
                       .arg(s.stopShown)
                       .arg(s.busy)
                       .arg(s.progressShown)
                       .toUtf8()
                       .constData());
}
}  // namespace QTest

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void firstStateOfEveryControl_data();
    void firstStateOfEveryControl();
    void lookOfTheWindow();
    void focusStartsOnFileButtonAndFollowsTheRow();

    void runSwitchesIdleRunningWritingIdle();
    void panelTexts_data();
    void panelTexts();
    void progressMovesAndEventsAreProcessedEveryHundredLines();

    void altLStartsARun();
    void altAOpensTheHelpWindow();
    void altQQuitsWhenIdle();  // the quit procedure: database closed, window closed
    void altQAsksToStopDuringARun();

    void stopAnsweredNoGoesOnThenYesQuits();
    void twoClicksOnStopGiveOneQuestion();
    void stopRequestLeftOverIsClearedByTheNextRun();
    void closingTheFrameWhileIdleClosesTheDatabase();
    void closingTheFrameDuringARunAsksToStop_data();
    void closingTheFrameDuringARunAsksToStop();
    void closingTheFrameDuringTheWriteOutAsksToStop();
    void failureIsToldInFrenchThenIdle();
    void concChoiceIsKeptAndUsed();
    void helpOpenedDuringARunHoldsTheRun();
    void twoRunsInOneSessionWriteTheSameOutput();
};

void MainWindowTest::firstStateOfEveryControl_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QString>("text");

    // Positions and sizes in pixels at 96 dots per inch, where every control is placed.
    QTest::newRow("Label1") << "Label1" << QRect(4, 12, 453, 25) << true
                            << "Mise en ordre pour Arbre Généalogique";
    QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(4, 48, 453, 13) << false << "";
    QTest::newRow("Label4") << "Label4" << QRect(4, 64, 92, 13) << true << "";
    QTest::newRow("btnFile") << "btnFile" << QRect(200, 68, 123, 25) << true
                             << "&Lecture du fichier";
    QTest::newRow("btnAide") << "btnAide" << QRect(332, 68, 57, 25) << true << "&Aide";
    QTest::newRow("btnQuit") << "btnQuit" << QRect(400, 68, 57, 25) << true << "&Quitter";
    QTest::newRow("btnStop") << "btnStop" << QRect(400, 68, 57, 25) << false << "&Quitter";
    QTest::newRow("lblVersion") << "lblVersion" << QRect(4, 80, 121, 13) << true
                                << "Brelin version 1.0.1";
    QTest::newRow("StatusBar1") << "StatusBar1" << QRect(0, 117, 461, 25) << true << "";
    QTest::newRow("panel1") << "panel1" << QRect(0, 2, 133, 23) << true << "";
    QTest::newRow("panel2") << "panel2" << QRect(135, 2, 190, 23) << true << "";
    QTest::newRow("panel3") << "panel3" << QRect(327, 2, 133, 23) << true << "";
}

void MainWindowTest::firstStateOfEveryControl() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, visible);
    QFETCH(QString, text);

    WindowRig rig;
    QVERIFY(rig.showActive());
    auto* widget = rig.window().findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->isVisible(), visible);
    QVERIFY(widget->isEnabled());
    if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), text);
    if (auto* label = qobject_cast<QLabel*>(widget); label && !text.isEmpty())
        QCOMPARE(label->text(), text);
    if (name.startsWith("panel")) QCOMPARE(qobject_cast<QLabel*>(widget)->text(), QString());
}

void MainWindowTest::lookOfTheWindow() {
    WindowRig rig;
    MainWindow& window = rig.window();
    QCOMPARE(window.objectName(), QString("frmTri"));
    QCOMPARE(window.windowTitle(),
             QString("Modifier l'ordre des blocs INDI et FAM  dans un fichier GEDCOM"));
    QCOMPARE(window.size(), QSize(461, 142));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(32, 32)));
    QCOMPARE(window.palette().color(QPalette::Inactive, QPalette::Window), QColor(224, 224, 224));
    QCOMPARE(rig.progressBar()->minimum(), 0);
    QCOMPARE(rig.progressBar()->maximum(), 100);

    auto* title = rig.find<QLabel>("Label1");
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(192, 64, 0));
    QCOMPARE(title->font().pointSizeF(), 12.0);
    QVERIFY(title->font().bold());
    auto* credit = rig.find<QLabel>("Label4");
    QCOMPARE(credit->font().pointSizeF(), 6.75);
    QVERIFY(!credit->font().bold() && !credit->text().isEmpty());
    QCOMPARE(rig.button("btnFile")->font().pointSizeF(), 9.75);
    QVERIFY(!rig.button("btnFile")->font().bold());
    // The other controls keep the window's own dialog font.
    QCOMPARE(window.font().pointSizeF(), 8.0);
    QCOMPARE(rig.button("btnAide")->font(), window.font());
    QCOMPARE(rig.find<QLabel>("lblVersion")->font(), window.font());
}

void MainWindowTest::focusStartsOnFileButtonAndFollowsTheRow() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QCOMPARE(QApplication::focusWidget(), rig.button("btnFile"));
    QTest::keyClick(&rig.window(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), rig.button("btnAide"));
    QTest::keyClick(&rig.window(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), rig.button("btnQuit"));
}

void MainWindowTest::runSwitchesIdleRunningWritingIdle() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    std::vector<StateSnapshot> seen{snapshot(rig)};
    atNextProgressStep(&rig.window(), [&] { seen.push_back(snapshot(rig)); });
    rig.dialogs.onFile = [&](const FileRequest& request) {
        if (request.title == kOutputTitle) seen.push_back(snapshot(rig));
    };
    rig.run(rig.input("entree.ged", gedcomWithLines(150)), rig.path("sortie.ged"));
    seen.push_back(snapshot(rig));

    const std::vector<StateSnapshot> expected{kIdle, kRunning, kWriting, kIdle};
    QCOMPARE(seen.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) QCOMPARE(seen[i], expected[i]);
    QVERIFY(QFile::exists(rig.path("sortie.ged")));
}

void MainWindowTest::panelTexts_data() {
    QTest::addColumn<quint64>("size");  // 0: a small input of 250 lines
    QTest::addColumn<QString>("sizeText");

    QTest::newRow("counted") << quint64(0) << "250 lignes";
    QTest::newRow("estimated") << quint64(20971520) << "Taille 20 Mo";
}

void MainWindowTest::panelTexts() {
    QFETCH(quint64, size);
    QFETCH(QString, sizeText);

    // In memory: the estimated input is 20 MiB.
    MemoryFileSystem files;
    std::string input = gedcomWithLines(250);
    if (size > 0) {
        const std::string tail = "\r\n0 TRLR\r\n";
        input = "0 HEAD\r\n1 NOTE ";
        input.append(size - input.size() - tail.size(), 'x');
        input += tail;
    }
    files.put("/mem/entree.ged", input);
    WindowRig rig(&files);
    rig.find<QLabel>("panel3")->setText("en 9 Sec");  // left by an earlier run

    QStringList atOutput;
    rig.dialogs.onFile = [&](const FileRequest& request) {
        if (request.title == kOutputTitle) atOutput = {rig.panel(1), rig.panel(2), rig.panel(3)};
    };
    rig.run("/mem/entree.ged", "/mem/sortie.ged");

    QCOMPARE(atOutput, QStringList({sizeText, "entree.ged", ""}));
    QCOMPARE(rig.panel(1), sizeText);
    QCOMPARE(rig.panel(2), QString("Terminé"));
    QVERIFY2(QRegularExpression("^en [0-9]+ Sec$").match(rig.panel(3)).hasMatch(),
             qPrintable(rig.panel(3)));
    QVERIFY(files.has("/mem/sortie.ged"));
}

void MainWindowTest::progressMovesAndEventsAreProcessedEveryHundredLines() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    // One sample at each event processing of the run: a posted call is delivered by the next
    // processing, and posts the next sample for the one after.
    QList<int> samples;
    std::function<void()> sample = [&] {
        if (rig.progressBar()->isVisible()) {
            samples.append(rig.progressBar()->value());
            atNextProgressStep(&rig.window(), sample);
        }
    };
    atNextProgressStep(&rig.window(), sample);
    rig.run(rig.input("entree.ged", gedcomWithLines(1000)), rig.path("sortie.ged"));

    // The staging pass, then the write-out from 0 again.
    QCOMPARE(samples.mid(0, 10), QList<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    const QList<int> writing = samples.mid(10);
    QVERIFY(!writing.isEmpty());
    QVERIFY(std::is_sorted(writing.begin(), writing.end()));
    QVERIFY(writing.first() < 50 && writing.last() <= 100);
    QVERIFY(!rig.progressBar()->isVisible());

    // A run too short for a progress step shows the bar from 0, not where the last run left it.
    int valueAfterStaging = -1;
    rig.dialogs.onFile = [&](const FileRequest& request) {
        if (request.title == kOutputTitle) valueAfterStaging = rig.progressBar()->value();
    };
    rig.run(rig.input("court.ged", gedcomWithLines(50)), rig.path("court-sortie.ged"));
    QCOMPARE(valueAfterStaging, 0);
}

void MainWindowTest::altLStartsARun() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QTest::keyClick(&rig.window(), Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(rig.dialogs.fileRequests.size(), size_t(1));
    QCOMPARE(rig.dialogs.fileRequests[0].title, kInputTitle);
}

void MainWindowTest::altAOpensTheHelpWindow() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QTest::keyClick(&rig.window(), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(rig.dialogs.modalWindows, QStringList({"FormAide"}));
}

void MainWindowTest::altQQuitsWhenIdle() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QTest::keyClick(&rig.window(), Qt::Key_Q, Qt::AltModifier);
    QTRY_VERIFY(!rig.window().isVisible());
    QVERIFY(!rig.window().databaseOpen());
    QVERIFY(rig.dialogs.messages.empty());
}

void MainWindowTest::altQAsksToStopDuringARun() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    // A button reached by its access key clicks itself a moment later: wait for it in the
    // middle of the run.
    atNextProgressStep(&rig.window(), [&] {
        QTest::keyClick(&rig.window(), Qt::Key_Q, Qt::AltModifier);
        QTest::qWait(300);
    });
    rig.run(rig.input("entree.ged", gedcomWithLines(300)), rig.path("sortie.ged"));

    QCOMPARE(rig.dialogs.count(kStopTitle), 1);  // answered "Non": the run went on
    QVERIFY(rig.window().databaseOpen());
    QCOMPARE(rig.panel(2), QString("Terminé"));
}

void MainWindowTest::stopAnsweredNoGoesOnThenYesQuits() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QList<int> askedAt;
    rig.dialogs.questionAnswers = {false, true};
    rig.dialogs.onMessage = [&](const ScriptedDialogs::Message& message) {
        if (message.title != kStopTitle) return;
        askedAt.append(rig.progressBar()->value());
        if (askedAt.size() == 1)
            atNextProgressStep(&rig.window(), [&] { rig.button("btnStop")->click(); });
    };
    atNextProgressStep(&rig.window(), [&] { rig.button("btnStop")->click(); });
    rig.run(rig.input("entree.ged", gedcomWithLines(1000)), rig.path("sortie.ged"));

    QCOMPARE(askedAt, QList<int>({10, 20}));
    QCOMPARE(rig.dialogs.messages[0].text, kStopQuestion);
    QCOMPARE(rig.dialogs.fileRequests.size(), size_t(1));  // never the output dialog
    QVERIFY(!QFile::exists(rig.path("sortie.ged")));
    QVERIFY(!rig.window().databaseOpen());
    QVERIFY(!rig.window().isVisible());
    QVERIFY(!busyPointer());
}

void MainWindowTest::twoClicksOnStopGiveOneQuestion() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    atNextProgressStep(&rig.window(), [&] {
        rig.button("btnStop")->click();
        rig.button("btnStop")->click();
    });
    rig.run(rig.input("entree.ged", gedcomWithLines(500)), rig.path("sortie.ged"));
    QCOMPARE(rig.dialogs.count(kStopTitle), 1);
    QVERIFY(QFile::exists(rig.path("sortie.ged")));
}

void MainWindowTest::stopRequestLeftOverIsClearedByTheNextRun() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    // Stop pressed while the output dialog is up, then the choice cancelled: the run ends
    // without reaching its stop test.
    rig.dialogs.onFile = [&](const FileRequest& request) {
        if (request.title == kOutputTitle) rig.button("btnStop")->click();
    };
    const QString input = rig.input("entree.ged", gedcomWithLines(300));
    rig.dialogs.fileAnswers = {input, std::nullopt};
    rig.button("btnFile")->click();
    QCOMPARE(rig.dialogs.fileRequests.size(), size_t(2));
    QCOMPARE(snapshot(rig), kIdle);
    rig.dialogs.onFile = nullptr;

    rig.run(input, rig.path("sortie.ged"));
    QCOMPARE(rig.dialogs.count(kStopTitle), 0);
    QVERIFY(QFile::exists(rig.path("sortie.ged")));
}

void MainWindowTest::closingTheFrameWhileIdleClosesTheDatabase() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QVERIFY(rig.window().close());
    QVERIFY(!rig.window().databaseOpen());
    QVERIFY(rig.dialogs.messages.empty());
}

void MainWindowTest::closingTheFrameDuringARunAsksToStop_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("no: the run goes on") << false;
    QTest::newRow("yes: the program quits") << true;
}

void MainWindowTest::closingTheFrameDuringARunAsksToStop() {
    QFETCH(bool, answer);
    WindowRig rig;
    QVERIFY(rig.showActive());
    bool closed = true;
    atNextProgressStep(&rig.window(), [&] { closed = rig.window().close(); });
    rig.dialogs.questionAnswers = {answer};
    rig.run(rig.input("entree.ged", gedcomWithLines(300)), rig.path("sortie.ged"));

    QVERIFY(!closed);  // the close itself is held back until the question is answered
    QCOMPARE(rig.dialogs.count(kStopTitle), 1);
    QCOMPARE(QFile::exists(rig.path("sortie.ged")), !answer);
    QCOMPARE(rig.window().databaseOpen(), !answer);
    QCOMPARE(rig.window().isVisible(), !answer);
}

void MainWindowTest::closingTheFrameDuringTheWriteOutAsksToStop() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    bool closed = true;
    rig.dialogs.onFile = [&](const FileRequest& request) {
        if (request.title == kOutputTitle)
            atNextProgressStep(&rig.window(), [&] { closed = rig.window().close(); });
    };
    rig.dialogs.questionAnswers = {true};
    rig.run(rig.input("entree.ged", gedcomWithLines(3000)), rig.path("sortie.ged"));

    QVERIFY(!closed);
    QCOMPARE(rig.dialogs.count(kStopTitle), 1);
    QVERIFY(!QFile::exists(rig.path("sortie.ged")));
    QVERIFY(!rig.window().databaseOpen());
    QVERIFY(!rig.window().isVisible());
}

void MainWindowTest::concChoiceIsKeptAndUsed() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    auto* box = rig.find<QCheckBox>("chkConc");
    QVERIFY(!box->isChecked());
    box->click();
    const std::string note(400, 'n');
    rig.run(rig.input("long.ged", "0 HEAD\r\n1 NOTE " + note + "\r\n0 TRLR\r\n"),
            rig.path("sortie.ged"));
    QCOMPARE(readFile(rig.dir.file("sortie.ged")), "0 HEAD\r\n1 NOTE " + note.substr(0, 248) +
                                                       "\r\n2 CONC " + note.substr(248) +
                                                       "\r\n0 TRLR\r\n");

    // The next start of the program finds the box as the user left it.
    DiskFileSystem disk;
    MainWindow next(std::make_unique<Engine>(programFilesIn(rig.dir.path(), "next"), disk),
                    rig.dialogs);
    QVERIFY(next.findChild<QCheckBox*>("chkConc")->isChecked());

    // A choice kept under the setting's earlier name holds too.
    QSettings().remove("conc");
    QSettings().setValue("continueLongLines", true);
    MainWindow earlier(std::make_unique<Engine>(programFilesIn(rig.dir.path(), "earlier"), disk),
                       rig.dialogs);
    QVERIFY(earlier.findChild<QCheckBox*>("chkConc")->isChecked());
}

void MainWindowTest::failureIsToldInFrenchThenIdle() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    const QString missing = rig.path("absent.ged");
    rig.run(missing, rig.path("sortie.ged"));

    QCOMPARE(rig.dialogs.messages.size(), size_t(1));
    const ScriptedDialogs::Message& message = rig.dialogs.messages[0];
    QCOMPARE(message.kind, QString("warn"));
    QCOMPARE(message.title, kAttention);
    QVERIFY2(
        message.text.startsWith("Impossible de lire le fichier") && message.text.contains(missing),
        qPrintable(message.text));
    QCOMPARE(snapshot(rig), kIdle);
    QCOMPARE(rig.panel(2), QString("Échec"));
    QVERIFY(rig.window().databaseOpen());

    rig.dialogs.messages.clear();
    rig.run(rig.input("entree.ged", gedcomWithLines(20)), rig.path("sortie.ged"));
    QVERIFY(rig.dialogs.messages.empty());
    QCOMPARE(rig.panel(2), QString("Terminé"));
}

void MainWindowTest::helpOpenedDuringARunHoldsTheRun() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    int valueWhileOpen = -1;
    bool busyWhileOpen = true;
    size_t dialogsWhileOpen = 0;
    rig.dialogs.onModal = [&](QDialog& dialog) {
        if (dialog.objectName() != "FormAide") return;
        valueWhileOpen = rig.progressBar()->value();
        busyWhileOpen = busyPointer();
        dialogsWhileOpen = rig.dialogs.fileRequests.size();
    };
    atNextProgressStep(&rig.window(), [&] { rig.button("btnAide")->click(); });
    rig.run(rig.input("entree.ged", gedcomWithLines(1000)), rig.path("sortie.ged"));

    // The help, then the notice at the run's end.
    QCOMPARE(rig.dialogs.modalWindows, QStringList({"FormAide", "RunNotice"}));
    QCOMPARE(valueWhileOpen, 10);
    QVERIFY(!busyWhileOpen);
    QCOMPARE(dialogsWhileOpen, size_t(1));  // the output dialog came after
    QCOMPARE(rig.panel(2), QString("Terminé"));
}

void MainWindowTest::twoRunsInOneSessionWriteTheSameOutput() {
    WindowRig rig;
    const QString input = rig.input("entree.ged", gedcomWithLines(400));
    rig.run(input, rig.path("premiere.ged"));
    rig.run(input, rig.path("seconde.ged"));

    const std::string first = readFile(rig.dir.file("premiere.ged"));
    QVERIFY(!first.empty());
    QCOMPARE(readFile(rig.dir.file("seconde.ged")), first);
    QCOMPARE(rig.panel(1), QString("400 lignes"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
