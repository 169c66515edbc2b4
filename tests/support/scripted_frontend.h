// A RunFrontend whose answers a test sets beforehand, and which records what the run showed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion_run.h"

namespace brelin::testing {

class ScriptedFrontend : public RunFrontend {
public:
    std::optional<InputChoice> input;
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
    std::string panels[3];
    bool progressVisible = false;
    std::vector<float> progress;
    int stopQuestions = 0;
    int outputQuestions = 0;

    std::optional<InputChoice> chooseInput() override { return input; }
    std::optional<std::string> chooseOutput(const std::string&) override {
        ++outputQuestions;
        if (onChooseOutput) onChooseOutput();
        return output;
    }
    void setState(RunState s) override {
        state = s;
        states.push_back(s);
    }
    void setPanel(int panel, const std::string& text) override { panels[panel - 1] = text; }
    void showProgress(bool visible) override { progressVisible = visible; }
    void updateProgress(float percent) override {
        progress.push_back(percent);
        if (onProgress) onProgress(percent);
    }
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
