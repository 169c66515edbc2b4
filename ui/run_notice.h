// The notice at the end of a completed run, "Fin du traitement": the file written, what deserves
// attention (and, after lines were cut, how to keep their end), and where the log and the report
// are, all as text the user can select. Its buttons open the log, the report or their folder and
// leave the notice open; where the desktop has no program for one, a message says so and gives
// its path.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

#include "run.h"

namespace Ui {
class RunNotice;
}

namespace brelin {

class Dialogs;

class RunNotice : public QDialog {
    Q_OBJECT

public:
    // result: a completed run, made with options; logPath: the truncation log's file;
    // reportPath: the report's file, empty when it could not be written. dialogs must outlive
    // the notice.
    RunNotice(const RunResult& result, const RunOptions& options, const std::string& logPath,
              const std::string& reportPath, Dialogs& dialogs, QWidget* parent = nullptr);
    ~RunNotice() override;

private:
    void openFile(const QString& path);
    void openFolder();

    std::unique_ptr<Ui::RunNotice> ui_;
    Dialogs& dialogs_;
    QString folder_;
};

}  // namespace brelin
