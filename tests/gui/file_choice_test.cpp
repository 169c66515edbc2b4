// The two file choices of a run as the window makes them: what the dialogs open with, the
// refusal of the input as output, the question before replacing a file, and the cancels.
#include "file_choice.h"

#include <QDir>
#include <QTest>
#include <filesystem>

#include "program_paths.h"
#include "window_rig.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

const QString kSameAsInput =
    QStringLiteral("Le fichier de sortie DOIT être\ndifférent du fichier d'entrée.");
const QString kReplaceQuestion =
    QStringLiteral("Un fichier du même nom existe déjà.\nVoulez-vous le remplacer ?");
const QStringList kFilters = {QStringLiteral("gedcom (*.ged)"),
                              QStringLiteral("Text Files (*.txt)")};

}  // namespace

class FileChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void dialogsOpenWithTheirTitleFiltersAndFolders();
    void inputDialogOpensWhereTheLastInputWas();
    void typedNameWithoutExtensionGetsGed_data();
    void typedNameWithoutExtensionGetsGed();
    void outputDialogKeepsTheFilterLastChosen();
    void cancelledInputChangesNothing();
    void inputRefusedAsOutputAgainAndAgain_data();
    void inputRefusedAsOutputAgainAndAgain();
    void replaceQuestionAskedAgainAndAgain();
    void cancelledOutputReturnsToIdle();
    void outputIsSuggestedWhereItCanBeWritten_data();
    void outputIsSuggestedWhereItCanBeWritten();
    void failedWriteOpensTheDialogAgain_data();
    void failedWriteOpensTheDialogAgain();
};

void FileChoiceTest::dialogsOpenWithTheirTitleFiltersAndFolders() {
    WindowRig rig;
    rig.run(rig.input("entree.ged", gedcomWithLines(10)), rig.path("sortie.ged"));

    const auto& requests = rig.dialogs.fileRequests;
    QCOMPARE(requests.size(), size_t(2));
    const QStringList titles = {kInputTitle, kOutputTitle};
    for (size_t i = 0; i < 2; ++i) {
        QCOMPARE(requests[i].title, titles[int(i)]);
        QCOMPARE(requests[i].filters, kFilters);
        QCOMPARE(requests[i].filter, kFilters[0]);
    }
    // The first start opens the input dialog in the user's home folder; the output dialog is a
    // save dialog that suggests a name beside the input.
    QCOMPARE(requests[0].folder, QDir::homePath());
    QCOMPARE(requests[0].fileName, QString());
    QVERIFY(!requests[0].save);
    QCOMPARE(requests[1].folder, QString::fromStdString(rig.dir.path()));
    QCOMPARE(requests[1].fileName, rig.path("entree-trie.ged"));
    QVERIFY(requests[1].save);
    // A name that does not exist yet is taken without a question.
    QVERIFY(rig.dialogs.messages.empty());
    QVERIFY(QFile::exists(rig.path("sortie.ged")));
}

void FileChoiceTest::inputDialogOpensWhereTheLastInputWas() {
    WindowRig rig;
    QDir(rig.path("")).mkdir("un");
    rig.run(rig.input("un/famille.v2.ged", gedcomWithLines(10)), rig.path("sortie.ged"));
    QCOMPARE(rig.dialogs.fileRequests[1].fileName, rig.path("un/famille.v2-trie.ged"));
    rig.dialogs.fileAnswers.clear();
    rig.button("btnFile")->click();
    QCOMPARE(rig.dialogs.fileRequests.back().folder, rig.path("un"));

    // The next start of the program reads the folder from its settings, while it exists.
    DiskFileSystem files;
    auto nextStart = [&] {
        MainWindow window(
            std::make_unique<Engine>(programFilesIn(rig.dir.path(), "suivant"), files),
            rig.dialogs);
        window.findChild<QPushButton*>("btnFile")->click();
        return rig.dialogs.fileRequests.back().folder;
    };
    QCOMPARE(nextStart(), rig.path("un"));
    QVERIFY(QDir(rig.path("un")).removeRecursively());
    QCOMPARE(nextStart(), QDir::homePath());
}

void FileChoiceTest::typedNameWithoutExtensionGetsGed_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("message");  // the kind of message shown; empty for none
    QTest::newRow("no extension") << "sortie"
                                  << "sortie.ged"
                                  << "";
    QTest::newRow("an extension of its own") << "sortie.txt"
                                             << "sortie.txt"
                                             << "";
    QTest::newRow("the input, extension left out") << "entree"
                                                   << "autre.ged"
                                                   << "inform";
    QTest::newRow("an existing file, extension left out") << "ancien"
                                                          << "ancien.ged"
                                                          << "ask";
}

void FileChoiceTest::typedNameWithoutExtensionGetsGed() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, message);
    WindowRig rig;
    const QString input = rig.input("entree.ged", gedcomWithLines(10));
    const std::string original = readFile(input.toStdString());
    rig.input("ancien.ged", "ancien contenu");
    rig.dialogs.fileAnswers = {input, rig.path(typed.toStdString()), rig.path("autre.ged")};
    rig.dialogs.questionAnswers = {true};
    rig.button("btnFile")->click();

    QStringList kinds;
    for (const auto& shown : rig.dialogs.messages) kinds.append(shown.kind);
    QCOMPARE(kinds, message.isEmpty() ? QStringList() : QStringList({message}));
    if (message == "inform")  // shown again with the name the program read
        QCOMPARE(rig.dialogs.fileRequests[2].fileName, rig.path("entree.ged"));
    QVERIFY(readFile(rig.dir.file(written.toStdString())).starts_with("0 HEAD\r\n"));
    QCOMPARE(readFile(input.toStdString()), original);
    QVERIFY(!QFile::exists(rig.path(typed.toStdString())) || typed == written);
}

void FileChoiceTest::outputDialogKeepsTheFilterLastChosen() {
    WindowRig rig;
    rig.dialogs.pickFilter = kFilters[1];
    const QString input = rig.input("entree.txt", gedcomWithLines(10));
    rig.run(input, rig.path("sortie.txt"));
    rig.dialogs.pickFilter.clear();
    rig.run(input, rig.path("sortie2.txt"));

    const auto& requests = rig.dialogs.fileRequests;
    QCOMPARE(requests.size(), size_t(4));
    QCOMPARE(requests[1].filter, kFilters[1]);  // as chosen in the input dialog
    QCOMPARE(requests[2].filter, kFilters[0]);  // every run starts with the GEDCOM filter
    QVERIFY(QFile::exists(rig.path("sortie.txt")));
}

void FileChoiceTest::cancelledInputChangesNothing() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    const QString input = rig.input("entree.ged", gedcomWithLines(10));
    rig.run(input, rig.path("sortie.ged"));
    writeFile(rig.dir.file("Logbrelin.log"), "journal");
    const QStringList panels = {rig.panel(1), rig.panel(2), rig.panel(3)};

    rig.dialogs.fileAnswers = {std::nullopt};
    rig.button("btnFile")->click();

    QCOMPARE(rig.dialogs.fileRequests.size(), size_t(3));
    QCOMPARE(QStringList({rig.panel(1), rig.panel(2), rig.panel(3)}), panels);
    QVERIFY(rig.button("btnFile")->isEnabled());
    QVERIFY(rig.button("btnQuit")->isVisible());
    QVERIFY(!busyPointer());
    QCOMPARE(readFile(rig.dir.file("Logbrelin.log")), std::string("journal"));
    QVERIFY(rig.dialogs.messages.empty());
}

void FileChoiceTest::inputRefusedAsOutputAgainAndAgain_data() {
    QTest::addColumn<QString>("sameFile");  // the input under another name, relative to it
    QTest::newRow("same path") << "entree.ged";
    QTest::newRow("another spelling") << "./entree.ged";
    QTest::newRow("symbolic link") << "lien.ged";
}

void FileChoiceTest::inputRefusedAsOutputAgainAndAgain() {
    QFETCH(QString, sameFile);
    WindowRig rig;
    const QString input = rig.input("entree.ged", gedcomWithLines(10));
    const std::string original = readFile(input.toStdString());
    std::filesystem::create_symlink(rig.dir.file("entree.ged"), rig.dir.file("lien.ged"));
    const QString refused = rig.path(sameFile.toStdString());

    rig.dialogs.fileAnswers = {input, refused, refused, rig.path("sortie.ged")};
    rig.button("btnFile")->click();

    const auto& requests = rig.dialogs.fileRequests;
    QCOMPARE(requests.size(), size_t(4));
    QCOMPARE(requests[2].fileName, refused);  // shown again with the refused name
    QCOMPARE(requests[3].fileName, refused);
    QCOMPARE(requests[3].title, kOutputTitle);
    QCOMPARE(rig.dialogs.messages.size(), size_t(2));
    for (const auto& message : rig.dialogs.messages) {
        QCOMPARE(message.kind, QString("inform"));
        QCOMPARE(message.title, kAttention);
        QCOMPARE(message.text, kSameAsInput + "\n\n« " + refused + " »");
    }
    QCOMPARE(readFile(input.toStdString()), original);
    QVERIFY(QFile::exists(rig.path("sortie.ged")));
}

void FileChoiceTest::replaceQuestionAskedAgainAndAgain() {
    WindowRig rig;
    const QString input = rig.input("entree.ged", gedcomWithLines(10));
    const QString existing = rig.input("ancien.ged", "ancien contenu");
    rig.dialogs.fileAnswers = {input, existing, existing, existing};
    rig.dialogs.questionAnswers = {false, false, true};
    rig.button("btnFile")->click();

    QCOMPARE(rig.dialogs.fileRequests.size(), size_t(4));
    QCOMPARE(rig.dialogs.fileRequests[3].fileName, existing);
    QCOMPARE(rig.dialogs.messages.size(), size_t(3));
    for (const auto& message : rig.dialogs.messages) {
        QCOMPARE(message.kind, QString("ask"));
        QCOMPARE(message.title, kAttention);
        QCOMPARE(message.text, kReplaceQuestion + "\n\n« " + existing + " »");
    }
    QVERIFY(readFile(existing.toStdString()).starts_with("0 HEAD\r\n"));
    QCOMPARE(rig.panel(2), QString("Terminé"));
}

void FileChoiceTest::cancelledOutputReturnsToIdle() {
    WindowRig rig;
    QVERIFY(rig.showActive());
    const QString input = rig.input("entree.ged", gedcomWithLines(10));
    rig.dialogs.fileAnswers = {input, std::nullopt};
    rig.button("btnFile")->click();

    QVERIFY(rig.button("btnFile")->isEnabled());
    QVERIFY(rig.button("btnQuit")->isVisible());
    QVERIFY(!rig.button("btnStop")->isVisible());
    QVERIFY(!rig.progressBar()->isVisible());
    QVERIFY(!busyPointer());
    QCOMPARE(rig.panel(2), QString("Annulé"));  // not "Terminé": nothing was written
    QCOMPARE(rig.panel(3), QString());
    QStringList files = QDir(rig.path("")).entryList(QDir::Files | QDir::Hidden);
    files.removeIf(
        [](const QString& name) { return name.startsWith("brelin.db") || name == "brelin.lock"; });
    QCOMPARE(files, QStringList({"entree.ged"}));

    rig.run(input, rig.path("sortie.ged"));  // and the next run goes through
    QCOMPARE(rig.panel(2), QString("Terminé"));
}

void FileChoiceTest::outputIsSuggestedWhereItCanBeWritten_data() {
    QTest::addColumn<QString>("inputFolder");  // in the test's folder, the user's home
    QTest::addColumn<bool>("documents");       // the home has a Documents folder
    QTest::addColumn<QString>("suggested");    // the suggestion's folder, in the home
    QTest::newRow("beside the input") << "arbre" << true << "arbre";
    QTest::newRow("input's folder gone") << "parti" << true << "Documents";
    QTest::newRow("input's folder read-only") << "protege" << true << "Documents";
    QTest::newRow("no Documents folder") << "parti" << false << "";
}

void FileChoiceTest::outputIsSuggestedWhereItCanBeWritten() {
    QFETCH(QString, inputFolder);
    QFETCH(bool, documents);
    QFETCH(QString, suggested);
    TempDir home;
    const QDir dir(QString::fromStdString(home.path()));
    dir.mkdir("arbre");
    dir.mkdir("protege");
    if (documents) dir.mkdir("Documents");
    QFile::setPermissions(dir.filePath("protege"), QFile::ReadOwner | QFile::ExeOwner);
    if (inputFolder == "protege" && canWriteFolder(dir.filePath("protege").toStdString()))
        QSKIP("the test runs as a user who writes in read-only folders (root)");
    const QByteArray previous = qgetenv("HOME");
    qputenv("HOME", dir.path().toLocal8Bit());
    const QString output = suggestedOutput(dir.filePath(inputFolder + "/famille.ged"));
    qputenv("HOME", previous);
    QFile::setPermissions(dir.filePath("protege"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(output, QDir::cleanPath(dir.path() + "/" + suggested + "/famille-trie.ged"));
}

void FileChoiceTest::failedWriteOpensTheDialogAgain_data() {
    QTest::addColumn<bool>("thenCancelled");
    QTest::newRow("then written elsewhere") << false;
    QTest::newRow("then cancelled") << true;
}

// A folder that does not exist: refused alike whoever runs the test, root included.
void FileChoiceTest::failedWriteOpensTheDialogAgain() {
    QFETCH(bool, thenCancelled);
    WindowRig rig;
    QVERIFY(rig.showActive());
    // The user's own folders, where the dialog then suggests to write.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", rig.path("").toLocal8Bit());
    QDir(rig.path("")).mkdir("Documents");
    const std::string input =
        gedcomWithLines(300).insert(8, "1 NOTE " + std::string(300, 'x') + "\r\n");
    const QString failed = rig.path("absent/sortie.ged");
    rig.dialogs.fileAnswers = {rig.input("entree.ged", input), failed,
                               thenCancelled ? std::optional<QString>() : rig.path("ailleurs.ged")};
    rig.button("btnFile")->click();
    qputenv("HOME", home);

    const auto& requests = rig.dialogs.fileRequests;
    QCOMPARE(requests.size(), size_t(3));
    QCOMPARE(requests[2].title, kOutputTitle);
    QCOMPARE(requests[2].fileName, rig.path("Documents/sortie.ged"));
    QCOMPARE(rig.dialogs.messages.size(), size_t(1));
    const QString& why = rig.dialogs.messages[0].text;
    QCOMPARE(rig.dialogs.messages[0].kind, QString("warn"));
    QVERIFY2(why.contains("« " + failed + " »") && why.contains("un autre emplacement"),
             qPrintable(why));
    QVERIFY(!QFile::exists(failed));
    if (thenCancelled) {
        QCOMPARE(rig.panel(2), QString("Annulé"));
        // No output: no log of the line cut for it, no report (the folder had none).
        QVERIFY(!QFile::exists(rig.path("Logbrelin.log")));
        QVERIFY(!QFile::exists(rig.path("Rapportbrelin.txt")));
        QVERIFY(rig.dialogs.modalWindows.isEmpty());
        return;
    }
    QCOMPARE(rig.panel(2), QString("Terminé"));
    QCOMPARE(rig.dialogs.modalWindows, QStringList{"RunNotice"});
    // The same bytes as a run that wrote there at once.
    rig.run(rig.path("entree.ged"), rig.path("directe.ged"));
    QVERIFY(readFile(rig.dir.file("ailleurs.ged")) == readFile(rig.dir.file("directe.ged")));
    QVERIFY(readFile(rig.dir.file("ailleurs.ged")).starts_with("0 HEAD\r\n"));
}

QTEST_MAIN(FileChoiceTest)
#include "file_choice_test.moc"
