#include "start_up.h"

#include <QFont>
#include <QString>
#include <exception>

#include "dialogs.h"
#include "main_window.h"
#include "messages.h"
#include "public.h"

namespace brelin {

namespace {

// The windows name the faces of the system the program was first made for. Where they are
// missing, faces of the same widths stand in before the desktop's own sans-serif.
void addFontSubstitutes() {
    const QStringList sansSerif = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                   QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sansSerif);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sansSerif);
}

}  // namespace

std::unique_ptr<MainWindow> startUp(const ProgramFiles& paths, FileSystem& files,
                                    Dialogs& dialogs) {
    addFontSubstitutes();
    std::unique_ptr<StagingDatabase> database;
    try {
        database = Public::openStagingDatabase(paths.databasePath);
    } catch (const std::exception& error) {
        const RunError failure(FailedStep::Database, paths.databasePath, error.what());
        dialogs.warn(nullptr, QString::fromStdString(text::kAttention),
                     QString::fromStdString(text::describe(failure)));
        return nullptr;
    }
    return std::make_unique<MainWindow>(std::move(database), paths.logPath, files, dialogs);
}

}  // namespace brelin
