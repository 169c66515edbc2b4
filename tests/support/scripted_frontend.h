// A front end whose answers a test sets beforehand, and which records what the run told it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "program_paths.h"
#include "staging_database.h"

namespace brelin::testing {

// The program's files in the tests' memory file system.
inline const ProgramFiles kFiles = programFilesIn("/prog", "brelin");

class ScriptedFrontend : public RunEvents, public RunQuestions {
public:
    std::optional<std::string> output;
    // Where a write-out failed, the outputs given next, in order; none left is a cancel. Empty
    // and not asked again: a failed write-out fails the run, as brelin-cli's does.
    std::vector<std::optional<std::string>> outputsAfterFailure;
    bool asksAgain = false;
    // Answers to the stop question, in order; a missing answer is "no".
    std::vector<bool> stopAnswers;
    // Called at every progress step told, to press stop or change files in the middle of a run.
    std::function<void(int)> onProgress;
    // Called once the input is measured, before the staging pass reads it.
    std::function<void()> onMeasured;
    // Called when the output is asked for, before the answer is given.
    std::function<void()> onChooseOutput;

    bool stop = false;
    std::vector<RunPass> passes;
    std::optional<InputMeasure> measure;
    std::vector<int> progress;
    int stopQuestions = 0;
    int outputQuestions = 0;
    // The failures the output question was asked again with.
    std::vector<RunError> failuresShown;

    void passStarted(RunPass pass, const InputMeasure& m) override {
        passes.push_back(pass);
        if (pass != RunPass::Reading) return;
        measure = m;
        if (onMeasured) onMeasured();
    }
    void progressed(int percent) override {
        progress.push_back(percent);
        if (onProgress) onProgress(percent);
    }

    std::optional<std::string> chooseOutput(const std::string&, const RunError* failure) override {
        ++outputQuestions;
        if (onChooseOutput) onChooseOutput();
        if (failure == nullptr) return output;
        failuresShown.push_back(*failure);
        const size_t next = failuresShown.size() - 1;
        return next < outputsAfterFailure.size() ? outputsAfterFailure[next] : std::nullopt;
    }
    bool asksAgainAfterFailedWrite() const override { return asksAgain; }
    bool stopRequested() override { return stop; }
    bool confirmStop() override {
        const bool answer =
            stopQuestions < static_cast<int>(stopAnswers.size()) && stopAnswers[stopQuestions];
        ++stopQuestions;
        if (!answer) stop = false;
        return answer;
    }
};

// One run of input on the database db (opened by the caller), answered by frontend, with the
// program's files at files (kFiles).
inline RunResult runOn(StagingDatabase& db, FileSystem& fileSystem, ScriptedFrontend& frontend,
                       const std::string& input, RunOptions options = {},
                       const ProgramFiles& files = kFiles) {
    return Engine(db, files, fileSystem).run(input, options, frontend, frontend);
}

}  // namespace brelin::testing
