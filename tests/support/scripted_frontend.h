// A front end whose answers a test sets beforehand, and which records what the run told it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion_run.h"
#include "run_database.h"

namespace brelin::testing {

class ScriptedFrontend : public RunFrontend, public RunQuestions {
public:
    std::optional<std::string> output;
    // Where a write-out failed, the outputs given next, in order; none left is a cancel. Empty
    // and not asked again: a failed write-out fails the run, as brelin-cli's does.
    std::vector<std::optional<std::string>> outputsAfterFailure;
    bool asksAgain = false;
    // Answers to the stop question, in order; a missing answer is "no".
    std::vector<bool> stopAnswers;
    // Called at every progress step, to press stop or change files in the middle of a run.
    std::function<void(float)> onProgress;
    // Called once the input is measured, before the staging pass reads it.
    std::function<void()> onMeasured;
    // Called when the output is asked for, before the answer is given.
    std::function<void()> onChooseOutput;

    bool stop = false;
    RunState state = RunState::Idle;
    std::vector<RunState> states;
    std::vector<std::string> started;
    std::optional<InputMeasure> measure;
    std::vector<RunResult> ended;
    bool progressVisible = false;
    std::vector<float> progress;
    int pendingHandled = 0;
    int stopQuestions = 0;
    int outputQuestions = 0;
    // The failures the output question was asked again with.
    std::vector<RunError> failuresShown;

    // As the programs do, a run starts with no stop request.
    void runStarted(const std::string& inputPath) override {
        started.push_back(inputPath);
        measure.reset();
        stop = false;
    }
    void setState(RunState s) override {
        state = s;
        states.push_back(s);
    }
    void inputMeasured(const InputMeasure& m) override {
        measure = m;
        if (onMeasured) onMeasured();
    }
    void showProgress(bool visible) override { progressVisible = visible; }
    void updateProgress(float percent) override {
        progress.push_back(percent);
        if (onProgress) onProgress(percent);
    }
    void handlePending() override { ++pendingHandled; }
    void runEnded(const RunResult& result) override { ended.push_back(result); }

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

// One run of input on the database db (opened by the caller), answered by frontend.
inline RunResult runOnce(StagingDatabase& db, FileSystem& files, ScriptedFrontend& frontend,
                         const std::string& input, const std::string& logPath,
                         RunOptions options = {}) {
    RunDatabase database(db);
    return ConversionRun(database, files, frontend, frontend, logPath, options).start(input);
}

}  // namespace brelin::testing
