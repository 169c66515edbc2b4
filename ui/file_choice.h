// Where the window's files come from and where it proposes to write: the one local file a drop
// carries, the folder the input dialog opens in (the last input's, kept in the program's
// settings from one start to the next) and the output's suggested place, name and extension.
#pragma once

#include <QString>
#include <optional>

class QMimeData;

namespace brelin {

// The absolute path of the file that data carries when it is exactly one local file (a
// folder, several files or a remote address give nullopt).
std::optional<QString> droppedFile(const QMimeData* data);
// True when data carries local files, more than one.
bool droppedSeveralFiles(const QMimeData* data);

// The folder of the last input, as long as it exists; the user's home folder otherwise.
QString inputFolder();
void rememberInputFolder(const QString& inputPath);

// NAME-trie.ged in the folder of the input NAME.EXT, where that folder can be written; in the
// user's Documents folder (or home folder) otherwise.
QString suggestedOutput(const QString& inputPath);

// After a write to failedPath failed: the same name in the user's Documents folder (or home).
QString outputAfterFailure(const QString& failedPath);

// path, with ".ged" added when its file name has no extension.
QString withGedcomExtension(const QString& path);

}  // namespace brelin
