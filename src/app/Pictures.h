#pragma once

#include <QIcon>
#include <QPixmap>

namespace ferrolux {

// Ferrolux's own pictures, drawn rather than shipped, so that they stay sharp
// at any scale.

// The application icon: a magnifying glass over a page of text.
QIcon applicationIcon();
QImage applicationIconImage(int size);

// The splash picture, drawn to fill size.
QPixmap splashPicture(QSize size);

// Glyphs of the Search, Print and Stop buttons.
QIcon searchGlyph();
QIcon printGlyph();
QIcon stopGlyph();

} // namespace ferrolux
