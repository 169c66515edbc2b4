#include "start_up.h"

#include <QFont>
#include <QString>

#include "dialogs.h"
#include "engine.h"
#include "error_text.h"
#include "main_window.h"
#include "messages.h"
#include "qt_text.h"

namespace brelin {

namespace {

// The windows are laid out for "MS Sans Serif" and Arial: their texts must fit the widths of
// those faces. Where they are missing, faces of the same widths stand in before the desktop's
// own sans-serif, whose wider letters would be cut.
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
    // The file dialogs move the current folder: the program's files stay where they were put
    // at start-up, even where the program could only name them relative to it.
    ProgramFiles absolute = paths;
    for (std::string* path :
         {&absolute.databasePath, &absolute.logPath, &absolute.lockPath, &absolute.reportPath})
        *path = absolutePath(*path);
    std::unique_ptr<Engine> engine;
    try {
        engine = std::make_unique<Engine>(absolute, files);
    } catch (const RunError& failure) {
        dialogs.warn(nullptr, fromEngine(text::kAttention), fromEngine(text::describe(failure)));
        return nullptr;
    }
    return std::make_unique<MainWindow>(std::move(engine), dialogs);
}

}  // namespace brelin
