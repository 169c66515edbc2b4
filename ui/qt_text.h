// Between the engine's strings and Qt's: the wording's texts are UTF-8; paths are the system's
// bytes, shown as the file manager shows them.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <string>

namespace brelin {

inline QString fromEngine(const std::string& text) {
    return QString::fromStdString(text);
}

inline QString fromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

inline std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace brelin
