#include "file_choice.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include "messages.h"

namespace brelin {

namespace {

const QString kInputFolderKey = QStringLiteral("inputFolder");
const QString kGedcomExtension = QStringLiteral(".ged");

}  // namespace

std::optional<QString> droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return std::nullopt;
    const QFileInfo file(urls.first().toLocalFile());
    if (!file.isFile()) return std::nullopt;
    return file.absoluteFilePath();
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
    return input.absolutePath() + QLatin1Char('/') + input.completeBaseName() +
           QString::fromUtf8(text::kOutputNameEnding) + kGedcomExtension;
}

QString withGedcomExtension(const QString& path) {
    if (QFileInfo(path).fileName().contains(QLatin1Char('.'))) return path;
    return path + kGedcomExtension;
}

}  // namespace brelin
