#include "file_choice.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

#include "messages.h"
#include "program_paths.h"
#include "qt_text.h"

namespace brelin {

namespace {

const QString kInputFolderKey = QStringLiteral("inputFolder");
const QString kGedcomExtension = QStringLiteral(".ged");

bool writable(const QString& folder) {
    return QFileInfo(folder).isDir() && canWriteFolder(toPath(folder));
}

// Where an output goes when the place at hand cannot take it: the user's own documents.
QString usersFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && writable(documents)) return documents;
    return QDir::homePath();
}

}  // namespace

std::optional<QString> droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return std::nullopt;
    const QFileInfo file(urls.first().toLocalFile());
    if (!file.isFile()) return std::nullopt;
    return file.absoluteFilePath();
}

bool droppedSeveralFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return false;
    const QList<QUrl> urls = data->urls();
    return urls.size() > 1 && std::all_of(urls.begin(), urls.end(), [](const QUrl& url) {
               return url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile();
           });
}

QString inputFolder() {
    const QString folder = QSettings().value(kInputFolderKey).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    return QDir::homePath();
}

void rememberInputFolder(const QString& inputPath) {
    QSettings().setValue(kInputFolderKey, QFileInfo(inputPath).absolutePath());
}

QString suggestedOutput(const QString& inputPath) {
    const QFileInfo input(inputPath);
    const QString folder = writable(input.absolutePath()) ? input.absolutePath() : usersFolder();
    return folder + QLatin1Char('/') + input.completeBaseName() +
           QString::fromUtf8(text::kOutputNameEnding) + kGedcomExtension;
}

QString outputAfterFailure(const QString& failedPath) {
    return usersFolder() + QLatin1Char('/') + QFileInfo(failedPath).fileName();
}

QString withGedcomExtension(const QString& path) {
    if (QFileInfo(path).fileName().contains(QLatin1Char('.'))) return path;
    return path + kGedcomExtension;
}

}  // namespace brelin
