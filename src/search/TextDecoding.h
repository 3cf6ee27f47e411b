#pragma once

#include <QString>
#include <string_view>

namespace ferrolux {

// Text for display: UTF-8 when the bytes are valid UTF-8, else the
// single-byte Western code page (Windows-1252).
QString displayText(std::string_view bytes);

} // namespace ferrolux
