#include "run_notice.h"

#include <QFileInfo>
#include <QStyle>

#include "attention.h"
#include "dialogs.h"
#include "messages.h"
#include "qt_text.h"
#include "ui_run_notice.h"

namespace brelin {

namespace {

// What deserves attention, one paragraph each; how to keep the lines' ends after a cut made
// without the CONC check box, which the box would have kept.
QString findingsText(const RunResult& result, const RunOptions& options) {
    const RunReport& report = result.report;
    QStringList lines;
    for (const std::string& line : text::attentionLines(report, text::Voice::Notice))
        lines.append(QStringLiteral("– ") + fromEngine(line));
    if (lines.isEmpty()) return fromEngine(text::kNoticeNothingToNote);
    if (!report.cutLines.empty() && !options.conc) lines.append(fromEngine(text::kNoticeConcHint));
    return fromEngine(text::kNoticeToNote) + "\n" + lines.join("\n");
}

}  // namespace

RunNotice::RunNotice(const RunResult& result, const RunOptions& options, const std::string& logPath,
                     const std::string& reportPath, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::RunNotice>()), dialogs_(dialogs) {
    ui_->setupUi(this);
    setWindowTitle(fromEngine(text::kNoticeTitle));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    ui_->lblIcon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(iconSize));

    ui_->lblWritten->setText(fromEngine(text::kNoticeWritten) + "\n" + fromPath(result.outputPath));
    ui_->lblFindings->setText(findingsText(result, options));

    // The log lists the lines cut or continued: a run without them has none.
    const RunReport& report = result.report;
    const bool log = !report.cutLines.empty() || !report.continuedLines.empty();
    QStringList files;
    files.append(log ? fromEngine(text::noticeLog(logPath)) : fromEngine(text::kNoticeNoLog));
    if (!reportPath.empty()) files.append(fromEngine(text::noticeReport(reportPath)));
    ui_->lblFiles->setText(files.join("\n"));
    folder_ = QFileInfo(fromPath(logPath)).absolutePath();

    ui_->btnOpenLog->setText(fromEngine(text::kOpenLog));
    ui_->btnOpenReport->setText(fromEngine(text::kOpenReport));
    ui_->btnOpenFolder->setText(fromEngine(text::kOpenFolder));
    ui_->btnOk->setText(fromEngine(text::kOk));
    ui_->btnOpenLog->setVisible(log);
    ui_->btnOpenReport->setVisible(!reportPath.empty());
    connect(ui_->btnOpenLog, &QPushButton::clicked, this,
            [this, path = fromPath(logPath)] { openFile(path); });
    connect(ui_->btnOpenReport, &QPushButton::clicked, this,
            [this, path = fromPath(reportPath)] { openFile(path); });
    connect(ui_->btnOpenFolder, &QPushButton::clicked, this, &RunNotice::openFolder);
    connect(ui_->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    ui_->btnOk->setFocus();
}

RunNotice::~RunNotice() = default;

void RunNotice::openFile(const QString& path) {
    if (!dialogs_.open(path))
        dialogs_.warn(this, fromEngine(text::kAttention),
                      fromEngine(text::cannotOpenFile(path.toStdString())));
}

void RunNotice::openFolder() {
    if (!dialogs_.open(folder_))
        dialogs_.warn(this, fromEngine(text::kAttention),
                      fromEngine(text::cannotOpenFolder(folder_.toStdString())));
}

}  // namespace brelin
