#include "accessible_window.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "main_window.h"

namespace brelin {

namespace {

class ShownChildren : public QAccessibleWidget {
public:
    explicit ShownChildren(QWidget* window) : QAccessibleWidget(window, QAccessible::Client) {}

    int childCount() const override { return static_cast<int>(shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = shown();
        if (index < 0 || index >= children.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(children[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr) return -1;
        return static_cast<int>(shown().indexOf(qobject_cast<QWidget*>(child->object())));
    }

private:
    // Asked anew each time: the buttons and the bar show and hide as runs go.
    QList<QWidget*> shown() const {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child != nullptr && !child->isWindow() && !child->isHidden())
                children.append(child);
        }
        return children;
    }
};

QAccessibleInterface* accessibleWindow(const QString&, QObject* object) {
    if (auto* window = qobject_cast<MainWindow*>(object)) return new ShownChildren(window);
    return nullptr;
}

}  // namespace

void showShownChildrenOnly() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleWindow);
        return true;
    }();
    (void)installed;
}

}  // namespace brelin
