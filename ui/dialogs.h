// The questions the desktop program puts to its user: the two file choices, its message boxes
// and its modal windows. The windows ask only through Dialogs, so that tests can give the
// answers beforehand instead of a person; QtDialogs (qt_dialogs.h) is the real one.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;

namespace brelin {

// What a file dialog opens with. chooseFile() writes back the filter the user left selected.
struct FileRequest {
    QString title;
    QString folder;       // where the dialog opens
    QString fileName;     // put in the file-name box; empty for none
    QStringList filters;  // "name (*.ext)" pairs, in the order offered
    QString filter;       // the one selected
    // A save dialog, whose button says "Enregistrer", rather than an open dialog.
    bool save = false;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The full path of the chosen or typed file (which need not exist), or nullopt when the
    // user cancels. Asks nothing before a file is replaced: the caller does.
    virtual std::optional<QString> chooseFile(QWidget* parent, FileRequest& request) = 0;
    // A message with one "OK" button and no icon.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
    // A failure the user has to know about: a warning and one "OK" button.
    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
    // A question with the buttons "Oui" (the default) and "Non"; true for "Oui".
    virtual bool ask(QWidget* parent, const QString& title, const QString& text) = 0;
    // Shows one of the program's windows modally (the help, the notice at the end of a run);
    // returns once it is closed.
    virtual void showModal(QDialog& dialog) = 0;
    // Opens a file with the desktop's program for its type, or a folder in its file manager,
    // without waiting for that program; false when the desktop has none for it.
    virtual bool open(const QString& path) = 0;
};

}  // namespace brelin
