// Dialogs whose answers a test gives beforehand, and which record what the window asked.
// Nothing here ever waits for a person.
#pragma once

#include <QDialog>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "dialogs.h"

namespace brelin::testing {

class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString kind;  // "inform", "warn" or "ask"
        QString title;
        QString text;
    };

    // Answers to the file dialogs, in order; nullopt, or no answer left, is a cancel.
    std::deque<std::optional<QString>> fileAnswers;
    // Answers to the questions, in order; no answer left is "Non".
    std::deque<bool> questionAnswers;

    // Called when a file dialog opens, a message or question shows, or a window (the help,
    // the notice after a run) is shown modally, before the answer is given: the place to act
    // as the user would meanwhile.
    std::function<void(const FileRequest&)> onFile;
    std::function<void(const Message&)> onMessage;
    std::function<void(QDialog&)> onModal;

    // Whether the desktop has a program to open files and folders with.
    bool desktopOpens = true;

    std::vector<FileRequest> fileRequests;
    std::vector<Message> messages;
    QStringList modalWindows;
    // The files and folders the desktop was asked to open.
    QStringList openedFiles;

    // The filter the user picks in every file dialog; empty keeps the one offered.
    QString pickFilter;

    std::optional<QString> chooseFile(QWidget*, FileRequest& request) override {
        fileRequests.push_back(request);
        if (onFile) onFile(request);
        if (!pickFilter.isEmpty()) request.filter = pickFilter;
        if (fileAnswers.empty()) return std::nullopt;
        const bool chosen = fileAnswers.front().has_value();
        const QString path = fileAnswers.front().value_or(QString());
        fileAnswers.pop_front();
        if (!chosen) return std::nullopt;
        return path;
    }
    void inform(QWidget*, const QString& title, const QString& text) override {
        record({QStringLiteral("inform"), title, text});
    }
    void warn(QWidget*, const QString& title, const QString& text) override {
        record({QStringLiteral("warn"), title, text});
    }
    bool ask(QWidget*, const QString& title, const QString& text) override {
        record({QStringLiteral("ask"), title, text});
        if (questionAnswers.empty()) return false;
        const bool answer = questionAnswers.front();
        questionAnswers.pop_front();
        return answer;
    }
    void showModal(QDialog& dialog) override {
        modalWindows.append(dialog.objectName());
        if (onModal) onModal(dialog);
    }
    bool open(const QString& path) override {
        openedFiles.append(path);
        return desktopOpens;
    }

    // How many messages of that title were shown.
    int count(const QString& title) const {
        int n = 0;
        for (const Message& message : messages) n += message.title == title ? 1 : 0;
        return n;
    }

private:
    void record(const Message& message) {
        messages.push_back(message);
        if (onMessage) onMessage(message);
    }
};

}  // namespace brelin::testing
