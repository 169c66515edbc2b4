// frmTri, the program's main window. Its file button starts a conversion run, whose facts the
// window words in its status panels (the input's size, its name then "Terminé", the time taken),
// its buttons, its progress bar and its stop question. After a completed run it writes the run's
// report beside the log ("RapportNAME.txt") and shows the run's notice: the file written, what
// deserves attention, where the log and the report are. The window owns the staging database from
// start-up until the quit procedure closes it.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "conversion_run.h"

class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;

namespace Ui {
class MainWindow;
}

namespace brelin {

class Dialogs;
class RunDatabase;

class MainWindow : public QWidget, private RunFrontend, private RunQuestions {
    Q_OBJECT

public:
    // files and dialogs must outlive the window. logPath is the truncation log's file.
    MainWindow(std::unique_ptr<RunDatabase> database, std::string logPath, FileSystem& files,
               Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False once the quit procedure (or the window's closing) has closed the database.
    bool databaseOpen() const { return database_ != nullptr; }

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

private:
    // The file button: the input dialog, then a run on the file chosen.
    void chooseAndRun();
    void runOn(const std::string& inputPath);
    // Writes a completed run's report and shows its notice (run_notice.h); any other run only
    // removes the last report, which no longer tells the last run.
    void reportRun(const RunResult& result, const RunOptions& options);
    void openHelp();
    void requestStop();
    // Closes the database, then the window, which ends the program.
    void quit();

    void closeDatabase();
    bool takesDrops() const;
    std::optional<QString> acceptableDrop(const QDropEvent& event) const;
    bool severalFilesDropped(const QDropEvent& event) const;
    void setBusyPointer(bool busy);

    std::optional<std::string> chooseInput();

    void runStarted(const std::string& inputPath) override;
    void setState(RunState state) override;
    void inputMeasured(const InputMeasure& measure) override;
    void showProgress(bool visible) override;
    void updateProgress(float percent) override;
    void handlePending() override;
    void runEnded(const RunResult& result) override;

    // After a failed write-out, its message, then the save dialog again: the records read are
    // written where the user then says.
    std::optional<std::string> chooseOutput(const std::string& inputPath,
                                            const RunError* failure) override;
    bool asksAgainAfterFailedWrite() const override { return true; }
    bool stopRequested() override { return stopRequested_; }
    bool confirmStop() override;

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<RunDatabase> database_;
    std::string logPath_;
    FileSystem& files_;
    Dialogs& dialogs_;
    // The filter of the last file dialog of the run: the output dialog opens with the one
    // chosen for the input.
    QString filter_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool busyPointer_ = false;
};

}  // namespace brelin
