// Files that reach the window without its input dialog: the one given on the command line
// (brelin FICHIER) and the one dropped on the window. Drops are sent to the window as the
// desktop sends them, as drag and drop events.
#include <QDir>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

// What a drag over the window then a drop on it carry, and what the window said to each.
struct DropAnswer {
    bool enterAccepted = false;
    bool moveAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;

    // The cursor said no at every step.
    bool refused() const { return !enterAccepted && !moveAccepted && !dropAccepted; }
};

// The file manager offers to copy or move, and the user holds Shift, which proposes the move.
DropAnswer dragAndDrop(QWidget& window, const QList<QUrl>& urls, const QString& text = {}) {
    QMimeData data;
    if (!urls.isEmpty()) data.setUrls(urls);
    if (!text.isEmpty()) data.setText(text);
    const QPoint centre = window.rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    DropAnswer answer;
    QDragEnterEvent enter(centre, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&window, &enter);
    answer.enterAccepted = enter.isAccepted();
    QDragMoveEvent move(centre, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&window, &move);
    answer.moveAccepted = move.isAccepted();
    QDropEvent drop(centre, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&window, &drop);
    answer.dropAccepted = drop.isAccepted();
    answer.dropAction = drop.dropAction();
    return answer;
}

bool idle(WindowRig& rig) {
    return rig.button("btnFile")->isEnabled() && rig.button("btnQuit")->isVisible() &&
           !busyPointer();
}

}  // namespace

class FileArrivalTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void givenFileSkipsTheInputDialog();
    void givenFileThatCannotBeReadIsToldAsAFailedRun_data();
    void givenFileThatCannotBeReadIsToldAsAFailedRun();
    void oneFileDroppedStartsARun();
    void otherDropsAreRefusedWithoutAWord_data();
    void otherDropsAreRefusedWithoutAWord();
    void severalFilesAreToldOneAtATime();
    void dropsDuringARunAreRefused();
    void dropsUnderAModalWindowAreRefused();
};

void FileArrivalTest::givenFileSkipsTheInputDialog() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QDir(rig.path("")).mkdir("arbre");
    const QString input = rig.input("arbre/famille.ged", gedcomWithLines(20));
    rig.dialogs.fileAnswers = {rig.path("sortie.ged")};
    rig.window().startRunOn(input.toStdString());

    QCOMPARE(rig.dialogs.fileRequests.size(), size_t(1));
    QCOMPARE(rig.dialogs.fileRequests[0].title, kOutputTitle);
    QCOMPARE(rig.dialogs.fileRequests[0].fileName, rig.path("arbre/famille-trie.ged"));
    QVERIFY(rig.dialogs.messages.empty());
    QVERIFY(readFile(rig.dir.file("sortie.ged")).starts_with("0 HEAD\r\n"));
    QCOMPARE(rig.panel(2), QString("Terminé"));

    // As a chosen input would, it sets the folder of the next input dialog.
    rig.dialogs.fileAnswers.clear();
    rig.button("btnFile")->click();
    QCOMPARE(rig.dialogs.fileRequests.back().title, kInputTitle);
    QCOMPARE(rig.dialogs.fileRequests.back().folder, rig.path("arbre"));
}

void FileArrivalTest::givenFileThatCannotBeReadIsToldAsAFailedRun_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "absent.ged";
    QTest::newRow("a folder") << "dossier";
}

void FileArrivalTest::givenFileThatCannotBeReadIsToldAsAFailedRun() {
    QFETCH(QString, name);
    WindowRig rig;
    QVERIFY(rig.showActive());
    QDir(rig.path("")).mkdir("dossier");
    const QString path = rig.path(name.toStdString());
    // The message of the same file chosen in the input dialog.
    rig.run(path, rig.path("sortie.ged"));
    QCOMPARE(rig.dialogs.messages.size(), size_t(1));
    const ScriptedDialogs::Message chosen = rig.dialogs.messages[0];
    rig.dialogs.messages.clear();
    rig.dialogs.fileRequests.clear();

    rig.window().startRunOn(path.toStdString());
    QVERIFY(rig.dialogs.fileRequests.empty());
    QCOMPARE(rig.dialogs.messages.size(), size_t(1));
    QCOMPARE(rig.dialogs.messages[0].kind, QString("warn"));
    QCOMPARE(rig.dialogs.messages[0].title, chosen.title);
    QCOMPARE(rig.dialogs.messages[0].text, chosen.text);
    QVERIFY(rig.dialogs.messages[0].text.contains(path));
    QVERIFY(idle(rig));
    QVERIFY(rig.window().databaseOpen());
    QVERIFY(!QFile::exists(rig.path("sortie.ged")));
}

void FileArrivalTest::oneFileDroppedStartsARun() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    QVERIFY(rig.window().acceptDrops());
    const QString input = rig.input("famille.ged", gedcomWithLines(20));
    rig.dialogs.fileAnswers = {rig.path("sortie.ged")};

    const DropAnswer answer = dragAndDrop(rig.window(), {QUrl::fromLocalFile(input)});
    QVERIFY(answer.enterAccepted);
    QVERIFY(answer.moveAccepted);
    QVERIFY(answer.dropAccepted);
    // Taken as a copy: a file manager told "moved" could take its file away.
    QCOMPARE(answer.dropAction, Qt::CopyAction);
    // The run starts once the drop has returned to the program it came from.
    QVERIFY(rig.dialogs.fileRequests.empty());
    QTRY_COMPARE(rig.panel(2), QString("Terminé"));

    QCOMPARE(rig.dialogs.fileRequests.size(), size_t(1));
    QCOMPARE(rig.dialogs.fileRequests[0].title, kOutputTitle);
    QVERIFY(rig.dialogs.messages.empty());
    QVERIFY(readFile(rig.dir.file("sortie.ged")).starts_with("0 HEAD\r\n"));
    QVERIFY(idle(rig));
}

void FileArrivalTest::otherDropsAreRefusedWithoutAWord_data() {
    QTest::addColumn<QStringList>("urls");  // names in the test's folder, or whole addresses
    QTest::addColumn<QString>("text");
    QTest::newRow("a folder") << QStringList({"dossier"}) << "";
    QTest::newRow("a missing file") << QStringList({"absent.ged"}) << "";
    QTest::newRow("a web address") << QStringList({"https://example.org/famille.ged"}) << "";
    QTest::newRow("text") << QStringList() << "0 HEAD";
}

void FileArrivalTest::otherDropsAreRefusedWithoutAWord() {
    QFETCH(QStringList, urls);
    QFETCH(QString, text);
    WindowRig rig;
    QVERIFY(rig.showActive());
    rig.input("famille.ged", gedcomWithLines(20));
    rig.input("autre.ged", gedcomWithLines(20));
    QDir(rig.path("")).mkdir("dossier");
    QList<QUrl> dropped;
    for (const QString& url : urls)
        dropped.append(url.contains(':') ? QUrl(url)
                                         : QUrl::fromLocalFile(rig.path(url.toStdString())));
    rig.dialogs.fileAnswers = {rig.path("sortie.ged"), rig.path("sortie.ged")};

    QVERIFY(dragAndDrop(rig.window(), dropped, text).refused());
    QTest::qWait(20);
    QVERIFY(rig.dialogs.fileRequests.empty());
    QVERIFY(rig.dialogs.messages.empty());
    QCOMPARE(rig.panel(2), QString());
    QVERIFY(idle(rig));
}

void FileArrivalTest::severalFilesAreToldOneAtATime() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    const QList<QUrl> files = {QUrl::fromLocalFile(rig.input("famille.ged", gedcomWithLines(20))),
                               QUrl::fromLocalFile(rig.input("autre.ged", gedcomWithLines(20)))};
    rig.dialogs.fileAnswers = {rig.path("sortie.ged")};

    const DropAnswer answer = dragAndDrop(rig.window(), files);
    QVERIFY(answer.dropAccepted);
    QCOMPARE(answer.dropAction, Qt::CopyAction);
    QTRY_COMPARE(rig.dialogs.messages.size(), size_t(1));
    QCOMPARE(rig.dialogs.messages[0].kind, QString("inform"));
    QVERIFY(rig.dialogs.messages[0].text.contains("un seul fichier à la fois"));
    QVERIFY(rig.dialogs.fileRequests.empty());
    QCOMPARE(rig.panel(2), QString());
    QVERIFY(idle(rig));
}

void FileArrivalTest::dropsDuringARunAreRefused() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    const QList<QUrl> other = {QUrl::fromLocalFile(rig.input("autre.ged", gedcomWithLines(20)))};
    std::vector<DropAnswer> answers;
    // While the input is read, then while the output dialog is open.
    atNextProgressStep(&rig.window(), [&] { answers.push_back(dragAndDrop(rig.window(), other)); });
    rig.dialogs.onFile = [&](const FileRequest& request) {
        if (request.title == kOutputTitle) answers.push_back(dragAndDrop(rig.window(), other));
    };
    rig.run(rig.input("famille.ged", gedcomWithLines(1000)), rig.path("sortie.ged"));
    QTest::qWait(20);

    QCOMPARE(answers.size(), size_t(2));
    for (const DropAnswer& answer : answers) QVERIFY(answer.refused());
    QCOMPARE(rig.dialogs.fileRequests.size(), size_t(2));  // no second run followed
    QVERIFY(rig.dialogs.messages.empty());
    QCOMPARE(rig.panel(2), QString("Terminé"));
}

void FileArrivalTest::dropsUnderAModalWindowAreRefused() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    const QList<QUrl> file = {QUrl::fromLocalFile(rig.input("famille.ged", gedcomWithLines(20)))};
    // A failed run's message, or the help window, open over the idle window.
    QMessageBox box(QMessageBox::Warning, "Attention !", "message", QMessageBox::Ok, &rig.window());
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const DropAnswer answer = dragAndDrop(rig.window(), file);
    box.close();
    QTest::qWait(20);

    QVERIFY(!answer.enterAccepted);
    QVERIFY(!answer.dropAccepted);
    QVERIFY(rig.dialogs.fileRequests.empty());
    QVERIFY(idle(rig));
}

QTEST_MAIN(FileArrivalTest)
#include "file_arrival_test.moc"
