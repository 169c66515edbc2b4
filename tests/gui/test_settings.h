// The settings of a test program, the window's and Qt's file dialog's alike, in a folder of its
// own, never the user's.
#pragma once

#include <QSettings>
#include <QString>

#include "temp_dir.h"

namespace brelin::testing {

// Sends the settings to the test program's folder and empties the program's, as on its very
// first start.
inline void startWithNoSettings() {
    static const TempDir folder;
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(folder.path()));
    QSettings().clear();
}

}  // namespace brelin::testing
