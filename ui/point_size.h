// The point sizes of the windows' texts that Designer cannot keep: it stores whole sizes only,
// and the windows were laid out with these.
#pragma once

#include <QFont>
#include <QWidget>

namespace brelin {

inline constexpr qreal kLargePoints = 13.5;   // the help window's title
inline constexpr qreal kButtonPoints = 9.75;  // the file button, the help's text and its button
inline constexpr qreal kSmallPoints = 6.75;   // the main window's small print

inline void setPointSize(QWidget* widget, qreal points) {
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

}  // namespace brelin
