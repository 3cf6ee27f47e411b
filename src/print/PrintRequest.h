#pragma once

#include <cstdint>
#include <string>

namespace ferrolux {

// The print request, written by the print dialog and read by the main
// window; both are reset at every press of the main window's Print button.

// -1: nothing to print; 0, 1, 2: the chosen item of the dialog's options.
inline int32_t PrintOption = -1;
// The text file chosen with Print to File; empty: print to the printer.
inline std::string PrintFileName;

} // namespace ferrolux
