// FormAide, the help window: a few lines on what the program does; "Fermer" (Alt+F), Escape and
// the frame close it. A new one is made for every showing, so it always opens with its text as
// written, whatever was typed into it before.
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
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

private:
    std::unique_ptr<Ui::HelpWindow> ui_;
};

}  // namespace brelin
