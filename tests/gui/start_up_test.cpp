// Start-up: the database file made anew beside the program, or a message when it cannot be.
#include "start_up.h"

#include <QDir>
#include <QLabel>
#include <QTest>

#include "main_window.h"
#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() { startWithNoSettings(); }

    void replacesTheOldDatabaseAndMakesTheWindow();
    void failureIsToldAndNoWindowIsMade();
    void filesNamedRelativelyStayWhereTheyWereAtStartUp();
};

void StartUpTest::replacesTheOldDatabaseAndMakesTheWindow() {
    TempDir dir;
    const ProgramFiles paths = programFilesIn(dir.path(), "brelin");
    writeFile(paths.databasePath, "une ancienne base");
    DiskFileSystem files;
    ScriptedDialogs dialogs;

    const std::unique_ptr<MainWindow> window = startUp(paths, files, dialogs);
    QVERIFY(window != nullptr);
    QVERIFY(window->databaseOpen());
    QVERIFY(readFile(paths.databasePath) != "une ancienne base");
    QCOMPARE(window->findChild<QLabel*>("lblVersion")->text(), QString("Brelin version 1.0.1"));
    QVERIFY(dialogs.messages.empty());

    // The staging tables are there: a whole run goes through.
    writeFile(dir.file("entree.ged"), gedcomWithLines(30));
    dialogs.fileAnswers = {QString::fromStdString(dir.file("entree.ged")),
                           QString::fromStdString(dir.file("sortie.ged"))};
    window->findChild<QPushButton*>("btnFile")->click();
    QVERIFY(dialogs.messages.empty());
    QVERIFY(readFile(dir.file("sortie.ged")).starts_with("0 HEAD\r\n"));
}

void StartUpTest::failureIsToldAndNoWindowIsMade() {
    TempDir dir;
    const std::string databasePath = dir.file("absent/brelin.db");
    const ProgramFiles paths = programFilesIn(dir.file("absent"), "brelin");
    DiskFileSystem files;
    ScriptedDialogs dialogs;

    QVERIFY(startUp(paths, files, dialogs) == nullptr);
    QCOMPARE(dialogs.messages.size(), size_t(1));
    QCOMPARE(dialogs.messages[0].kind, QString("warn"));
    QCOMPARE(dialogs.messages[0].title, kAttention);
    QVERIFY2(dialogs.messages[0].text.contains(QString::fromStdString(databasePath)),
             qPrintable(dialogs.messages[0].text));
}

void StartUpTest::filesNamedRelativelyStayWhereTheyWereAtStartUp() {
    TempDir start, elsewhere;
    const QString startFolder = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(start.path()));
    DiskFileSystem files;
    ScriptedDialogs dialogs;
    const std::unique_ptr<MainWindow> window =
        startUp(programFilesIn("", "brelin"), files, dialogs);
    QVERIFY(window != nullptr);

    // As the real file dialog does after a choice.
    QDir::setCurrent(QString::fromStdString(elsewhere.path()));
    writeFile(elsewhere.file("entree.ged"),
              "0 HEAD\r\n1 NOTE " + std::string(300, 'x') + "\r\n0 TRLR\r\n");
    dialogs.fileAnswers = {QString::fromStdString(elsewhere.file("entree.ged")),
                           QString::fromStdString(elsewhere.file("sortie.ged"))};
    window->findChild<QPushButton*>("btnFile")->click();
    QDir::setCurrent(startFolder);

    QVERIFY(dialogs.messages.empty());
    QVERIFY(QFile::exists(QString::fromStdString(start.file("Logbrelin.log"))));
    QVERIFY(!QFile::exists(QString::fromStdString(elsewhere.file("Logbrelin.log"))));
}

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
