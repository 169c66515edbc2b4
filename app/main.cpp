// brelin, the desktop program: Qt's French texts, then start-up, then the main window until it
// is closed. The program takes no command line of its own.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "file_system.h"
#include "main_window.h"
#include "process.h"
#include "program_paths.h"
#include "qt_dialogs.h"
#include "start_up.h"

int main(int argc, char** argv) {
    // A write past the file size limit then fails with a message, instead of killing the program.
    brelin::letWritesFailPastFileSizeLimit();
    QApplication application(argc, argv);
    // The settings (the input dialog's folder) go to ~/.config/brelin/brelin.conf; the desktop
    // entry org.brelin.Brelin.desktop gives the window its icon under Wayland.
    QApplication::setOrganizationName(QStringLiteral("brelin"));
    QApplication::setOrganizationDomain(QStringLiteral("brelin.org"));
    QApplication::setApplicationName(QStringLiteral("brelin"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brelin.Brelin"));

    // The file dialog's own buttons and labels in French, where Debian's translations are.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_fr"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    brelin::QtDialogs dialogs;
    brelin::DiskFileSystem files;
    const auto window =
        brelin::startUp(brelin::programFiles(brelin::currentExecutablePath()), files, dialogs);
    if (!window) return 1;
    window->show();
    return QApplication::exec();
}
