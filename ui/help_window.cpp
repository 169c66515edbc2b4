#include "help_window.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextDocument>

#include "point_size.h"
#include "ui_help_window.h"

namespace brelin {

HelpWindow::HelpWindow(const QString& logPath, const QString& reportPath, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::HelpWindow>()) {
    ui_->setupUi(this);
    // The form's text names the folder, the log and the report as %1, %2 and %3. Its raw text
    // keeps the no-break spaces of French punctuation, which toPlainText() would turn to spaces.
    const QFileInfo log(logPath);
    ui_->Text1->setPlainText(ui_->Text1->document()->toRawText().arg(
        log.absolutePath(), log.fileName(), QFileInfo(reportPath).fileName()));
    setPointSize(ui_->Label1, kLargePoints);
    setPointSize(ui_->Text1, kButtonPoints);
    setPointSize(ui_->Annuler, kButtonPoints);

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
