#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include "accessible_window.h"
#include "attention.h"
#include "dialogs.h"
#include "error_text.h"
#include "file_choice.h"
#include "help_window.h"
#include "messages.h"
#include "point_size.h"
#include "program_paths.h"
#include "qt_text.h"
#include "report_text.h"
#include "run_notice.h"
#include "ui_main_window.h"

namespace brelin {

namespace {

// The CONC check box's setting; its first name is still read, so that an earlier choice holds.
const QString kConcKey = QStringLiteral("conc");
const QString kEarlierConcKey = QStringLiteral("continueLongLines");

const QStringList& filters() {
    static const QStringList list = {fromEngine(text::kGedcomFilter),
                                     fromEngine(text::kTextFilter)};
    return list;
}

// A sentence of two lines, as the message boxes have always shown it.
QString messageText(text::TwoLines text) {
    return fromEngine(text.first) + "\n" + fromEngine(text.second);
}

// A file the message is about, on a line of its own after it.
QString namedFile(const QString& path) {
    return QStringLiteral("\n\n« ") + QDir::toNativeSeparators(path) + QStringLiteral(" »");
}

// A dropped file is taken as a copy, never moved: a source that moves would take its file away
// once the drop is done.
bool acceptAsCopy(QDropEvent& event) {
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event.possibleActions().testFlag(action)) {
            event.setDropAction(action);
            event.accept();
            return true;
        }
    }
    event.ignore();
    return false;
}

}  // namespace

MainWindow::MainWindow(std::unique_ptr<Engine> engine, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      engine_(std::move(engine)),
      paths_(engine_->files()),
      dialogs_(dialogs) {
    showShownChildrenOnly();
    ui_->setupUi(this);
    setPointSize(ui_->btnFile, kButtonPoints);
    setPointSize(ui_->Label4, kSmallPoints);
    ui_->lblVersion->setText(fromEngine(text::kVersion));

    connect(ui_->btnFile, &QPushButton::clicked, this, &MainWindow::chooseAndRun);
    connect(ui_->btnAide, &QPushButton::clicked, this, &MainWindow::openHelp);
    connect(ui_->btnStop, &QPushButton::clicked, this, &MainWindow::requestStop);
    connect(ui_->btnQuit, &QPushButton::clicked, this, &MainWindow::quit);
    setAcceptDrops(true);

    // The CONC choice is the user's, kept from one start of the program to the next.
    QSettings settings;
    ui_->chkConc->setChecked(
        settings.value(kConcKey, settings.value(kEarlierConcKey, false)).toBool());
    connect(ui_->chkConc, &QCheckBox::toggled, this,
            [](bool checked) { QSettings().setValue(kConcKey, checked); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() {
    setBusyPointer(false);
    closeDatabase();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The run holds the database until it returns; it asks the stop question right after
        // the event processing that delivered this close, and quits on a yes.
        stopRequested_ = true;
        event->ignore();
        return;
    }
    closeDatabase();
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (running_ && event->key() == Qt::Key_Escape) {
        requestStop();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::startRunOn(const std::string& inputPath) {
    if (running_ || !engine_) return;
    rememberInputFolder(fromPath(inputPath));
    // Every run starts with the GEDCOM filter, whatever the last run chose.
    filter_ = filters().first();
    runOn(inputPath);
}

void MainWindow::chooseAndRun() {
    if (running_ || !engine_) return;
    const std::optional<std::string> input = chooseInput();
    if (input) runOn(*input);
}

bool MainWindow::takesDrops() const {
    // A message box or the help window open over the idle window holds it as a run would.
    return !running_ && engine_ && QApplication::activeModalWidget() == nullptr;
}

std::optional<QString> MainWindow::acceptableDrop(const QDropEvent& event) const {
    if (!takesDrops()) return std::nullopt;
    return droppedFile(event.mimeData());
}

bool MainWindow::severalFilesDropped(const QDropEvent& event) const {
    return takesDrops() && droppedSeveralFiles(event.mimeData());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    // Several files are taken too, to say on the drop that one at a time is.
    if (acceptableDrop(*event) || severalFilesDropped(*event)) {
        acceptAsCopy(*event);
    } else {
        event->ignore();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    // The drop ends at once, so that the program the files came from waits for nothing; the
    // run, or the message, comes from the event loop.
    if (const std::optional<QString> path = acceptableDrop(*event)) {
        if (acceptAsCopy(*event))
            QTimer::singleShot(0, this, [this, input = toPath(*path)] { startRunOn(input); });
    } else if (severalFilesDropped(*event)) {
        if (acceptAsCopy(*event)) {
            QTimer::singleShot(0, this, [this] {
                dialogs_.inform(this, fromEngine(text::kAttention),
                                fromEngine(text::kOneFileAtATime));
            });
        }
    } else {
        event->ignore();
    }
}

void MainWindow::runOn(const std::string& inputPath) {
    running_ = true;
    stopRequested_ = false;
    ui_->panel2->setText(QFileInfo(fromPath(inputPath)).fileName());
    ui_->panel1->clear();
    ui_->panel3->clear();
    showRunning(true);
    RunOptions options;
    options.conc = ui_->chkConc->isChecked();
    options.reportText = text::reportText;
    const RunResult result = engine_->run(inputPath, options, *this, *this);
    running_ = false;
    ui_->ProgressBar1->hide();
    // A run the user abandoned ends the program, in the state it was left in.
    if (result.outcome != RunOutcome::Abandoned) {
        showOutcome(result);
        showRunning(false);
    }
    reportRun(result, options);

    if (result.outcome == RunOutcome::Abandoned) {
        quit();
        return;
    }
    if (result.outcome == RunOutcome::Failed && result.error) {
        dialogs_.warn(this, fromEngine(text::kAttention),
                      fromEngine(text::describe(*result.error)));
    }
    // The file button lost the focus when it was disabled for the run: Enter starts the next
    // run, as it did this one.
    ui_->btnFile->setFocus(Qt::OtherFocusReason);
}

void MainWindow::reportRun(const RunResult& result, const RunOptions& options) {
    if (result.outcome != RunOutcome::Completed) return;
    // The output is written all the same: the notice still names it.
    if (result.logOrReportFailure)
        dialogs_.warn(this, fromEngine(text::kAttention),
                      fromEngine(text::describe(*result.logOrReportFailure)));
    RunNotice notice(result, options, paths_.logPath,
                     result.reportWritten ? paths_.reportPath : std::string(), dialogs_, this);
    dialogs_.showModal(notice);
}

void MainWindow::openHelp() {
    // Opened during a run, the help window holds the run until it is closed: no need for the
    // busy pointer over it.
    const bool busy = busyPointer_;
    setBusyPointer(false);
    HelpWindow help(fromPath(paths_.logPath), fromPath(paths_.reportPath), this);
    dialogs_.showModal(help);
    setBusyPointer(busy);
}

void MainWindow::requestStop() {
    stopRequested_ = true;
}

void MainWindow::quit() {
    setBusyPointer(false);
    ui_->btnStop->hide();
    ui_->btnQuit->show();
    closeDatabase();
    close();
}

void MainWindow::closeDatabase() {
    if (!engine_) return;
    try {
        engine_->close();
    } catch (const RunError&) {
        // Nothing of a run lives in the database once the run has ended, and the next start
        // replaces its file: the program can end all the same.
    }
    engine_.reset();
}

void MainWindow::setBusyPointer(bool busy) {
    if (busy == busyPointer_) return;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
    busyPointer_ = busy;
}

std::optional<std::string> MainWindow::chooseInput() {
    // Every run starts with the GEDCOM filter, whatever the last run chose.
    filter_ = filters().first();
    FileRequest request{fromEngine(text::kInputTitle), inputFolder(), QString(), filters(),
                        filter_};
    const std::optional<QString> path = dialogs_.chooseFile(this, request);
    filter_ = request.filter;
    if (!path) return std::nullopt;
    rememberInputFolder(*path);
    return toPath(*path);
}

std::optional<std::string> MainWindow::chooseOutput(const std::string& inputPath,
                                                    const RunError* failure) {
    // The reading is over; the user has the pointer for the dialog.
    ui_->ProgressBar1->hide();
    setBusyPointer(false);
    QString suggestion = suggestedOutput(fromPath(inputPath));
    if (failure != nullptr) {
        // The records read wait in the store: the user only picks another place.
        dialogs_.warn(
            this, fromEngine(text::kAttention),
            fromEngine(text::describe(*failure)) + "\n\n" + fromEngine(text::kChooseAnotherPlace));
        suggestion = outputAfterFailure(fromPath(failure->path()));
    }
    FileRequest request{fromEngine(text::kOutputTitle), QFileInfo(suggestion).absolutePath(),
                        suggestion, filters(), filter_};
    request.save = true;
    for (;;) {
        const std::optional<QString> path = dialogs_.chooseFile(this, request);
        filter_ = request.filter;
        if (!path) return std::nullopt;
        const QString named = withGedcomExtension(*path);
        // A refused name comes back in the dialog's file-name box.
        request.fileName = named;
        const std::string candidate = toPath(named);
        if (sameFile(candidate, inputPath)) {
            dialogs_.inform(this, fromEngine(text::kAttention),
                            messageText(text::kSameAsInput) + namedFile(named));
            continue;
        }
        if (fileExists(candidate) &&
            !dialogs_.ask(this, fromEngine(text::kAttention),
                          messageText(text::kReplaceQuestion) + namedFile(named)))
            continue;
        return candidate;
    }
}

void MainWindow::showRunning(bool running) {
    ui_->btnFile->setEnabled(!running);
    ui_->chkConc->setEnabled(!running);
    if (running) {
        ui_->btnStop->show();
        ui_->btnQuit->hide();
    } else {
        ui_->btnQuit->show();
        ui_->btnStop->hide();
    }
    setBusyPointer(running);
    repaint();
}

void MainWindow::passStarted(RunPass pass, const InputMeasure& measure) {
    if (pass == RunPass::Reading) ui_->panel1->setText(fromEngine(text::measureText(measure)));
    ui_->ProgressBar1->setAccessibleName(fromEngine(text::progressName(pass)));
    ui_->ProgressBar1->setValue(0);
    ui_->ProgressBar1->show();
}

void MainWindow::progressed(int percent) {
    ui_->ProgressBar1->setValue(percent);
}

bool MainWindow::stopRequested() {
    QCoreApplication::processEvents();
    return stopRequested_;
}

void MainWindow::showOutcome(const RunResult& result) {
    switch (result.outcome) {
        case RunOutcome::Completed:
            ui_->panel3->setText(fromEngine(text::elapsedText(result.seconds)));
            ui_->panel2->setText(fromEngine(text::kDone));
            break;
        case RunOutcome::OutputCancelled:
            ui_->panel2->setText(fromEngine(text::kCancelled));
            break;
        case RunOutcome::Failed:
            ui_->panel2->setText(fromEngine(text::kFailed));
            break;
        case RunOutcome::Abandoned:
            break;
    }
}

bool MainWindow::confirmStop() {
    const bool busy = busyPointer_;
    setBusyPointer(false);
    const bool yes =
        // Seven blanks before it, as the question has always been laid out in its box.
        dialogs_.ask(this, fromEngine(text::kStopTitle),
                     QStringLiteral("       ") + fromEngine(text::kStopQuestion));
    setBusyPointer(busy);
    if (!yes) stopRequested_ = false;
    return yes;
}

}  // namespace brelin
