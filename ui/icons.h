#pragma once
// Pictures drawn from the SVG files compiled into the program.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace korrivan::ui {

enum class Mark;

// ":/korrivan/icons/NAME.svg" rendered at the usual icon sizes.
QIcon svgIcon(const QString& name);
QPixmap svgPixmap(const QString& name, QSize size);
// The tick, cross and neutral marks of the results grid.
QIcon markIcon(Mark mark);

}  // namespace korrivan::ui
