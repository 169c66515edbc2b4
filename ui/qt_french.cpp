#include "qt_french.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <utility>

#include "messages.h"

namespace brelin {

// The words of the file dialog's type column, which Debian's translation of Qt 6.4 lacks.
class QtFrench::Gaps : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const std::pair<const char*, const char*> kWords[] = {
            {"Folder", text::kQtFolder},
            {"Drive", text::kQtDrive},
            {"Shortcut", text::kQtShortcut},
            {"Unknown", text::kQtUnknown},
        };
        for (const auto& [english, french] : kWords)
            if (qstrcmp(source, english) == 0) return QString::fromUtf8(french);
        return {};
    }
    bool isEmpty() const override { return false; }
};

QtFrench::QtFrench() : gaps_(std::make_unique<Gaps>()) {
    if (QLocale::system().language() != QLocale::French)
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QCoreApplication::installTranslator(gaps_.get());
    // Installed last, so asked first: Debian's words win where both have one.
    loaded_ = qt_.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded_) QCoreApplication::installTranslator(&qt_);
}

QtFrench::~QtFrench() {
    QCoreApplication::removeTranslator(&qt_);
    QCoreApplication::removeTranslator(gaps_.get());
}

}  // namespace brelin
