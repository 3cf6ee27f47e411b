#pragma once

#include <QFont>
#include <QSize>
#include <QString>

namespace ferrolux {

// The font named in the settings, or the closest installed face of the same
// kind when it is not installed ("MS Sans Serif" and "Fixedsys" are not on
// Linux). The name itself stays what the settings hold.
QFont screenFont(const QString& family, int pointSize, QFont::StyleHint kind);
// Same, sized in pixels (the window font).
QFont screenFontPixels(const QString& family, int pixelSize, QFont::StyleHint kind);

// Width and height of the primary screen in the windows' units (pixels
// divided by the scale factor).
QSize primaryScreenSize();
// The part of it that windows may take (without panels and docks).
QSize usableScreenSize();

} // namespace ferrolux
