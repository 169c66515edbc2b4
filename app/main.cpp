// brelin, the desktop program: its command line, Qt in French, then start-up, then the main
// window until it is closed. brelin FICHIER starts a run on FICHIER as soon as the window shows.
// Without a display it says, in one French line, that brelin-cli does the same work, once its
// command line is known to be sound.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "desktop_command_line.h"
#include "file_system.h"
#include "main_window.h"
#include "messages.h"
#include "process.h"
#include "program_paths.h"
#include "qt_dialogs.h"
#include "qt_french.h"
#include "start_up.h"

namespace {

// Qt ends the program, in English, when no platform can start (a display named but out of
// reach). While Qt starts, its messages wait here: a fatal one is told in French instead and
// ends the program with status 1; the others are given to Qt's own output once it has started.
std::vector<std::pair<QtMsgType, QString>> startMessages;

void holdStartMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::cerr << brelin::text::kNoDisplay << std::endl;
        std::_Exit(1);
    }
    startMessages.emplace_back(type, message);
}

void releaseStartMessages(QtMessageHandler previous) {
    qInstallMessageHandler(previous);
    for (const auto& [type, message] : startMessages)
        qt_message_output(type, QMessageLogContext(), message);
    startMessages.clear();
}

}  // namespace

int main(int argc, char** argv) {
    // The help and the version are answered before Qt starts, without a display; so is a
    // command line that is wrong, as it is with one.
    const brelin::DesktopCommandLine beforeQt = brelin::parseDesktopCommandLineBeforeQt(argc, argv);
    if (const auto status = brelin::helpOrVersion(beforeQt, std::cout)) return *status;
    if (const auto status = brelin::refusal(beforeQt, std::cerr)) return *status;

    // A write past the file size limit then fails with a message, instead of killing the program.
    brelin::letWritesFailPastFileSizeLimit();
    if (!brelin::displayNamed(argc, argv)) {
        std::cerr << brelin::text::kNoDisplay << "\n";
        return 1;
    }
    const QtMessageHandler previous = qInstallMessageHandler(holdStartMessage);
    QApplication application(argc, argv);
    releaseStartMessages(previous);
    // Qt has taken its own options (-platform, -style...) out of argv: what is left is brelin's.
    const brelin::DesktopCommandLine commandLine = brelin::parseDesktopCommandLine(argc, argv);
    if (const auto status = brelin::refusal(commandLine, std::cerr)) return *status;

    // The settings (the input dialog's folder) go to ~/.config/brelin/brelin.conf; the desktop
    // entry org.brelin.Brelin.desktop gives the window its icon under Wayland.
    QApplication::setOrganizationName(QStringLiteral("brelin"));
    QApplication::setOrganizationDomain(QStringLiteral("brelin.org"));
    QApplication::setApplicationName(QStringLiteral("brelin"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brelin.Brelin"));
    const brelin::QtFrench qtFrench;

    brelin::QtDialogs dialogs;
    brelin::DiskFileSystem files;
    const auto window =
        brelin::startUp(brelin::programFiles(brelin::currentExecutablePath()), files, dialogs);
    if (!window) return 1;
    window->show();
    if (!commandLine.files.empty()) {
        // From the event loop, so that a run abandoned by its stop question ends the program.
        QTimer::singleShot(0, window.get(),
                           [&window, input = brelin::absolutePath(commandLine.files.front())] {
                               window->startRunOn(input);
                           });
    }
    return QApplication::exec();
}
