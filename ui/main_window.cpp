#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "dialogs.h"
#include "help_window.h"
#include "messages.h"
#include "public.h"
#include "ui_main_window.h"

namespace brelin {

namespace {

const QString kInputTitle = QStringLiteral("Veuillez choisir le fichier gedcom à traiter");
const QString kOutputTitle = QStringLiteral("Choisissez sous quel nom sauver votre GEDCOM");
const QStringList kFilters = {QStringLiteral("gedcom (*.ged)"),
                              QStringLiteral("Text Files (*.txt)")};

// The engine's texts are UTF-8, and so are file names on the systems the program runs on.
QString fromEngine(const std::string& text) {
    return QString::fromStdString(text);
}

// The engine's two-line texts end their first line with CR LF, which a message box shows as
// a stray character.
QString messageText(const char* text) {
    return fromEngine(text).replace("\r\n", "\n");
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Designer keeps whole point sizes only; these sizes are not.
void setPointSize(QWidget* widget, qreal points) {
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

}  // namespace

MainWindow::MainWindow(std::unique_ptr<StagingDatabase> database, std::string logPath,
                       FileSystem& files, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      database_(std::move(database)),
      logPath_(std::move(logPath)),
      files_(files),
      dialogs_(dialogs) {
    ui_->setupUi(this);
    panels_[0] = ui_->panel1;
    panels_[1] = ui_->panel2;
    panels_[2] = ui_->panel3;
    setPointSize(ui_->btnFile, 9.75);
    setPointSize(ui_->Label4, 6.75);
    ui_->lblVersion->setText(fromEngine(text::kVersion));

    connect(ui_->btnFile, &QPushButton::clicked, this, &MainWindow::startRun);
    connect(ui_->btnAide, &QPushButton::clicked, this, &MainWindow::openHelp);
    connect(ui_->btnStop, &QPushButton::clicked, this, &MainWindow::requestStop);
    connect(ui_->btnQuit, &QPushButton::clicked, this, &MainWindow::quit);

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

void MainWindow::startRun() {
    if (running_ || !database_) return;
    running_ = true;
    ConversionRun run(*database_, files_, *this, logPath_);
    const RunResult result = run.start();
    running_ = false;

    if (result.outcome == RunOutcome::Abandoned) {
        quit();
    } else if (result.outcome == RunOutcome::Failed && result.error) {
        dialogs_.warn(this, fromEngine(text::kAttention),
                      fromEngine(text::describe(*result.error)));
    }
}

void MainWindow::openHelp() {
    // Opened during a run, the help window holds the run until it is closed: no need for the
    // busy pointer over it.
    const bool busy = busyPointer_;
    setBusyPointer(false);
    HelpWindow help(this);
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
    try {
        Public::closeStagingDatabase(database_);
    } catch (const std::exception&) {
        // Nothing of a run lives in the database once the run has ended, and the next start
        // replaces its file: the program can end all the same.
        database_.reset();
    }
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

std::optional<InputChoice> MainWindow::chooseInput() {
    // Every run starts with the GEDCOM filter, whatever the last run chose.
    filter_ = kFilters.first();
    FileRequest request{kInputTitle, QDir::currentPath(), QString(), kFilters, filter_};
    const std::optional<QString> path = dialogs_.chooseFile(this, request);
    filter_ = request.filter;
    if (!path) return std::nullopt;
    return InputChoice{toPath(*path), toPath(QFileInfo(*path).fileName())};
}

std::optional<std::string> MainWindow::chooseOutput(const std::string& inputPath) {
    FileRequest request{kOutputTitle, QDir::currentPath(), QString(), kFilters, filter_};
    for (;;) {
        const std::optional<QString> path = dialogs_.chooseFile(this, request);
        filter_ = request.filter;
        if (!path) return std::nullopt;
        // A refused name comes back in the dialog's file-name box.
        request.fileName = *path;
        const std::string candidate = toPath(*path);
        if (sameFile(candidate, inputPath)) {
            dialogs_.inform(this, fromEngine(text::kAttention), messageText(text::kSameAsInput));
            continue;
        }
        if (fileExists(candidate) &&
            !dialogs_.ask(this, fromEngine(text::kAttention), messageText(text::kReplaceQuestion)))
            continue;
        return candidate;
    }
}

void MainWindow::setState(RunState state) {
    const bool idle = state == RunState::Idle;
    ui_->btnFile->setEnabled(idle);
    if (idle) {
        ui_->btnQuit->show();
        ui_->btnStop->hide();
    } else {
        ui_->btnStop->show();
        ui_->btnQuit->hide();
    }
    setBusyPointer(state == RunState::Running);
    repaint();
}

void MainWindow::setPanel(int panel, const std::string& text) {
    if (panel < 1 || panel > 3) return;
    panels_[panel - 1]->setText(fromEngine(text));
}

void MainWindow::showProgress(bool visible) {
    if (visible) ui_->ProgressBar1->setValue(0);
    ui_->ProgressBar1->setVisible(visible);
}

void MainWindow::updateProgress(float percent) {
    ui_->ProgressBar1->setValue(static_cast<int>(percent));
    QCoreApplication::processEvents();
}

bool MainWindow::confirmStop() {
    const bool busy = busyPointer_;
    setBusyPointer(false);
    const bool yes =
        dialogs_.ask(this, fromEngine(text::kStopTitle), fromEngine(text::kStopQuestion));
    setBusyPointer(busy);
    return yes;
}

}  // namespace brelin
