// Qt's own words (the file dialog's "Dossier", its columns, buttons and file types) in French,
// as the program's texts are whatever the desktop's language: one window, one language. Debian's
// translation of Qt gives most words; the few of the file dialog it lacks come from the program's
// texts. The dialog's sizes and dates keep the desktop's formats, which Qt reads from the system.
#pragma once

#include <QTranslator>
#include <memory>

namespace brelin {

class QtFrench {
public:
    // Makes French the default locale (the file types' descriptions follow it), unless the
    // desktop's is a French one already, and installs the translations into the application,
    // which must exist, until destroyed.
    QtFrench();
    ~QtFrench();
    QtFrench(const QtFrench&) = delete;
    QtFrench& operator=(const QtFrench&) = delete;

    // False when Debian's translation of Qt was not found.
    bool qtTranslationLoaded() const { return loaded_; }

private:
    class Gaps;
    std::unique_ptr<QTranslator> gaps_;
    QTranslator qt_;
    bool loaded_ = false;
};

}  // namespace brelin
