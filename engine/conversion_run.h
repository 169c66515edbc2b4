// One conversion run: from the input choice to the written output. The run stages every record
// of the input by its number in the staging database, then writes the header part, the
// individuals, families, sources and notes, each group in ascending number, and the trailer.
//
// The run talks to its front end only through RunFrontend. A failure never escapes start():
// it ends the run with outcome Failed, leaves no output behind and the database ready for the
// next run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "file_system.h"
#include "run_error.h"
#include "staging_database.h"

namespace brelin {

enum class RunState { Idle, Running, Writing };

struct InputChoice {
    std::string path;
    std::string fileTitle;  // the file's name without its folder, shown in status panel 2
};

class RunFrontend {
public:
    virtual ~RunFrontend() = default;

    // nullopt when the user cancels.
    virtual std::optional<InputChoice> chooseInput() = 0;
    // Asked after the staging pass. The front end refuses the input itself (sameFile) and asks
    // before replacing a file. nullopt when the user cancels.
    virtual std::optional<std::string> chooseOutput(const std::string& inputPath) = 0;

    virtual void setState(RunState state) = 0;
    // Status panels 1 to 3, numbered from the left.
    virtual void setPanel(int panel, const std::string& text) = 0;
    virtual void showProgress(bool visible) = 0;
    // Moves the progress to percent (0 to 100), then lets the front end handle what is pending
    // (a click on stop, the help window). Called every 100 lines.
    virtual void updateProgress(float percent) = 0;

    virtual bool stopRequested() = 0;
    virtual void clearStopRequest() = 0;
    // The stop question; true abandons the run.
    virtual bool confirmStop() = 0;
};

enum class RunOutcome { InputCancelled, OutputCancelled, Completed, Abandoned, Failed };

struct RunResult {
    RunOutcome outcome = RunOutcome::InputCancelled;
    std::string inputPath;
    std::string outputPath;
    int64_t linesRead = 0;
    int64_t linesCut = 0;
    double seconds = 0;
    std::optional<RunError> error;
};

class ConversionRun {
public:
    static constexpr size_t kLineLimit = 255;
    static constexpr int64_t kProgressStep = 100;

    // Everything given must outlive the run object. logPath is the truncation log's file.
    ConversionRun(StagingDatabase& database, FileSystem& files, RunFrontend& frontend,
                  std::string logPath);

    RunResult start();

    // The path of the last run's input, kept between runs.
    const std::string& inputPath() const { return inputPath_; }

private:
    StagingDatabase& database_;
    FileSystem& files_;
    RunFrontend& frontend_;
    std::string logPath_;
    std::string inputPath_;
};

// How many bytes of a line of length bytes, whose head is given, stay after the cut: the whole
// line up to 255 bytes; in UTF-8 the longest prefix of whole characters of at most 255 bytes.
size_t cutLength(std::string_view head, uint64_t length, bool utf8);

}  // namespace brelin
