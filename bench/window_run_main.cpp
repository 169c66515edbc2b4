// brelin-bench-window INPUT OUTPUT: one run through the desktop program's main window, its file
// choices answered at once, and the time from the click on the file button to the end of the
// run. Run under QT_QPA_PLATFORM=offscreen beside brelin-cli on the same file, it shows what the
// window's progress steps and event processing cost.
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "dialogs.h"
#include "engine.h"
#include "file_system.h"
#include "main_window.h"

namespace {

class FixedAnswers : public brelin::Dialogs {
public:
    FixedAnswers(QString input, QString output)
        : input_(std::move(input)), output_(std::move(output)) {}

    // A write that fails asks again: the measure ends there, as a cancel.
    std::optional<QString> chooseFile(QWidget*, brelin::FileRequest&) override {
        switch (asked_++) {
            case 0:
                return input_;
            case 1:
                return output_;
            default:
                return std::nullopt;
        }
    }
    void inform(QWidget*, const QString&, const QString& text) override { report(text); }
    void warn(QWidget*, const QString&, const QString& text) override { report(text); }
    bool ask(QWidget*, const QString&, const QString&) override { return true; }
    void showModal(QDialog&) override {}
    bool open(const QString&) override { return true; }

private:
    static void report(const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); }

    QString input_;
    QString output_;
    int asked_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: brelin-bench-window INPUT OUTPUT\n");
        return 2;
    }
    QApplication application(argc, argv);
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() /
        ("brelin-bench-window-" + std::to_string(QCoreApplication::applicationPid()));
    fs::create_directories(folder);
    const std::string files = folder.string();
    // The window remembers the input's folder: in the run's folder, not the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(files));

    FixedAnswers dialogs(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    brelin::DiskFileSystem disk;
    brelin::MainWindow window(
        std::make_unique<brelin::Engine>(brelin::programFilesIn(files, "brelin"), disk), dialogs);
    window.show();
    double seconds = 0;
    QTimer::singleShot(0, &window, [&] {
        const auto start = std::chrono::steady_clock::now();
        window.findChild<QPushButton*>(QStringLiteral("btnFile"))->click();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        QApplication::quit();
    });
    QApplication::exec();
    std::printf("%.3f\n", seconds);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
