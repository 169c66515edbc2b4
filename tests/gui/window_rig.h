// A main window for one test: its own staging database in a temporary folder, files on disk
// (or the test's own FileSystem) and scripted dialogs. Also the GEDCOM inputs the tests use.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "engine.h"
#include "file_system.h"
#include "main_window.h"
#include "scripted_dialogs.h"
#include "temp_dir.h"
#include "test_settings.h"

namespace brelin::testing {

// The titles the window gives its dialogs and questions.
inline const QString kInputTitle = QStringLiteral("Veuillez choisir le fichier gedcom à traiter");
inline const QString kOutputTitle = QStringLiteral("Choisissez sous quel nom sauver votre GEDCOM");
inline const QString kStopTitle = QStringLiteral("Arrêt des opérations");
inline const QString kStopQuestion = QStringLiteral("       On arrête tout ?");
inline const QString kAttention = QStringLiteral("Attention !");

// A GEDCOM text of exactly lineCount lines (at least 3), CR LF ended, its individuals in
// descending order so that the run has something to reorder.
inline std::string gedcomWithLines(int lineCount) {
    std::string text = "0 HEAD\r\n";
    int lines = 1;
    for (int number = lineCount; lines + 2 < lineCount; --number) {
        text += "0 @I" + std::to_string(number) + "@ INDI\r\n";
        ++lines;
        if (lines + 2 < lineCount) {
            text += "1 NAME Jean /N" + std::to_string(number) + "/\r\n";
            ++lines;
        }
    }
    return text + "1 SEX M\r\n0 TRLR\r\n";
}

class WindowRig {
public:
    // files: the window's files; by default the disk. The settings start empty.
    explicit WindowRig(FileSystem* files = nullptr) : files_(files != nullptr ? files : &disk_) {
        startWithNoSettings();
        window_ = std::make_unique<MainWindow>(
            std::make_unique<Engine>(programFilesIn(dir.path(), "brelin"), *files_), dialogs);
    }

    TempDir dir;
    ScriptedDialogs dialogs;

    MainWindow& window() { return *window_; }

    // Shows the window and makes it the active one, as the keyboard's shortcuts need.
    bool showActive() {
        window_->show();
        window_->activateWindow();
        return QTest::qWaitForWindowActive(window_.get());
    }

    template <class T>
    T* find(const char* name) {
        return window_->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    QProgressBar* progressBar() { return find<QProgressBar>("ProgressBar1"); }
    QString panel(int number) {
        return find<QLabel>(("panel" + std::to_string(number)).c_str())->text();
    }

    // Writes an input file into the test's folder; returns its path.
    QString input(const std::string& name, const std::string& bytes) {
        writeFile(dir.file(name), bytes);
        return QString::fromStdString(dir.file(name));
    }
    QString path(const std::string& name) { return QString::fromStdString(dir.file(name)); }

    // One run through the file button, answering the input and output dialogs.
    void run(const QString& input, const QString& output) {
        dialogs.fileAnswers = {input, output};
        button("btnFile")->click();
    }

private:
    DiskFileSystem disk_;
    FileSystem* files_;
    std::unique_ptr<MainWindow> window_;
};

// Runs action at the run's next event processing (its next progress step), unless context
// is gone by then.
inline void atNextProgressStep(QObject* context, std::function<void()> action) {
    QTimer::singleShot(0, context, std::move(action));
}

inline bool busyPointer() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

}  // namespace brelin::testing
