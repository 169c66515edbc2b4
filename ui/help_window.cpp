#include "help_window.h"

#include <QApplication>

#include "ui_help_window.h"

namespace brelin {

namespace {

// Designer keeps whole point sizes only; these sizes are not.
void setPointSize(QWidget* widget, qreal points) {
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::HelpWindow>()) {
    ui_->setupUi(this);
    setPointSize(ui_->Label1, 13.5);
    setPointSize(ui_->Text1, 9.75);
    setPointSize(ui_->Annuler, 9.75);

    // Black on the pale colour of the desktop's tool tips.
    QPalette palette = ui_->Text1->palette();
    const QColor paper = QApplication::palette().color(QPalette::ToolTipBase);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, paper);
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    ui_->Text1->setPalette(palette);

    connect(ui_->Annuler, &QPushButton::clicked, this, &HelpWindow::accept);
}

HelpWindow::~HelpWindow() = default;

}  // namespace brelin
