// The program's questions shown with Qt's own file dialog and message boxes.
#pragma once

#include "dialogs.h"

namespace brelin {

class QtDialogs : public Dialogs {
public:
    // The dialog opens in request.folder; a choice leaves the process's current folder as it is.
    std::optional<QString> chooseFile(QWidget* parent, FileRequest& request) override;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    void warn(QWidget* parent, const QString& title, const QString& text) override;
    bool ask(QWidget* parent, const QString& title, const QString& text) override;
    void showModal(QDialog& dialog) override;
    // Through xdg-open where the desktop has it, whose exit status tells whether it found a
    // program; through Qt's own means elsewhere.
    bool open(const QString& path) override;
};

}  // namespace brelin
