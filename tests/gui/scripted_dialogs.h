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

    // Called when a file dialog opens, a message, question or notice shows, or a window is
    // shown modally, before the answer is given: the place to act as the user would meanwhile.
    std::function<void(const FileRequest&)> onFile;
    std::function<void(const Message&)> onMessage;
    std::function<void(QDialog&)> onModal;
    std::function<void(const Message&)> onNotice;

    // Answers to the notices after a run, in order; true clicks the button that opens a file,
    // no answer left is "OK".
    std::deque<bool> noticeAnswers;

    std::vector<FileRequest> fileRequests;
    std::vector<Message> messages;
    QStringList modalWindows;
    // The notices shown, apart from the other messages, and their open buttons' labels; the
    // files opened in the desktop's viewer.
    std::vector<Message> notices;
    QStringList noticeButtons;
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
    bool notice(QWidget*, const QString& title, const QString& text,
                const QString& openLabel) override {
        notices.push_back({QStringLiteral("notice"), title, text});
        noticeButtons.append(openLabel);
        if (onNotice) onNotice(notices.back());
        if (noticeAnswers.empty()) return false;
        const bool answer = noticeAnswers.front();
        noticeAnswers.pop_front();
        return answer;
    }
    void openInViewer(const QString& path) override { openedFiles.append(path); }

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
