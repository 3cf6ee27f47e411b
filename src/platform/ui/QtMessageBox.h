#pragma once

namespace ferrolux {

// Makes MessageBoxA show real modal dialogs (QMessageBox).
void installQtMessageBoxes();

} // namespace ferrolux
