#pragma once

#include <QString>

namespace ferrolux {

// The message shown, and the process ended, on a screen exactly 640 pixels
// wide (true); any other width goes on (false).
bool refuseScreenWidth(int screenWidth);

// Where the help document is: beside the program (the build tree), else in
// the installed data folder.
QString helpDocumentPath();

} // namespace ferrolux
