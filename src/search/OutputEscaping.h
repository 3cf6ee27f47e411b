#pragma once

#include <string>
#include <string_view>

namespace ferrolux {

// A field for tab-separated output that always stays on one line: control
// characters and bytes that are not valid UTF-8 become \xHH, a backslash \\.
std::string escapeField(std::string_view bytes);

} // namespace ferrolux
