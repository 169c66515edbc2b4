// FormAide, the help window: a few lines on what the program does. A new one is made for every
// showing, so it always opens with its text as written, whatever was typed into it before.
#pragma once

#include <QDialog>
#include <memory>

class QKeyEvent;

namespace Ui {
class HelpWindow;
}

namespace brelin {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

protected:
    // Only "Fermer" (Alt+F) and the frame close the window; Escape does not.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::HelpWindow> ui_;
};

}  // namespace brelin
