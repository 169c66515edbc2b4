#include "qt_dialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "messages.h"

namespace brelin {

namespace {

// The room a box's frame takes beside its title: the window's icon and the frame's buttons.
constexpr int kTitleFramePixels = 120;

// Window managers cut a title that is wider than its window, and the program's boxes have
// short texts under long titles: keep room for the title (with a quarter more, since a frame's
// title font is often larger than the box's), its icon and the frame's buttons.
void keepRoomForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    const int width =
        box.fontMetrics().horizontalAdvance(box.windowTitle()) * 5 / 4 + kTitleFramePixels;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// The messages name files and folders: their paths can be selected and copied.
void letTextBeSelected(QMessageBox& box) {
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
}

// The button texts are set here rather than left to Qt's translations, which may be missing.
void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    letTextBeSelected(box);
    box.setDefaultButton(box.addButton(QString::fromUtf8(text::kOk), QMessageBox::AcceptRole));
    keepRoomForTitle(box);
    box.exec();
}

// How long xdg-open is given to say that it found no program. Some desktops keep it running as
// long as the program it opened: one still running then has found one.
constexpr int kOpenerAnswerMilliseconds = 2000;

// Qt hands a path to xdg-open too, but reports success once xdg-open has started, even where
// xdg-open then finds no program for the file ("no method available"): here its exit status
// answers.
bool openWithXdgOpen(const QString& program, const QString& path) {
    // No parent: a process still running when the program ends is left to run, and with it the
    // program it opened.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments({path});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    QEventLoop loop;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kOpenerAnswerMilliseconds, &loop, &QEventLoop::quit);
    // The windows are painted meanwhile, but take no click.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return opened;
}

}  // namespace

std::optional<QString> QtDialogs::chooseFile(QWidget* parent, FileRequest& request) {
    QFileDialog dialog(parent, request.title, request.folder);
    // Qt's own dialog rather than the desktop's, the same for both choices and under every
    // desktop. The program asks its own question before a file is replaced: the dialog asks none.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Set here, as the message boxes' buttons are, rather than left to Qt's translations.
    if (request.save)
        dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8(text::kSaveButton));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    dialog.selectNameFilter(request.filter);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    request.filter = dialog.selectedNameFilter();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    return QFileInfo(files.first()).absoluteFilePath();
}

void QtDialogs::inform(QWidget* parent, const QString& title, const QString& text) {
    showMessage(parent, QMessageBox::NoIcon, title, text);
}

void QtDialogs::warn(QWidget* parent, const QString& title, const QString& text) {
    showMessage(parent, QMessageBox::Warning, title, text);
}

bool QtDialogs::ask(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    letTextBeSelected(box);
    QPushButton* yes = box.addButton(QString::fromUtf8(text::kYes), QMessageBox::YesRole);
    box.addButton(QString::fromUtf8(text::kNo), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    keepRoomForTitle(box);
    box.exec();
    return box.clickedButton() == yes;
}

void QtDialogs::showModal(QDialog& dialog) {
    dialog.exec();
}

bool QtDialogs::open(const QString& path) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty()) return openWithXdgOpen(xdgOpen, path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace brelin
