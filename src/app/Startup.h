#pragma once

#include <QSize>
#include <QString>

namespace ferrolux {

// The message shown, and the process ended, on a screen exactly 640 units
// wide (true); any other width goes on (false). The message names the room
// the desktop offers the window (usable), in the window's units: on a scaled
// screen these are not the screen's pixels.
bool refuseSmallScreen(QSize screen, QSize usable);

// Where the help document is: beside the program (the build tree), else in
// the installed data folder.
QString helpDocumentPath();

} // namespace ferrolux
