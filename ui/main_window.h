// frmTri, the program's main window. Its file button starts a conversion run, whose facts the
// window words in its status panels (the input's size, its name then "Terminé", the time taken),
// its buttons, its progress bar and its stop question. Its runs keep a report beside the log
// ("RapportNAME.txt"), put in place with the output; after a completed run the window shows the
// run's notice: the file written, what deserves attention, where the log and the report are. The
// window owns the staging database from start-up until the quit procedure closes it.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "engine.h"

class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;

namespace Ui {
class MainWindow;
}

namespace brelin {

class Dialogs;

class MainWindow : public QWidget, private RunEvents, private RunQuestions {
    Q_OBJECT

public:
    // engine: the program's, whose database the window closes when it quits. dialogs must
    // outlive the window.
    MainWindow(std::unique_ptr<Engine> engine, Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False once the quit procedure (or the window's closing) has closed the database.
    bool databaseOpen() const { return engine_ != nullptr; }

    // Starts a run on inputPath as if it had been chosen in the input dialog: the output dialog
    // follows as usual. Does nothing during a run.
    void startRunOn(const std::string& inputPath);

protected:
    // Closing through the frame while idle closes the database as the quit button does; during
    // a run it counts as a click on the stop button, so the run asks its stop question.
    void closeEvent(QCloseEvent* event) override;
    // One local file dropped on the idle window starts a run on it; several files are answered
    // with a message that one at a time is taken. Anything else, or a drop during a run or
    // while a modal window is open, is refused without a word: the pointer shows it over the
    // window.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Escape during a run is a click on the stop button, as closing the window is.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The file button: the input dialog, then a run on the file chosen.
    void chooseAndRun();
    void runOn(const std::string& inputPath);
    // Shows a completed run's notice (run_notice.h), after a warning where its log or its report
    // could not be written. The engine writes the report (RunOptions::reportText).
    void reportRun(const RunResult& result, const RunOptions& options);
    void openHelp();
    void requestStop();
    // Closes the database, then the window, which ends the program.
    void quit();

    void closeDatabase();
    // The buttons and the pointer of a run under way, or of the idle window.
    void showRunning(bool running);
    // The status panels after a run, by its outcome.
    void showOutcome(const RunResult& result);
    bool takesDrops() const;
    std::optional<QString> acceptableDrop(const QDropEvent& event) const;
    bool severalFilesDropped(const QDropEvent& event) const;
    void setBusyPointer(bool busy);

    std::optional<std::string> chooseInput();

    void passStarted(RunPass pass, const InputMeasure& measure) override;
    void progressed(int percent) override;

    // After a failed write-out, its message, then the save dialog again: the records read are
    // written where the user then says.
    std::optional<std::string> chooseOutput(const std::string& inputPath,
                                            const RunError* failure) override;
    bool asksAgainAfterFailedWrite() const override { return true; }
    // Where the window handles its pending events during a run: a click on stop, the help
    // window, a repaint.
    bool stopRequested() override;
    bool confirmStop() override;

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<Engine> engine_;
    // The engine's files, named in the notice and the help once it is closed too.
    ProgramFiles paths_;
    Dialogs& dialogs_;
    // The filter of the last file dialog of the run: the output dialog opens with the one
    // chosen for the input.
    QString filter_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool busyPointer_ = false;
};

}  // namespace brelin
