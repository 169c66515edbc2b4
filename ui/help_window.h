// FormAide, the help window: what the program does, where it writes its log and its report, and
// how to keep the end of long lines; "Fermer" (Alt+F), Escape and the frame close it. A new one
// is made for every showing, so it always opens with its text as written, whatever was typed
// into it before.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class HelpWindow;
}

namespace brelin {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    // logPath: the truncation log's file; reportPath: the report's, in the same folder.
    HelpWindow(const QString& logPath, const QString& reportPath, QWidget* parent = nullptr);
    ~HelpWindow() override;

private:
    std::unique_ptr<Ui::HelpWindow> ui_;
};

}  // namespace brelin
