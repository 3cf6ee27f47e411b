#pragma once

#include <string>
#include <string_view>

namespace ferrolux {

// The name an archive entry is extracted under: the part after its last "/"
// or "\" (folders stored in the archive are dropped), shortened to 255 bytes
// when longer, keeping a short extension. Empty for a folder entry, an empty
// name, "." and "..": such entries are not extracted. The result never holds
// a "/", so a file made from it stays inside the extraction folder.
std::string extractedFileName(std::string_view entryName);

} // namespace ferrolux
