// A RunFrontend whose answers a test sets beforehand, and which records what the run told it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion_run.h"

namespace brelin::testing {

class ScriptedFrontend : public RunFrontend {
public:
    std::optional<std::string> input;
    std::optional<std::string> output;
    // Answers to the stop question, in order; a missing answer is "no".
    std::vector<bool> stopAnswers;
    // Called at every progress step, to press stop or change files in the middle of a run.
    std::function<void(float)> onProgress;
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
    int stopQuestions = 0;
    int outputQuestions = 0;

    std::optional<std::string> chooseInput() override { return input; }
    std::optional<std::string> chooseOutput(const std::string&) override {
        ++outputQuestions;
        if (onChooseOutput) onChooseOutput();
        return output;
    }
    void runStarted(const std::string& inputPath) override {
        started.push_back(inputPath);
        measure.reset();
    }
    void setState(RunState s) override {
        state = s;
        states.push_back(s);
    }
    void inputMeasured(const InputMeasure& m) override { measure = m; }
    void showProgress(bool visible) override { progressVisible = visible; }
    void updateProgress(float percent) override {
        progress.push_back(percent);
        if (onProgress) onProgress(percent);
    }
    void runEnded(const RunResult& result) override { ended.push_back(result); }
    bool stopRequested() override { return stop; }
    void clearStopRequest() override { stop = false; }
    bool confirmStop() override {
        const bool answer =
            stopQuestions < static_cast<int>(stopAnswers.size()) && stopAnswers[stopQuestions];
        ++stopQuestions;
        return answer;
    }
};

}  // namespace brelin::testing
