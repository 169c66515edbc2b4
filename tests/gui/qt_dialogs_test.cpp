// The real dialogs: the message boxes' buttons and the file dialog's settings. Each test
// answers the dialog it opens from a timer, as a person would.
#include "qt_dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "qt_french.h"
#include "temp_dir.h"
#include "test_settings.h"

using namespace brelin;
using namespace brelin::testing;

namespace {

// Calls act on the next modal window that is not in the way already, unless owner is gone by
// then.
void whenModalShows(std::function<void(QWidget*)> act, QObject* owner = qApp) {
    QWidget* const before = QApplication::activeModalWidget();
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [timer, before, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == before || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start(10);
}

QStringList buttonTexts(QMessageBox* box) {
    QStringList texts;
    for (QAbstractButton* button : box->buttons()) texts.append(button->text());
    texts.sort();
    return texts;
}

QPushButton* buttonNamed(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text) return qobject_cast<QPushButton*>(button);
    return nullptr;
}

}  // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        startWithNoSettings();
        folder_ = QDir::currentPath();
    }
    void cleanup() { QDir::setCurrent(folder_); }

    void questionHasOuiAndNon_data();
    void questionHasOuiAndNon();
    void messagesHaveOk_data();
    void messagesHaveOk();
    void fileDialogSettings_data();
    void fileDialogSettings();
    void fileDialogAcceptsANewNameAndAsksNothingBeforeReplacing_data();
    void fileDialogAcceptsANewNameAndAsksNothingBeforeReplacing();
    void cancelledFileDialog();
    void fileDialogSpeaksFrench();
    void openTellsWhetherTheDesktopHadAProgram_data();
    void openTellsWhetherTheDesktopHadAProgram();

private:
    QString folder_;
};

void QtDialogsTest::questionHasOuiAndNon_data() {
    QTest::addColumn<QString>("click");
    QTest::addColumn<bool>("answer");
    QTest::newRow("Oui") << "Oui" << true;
    QTest::newRow("Non") << "Non" << false;
}

void QtDialogsTest::questionHasOuiAndNon() {
    QFETCH(QString, click);
    QFETCH(bool, answer);
    QtDialogs dialogs;
    QString title, text;
    QStringList buttons;
    QString defaultButton;
    bool titleFits = false;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        title = box->windowTitle();
        text = box->text();
        buttons = buttonTexts(box);
        defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        // Room for the title and the frame's own buttons.
        titleFits = box->width() >= box->fontMetrics().horizontalAdvance(title) + 100;
        buttonNamed(box, click)->click();
    });
    QCOMPARE(dialogs.ask(nullptr, "Arrêt des opérations", "       On arrête tout ?"), answer);
    QCOMPARE(title, QString("Arrêt des opérations"));
    QCOMPARE(text, QString("       On arrête tout ?"));
    QCOMPARE(buttons, QStringList({"Non", "Oui"}));
    QCOMPARE(defaultButton, QString("Oui"));
    QVERIFY(titleFits);  // a box narrower than its title would show it cut
}

void QtDialogsTest::messagesHaveOk_data() {
    QTest::addColumn<bool>("warning");
    QTest::newRow("inform") << false;
    QTest::newRow("warn") << true;
}

void QtDialogsTest::messagesHaveOk() {
    QFETCH(bool, warning);
    QtDialogs dialogs;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QString text;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        buttons = buttonTexts(box);
        icon = box->icon();
        text = box->text();
        box->buttons().first()->click();
    });
    const QString message = "Le fichier de sortie DOIT être\ndifférent du fichier d'entrée.";
    if (warning) {
        dialogs.warn(nullptr, "Attention !", message);
    } else {
        dialogs.inform(nullptr, "Attention !", message);
    }
    QCOMPARE(buttons, QStringList({"OK"}));
    QCOMPARE(icon, warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    QCOMPARE(text, message);
}

void QtDialogsTest::fileDialogSettings_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("name");  // in the request's file-name box
    QTest::addColumn<QFileDialog::AcceptMode>("mode");
    QTest::newRow("open") << false << "ancien.ged" << QFileDialog::AcceptOpen;
    QTest::newRow("save, an existing file") << true << "ancien.ged" << QFileDialog::AcceptSave;
    QTest::newRow("save, a new file") << true << "ancien-trie.ged" << QFileDialog::AcceptSave;
}

void QtDialogsTest::fileDialogSettings() {
    QFETCH(bool, save);
    QFETCH(QString, name);
    QFETCH(QFileDialog::AcceptMode, mode);
    TempDir dir;
    writeFile(dir.file("ancien.ged"), "x");
    QtDialogs dialogs;
    FileRequest request{"Choisissez sous quel nom sauver votre GEDCOM",
                        QString::fromStdString(dir.path()),
                        QString::fromStdString(dir.file(name.toStdString())),
                        {"gedcom (*.ged)", "Text Files (*.txt)"},
                        "Text Files (*.txt)",
                        save};
    QString title, directory, nameBox, selectedFilter, acceptButton;
    QStringList filters;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    bool confirmsOverwrite = true;
    bool existingOnly = true;
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog != nullptr);
        title = dialog->windowTitle();
        directory = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        selectedFilter = dialog->selectedNameFilter();
        nameBox = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
        acceptMode = dialog->acceptMode();
        auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox");
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                acceptButton = button->text();
        confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        existingOnly = dialog->fileMode() != QFileDialog::AnyFile;
        dialog->reject();
    });
    QVERIFY(!dialogs.chooseFile(nullptr, request));
    QCOMPARE(title, request.title);
    QCOMPARE(directory, QString::fromStdString(dir.path()));
    QCOMPARE(filters, request.filters);
    QCOMPARE(selectedFilter, QString("Text Files (*.txt)"));
    QCOMPARE(nameBox, name);
    QCOMPARE(acceptMode, mode);
    // The user reads what the button does: a save dialog that says "Ouvrir" puzzles.
    if (save) QCOMPARE(acceptButton, QString("&Enregistrer"));
    QVERIFY(!confirmsOverwrite);
    QVERIFY(!existingOnly);
}

void QtDialogsTest::fileDialogAcceptsANewNameAndAsksNothingBeforeReplacing_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("a file that does not exist") << "nouveau.ged";
    QTest::newRow("an existing file") << "ancien.ged";
}

void QtDialogsTest::fileDialogAcceptsANewNameAndAsksNothingBeforeReplacing() {
    QFETCH(QString, name);
    TempDir dir;
    writeFile(dir.file("ancien.ged"), "x");
    const QString folder = QString::fromStdString(dir.path());
    QtDialogs dialogs;
    FileRequest request{"titre", folder, QString(), {"gedcom (*.ged)"}, "gedcom (*.ged)", true};
    int questions = 0;
    whenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog != nullptr);
        // Any box of the dialog's own would show up here, and is counted and dismissed.
        whenModalShows(
            [&](QWidget* box) {
                ++questions;
                qobject_cast<QDialog*>(box)->reject();
            },
            dialog);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own is protected
    });
    const std::optional<QString> chosen = dialogs.chooseFile(nullptr, request);
    QCOMPARE(chosen.value_or(QString()), folder + "/" + name);
    QCOMPARE(questions, 0);
    // The window names the folders it opens in: the process's current folder stays.
    QCOMPARE(QDir::currentPath(), folder_);
}

void QtDialogsTest::cancelledFileDialog() {
    QtDialogs dialogs;
    FileRequest request{
        "titre", QDir::currentPath(), QString(), {"gedcom (*.ged)"}, "gedcom (*.ged)"};
    whenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QVERIFY(!dialogs.chooseFile(nullptr, request));
    QCOMPARE(QDir::currentPath(), folder_);
}

void QtDialogsTest::fileDialogSpeaksFrench() {
    const QtFrench french;
    TempDir dir;
    std::filesystem::create_directory(dir.file("dossier"));
    const QString folder = QString::fromStdString(dir.path());
    QtDialogs dialogs;
    FileRequest request{"titre", folder, QString(), {"gedcom (*.ged)"}, "gedcom (*.ged)", true};
    QString folderType, lookIn;
    whenModalShows([&](QWidget* modal) {
        auto* model = modal->findChild<QFileSystemModel*>();
        QVERIFY(model != nullptr);
        const QString path = folder + "/dossier";
        const bool typed = QTest::qWaitFor([&] {
            folderType = model->index(path, 2).data().toString();
            return !folderType.isEmpty();
        });
        QVERIFY(typed);
        lookIn = modal->findChild<QLabel*>("lookInLabel")->text();
        qobject_cast<QDialog*>(modal)->reject();
    });
    dialogs.chooseFile(nullptr, request);
    // Debian's translation of Qt lacks this one: the program gives it.
    QCOMPARE(folderType, QString("Dossier"));
    if (!french.qtTranslationLoaded()) QSKIP("Debian's translation of Qt is not installed");
    QCOMPARE(lookIn, QString("Voir dans :"));
}

void QtDialogsTest::openTellsWhetherTheDesktopHadAProgram_data() {
    QTest::addColumn<QString>("opener");  // what xdg-open does once it has written its argument
    QTest::addColumn<bool>("opened");
    QTest::newRow("found a program") << "exit 0" << true;
    QTest::newRow("no method available") << "exit 3" << false;
    // Some desktops keep it running as long as the program it opened.
    QTest::newRow("still running") << "exec /bin/sleep 3" << true;
}

void QtDialogsTest::openTellsWhetherTheDesktopHadAProgram() {
    QFETCH(QString, opener);
    QFETCH(bool, opened);
    TempDir dir;
    const std::string script = dir.file("xdg-open");
    writeFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > '" + dir.file("argument") + "'\n" +
                          opener.toStdString() + "\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(dir.path()));
    QtDialogs dialogs;
    const QString file = QString::fromStdString(dir.file("Logbrelin.log"));
    QElapsedTimer timer;
    timer.start();
    const bool answer = dialogs.open(file);
    qputenv("PATH", path);
    QCOMPARE(answer, opened);
    QCOMPARE(QString::fromStdString(readFile(dir.file("argument"))), file);
    QVERIFY(timer.elapsed() < 5000);
}

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
