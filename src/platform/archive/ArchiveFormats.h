#pragma once

#include <string>
#include <string_view>
#include <vector>

struct archive;

namespace ferrolux {

// The archive formats other than Zip that Ferrolux reads through libarchive:
// tar, gzip-, bzip2- and xz-compressed tar, 7z and RAR. Which of them this
// build reads is asked of the library once, the first time it is needed; a
// format it reads only through an outside program counts as not read.

// The name endings ("TAR", "TAR.GZ", "TGZ", ...) of the formats this build
// reads, upper case, without the dot.
const std::vector<std::string>& readableArchiveExtensions();

// Whether a file of that name is an archive of a format this build reads
// (by its name ending, in any letter case).
bool isReadableArchiveName(std::string_view name);

// Lets a libarchive reader read every format and filter this build reads
// without an outside program.
void enableReadableFormats(struct archive* reader);

} // namespace ferrolux
