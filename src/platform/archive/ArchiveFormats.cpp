#include "platform/archive/ArchiveFormats.h"

#include <algorithm>
#include <archive.h>
#include <array>
#include <cctype>

namespace ferrolux {
namespace {

using Support = int (*)(struct archive*);

// The formats and filters asked of the library, in this order.
enum Capability { Tar, SevenZip, Rar, Rar5, Gzip, Bzip2, Xz, CapabilityCount };
constexpr std::array<Support, CapabilityCount> enablers = {
    archive_read_support_format_tar,  archive_read_support_format_7zip,
    archive_read_support_format_rar,  archive_read_support_format_rar5,
    archive_read_support_filter_gzip, archive_read_support_filter_bzip2,
    archive_read_support_filter_xz,
};

// Which of them this build reads. ARCHIVE_WARN means "through an outside
// program": not read here.
const std::array<bool, CapabilityCount>& capabilities() {
    static const std::array<bool, CapabilityCount> readable = [] {
        std::array<bool, CapabilityCount> found{};
        for (size_t i = 0; i < enablers.size(); ++i) {
            struct archive* probe = archive_read_new();
            found[i] = enablers[i](probe) == ARCHIVE_OK;
            archive_read_free(probe);
        }
        return found;
    }();
    return readable;
}

std::vector<std::string> readableEndings() {
    const std::array<bool, CapabilityCount>& c = capabilities();
    const struct {
        const char* extension;
        bool readable;
    } formats[] = {
        {"TAR", c[Tar]},
        {"TAR.GZ", c[Tar] && c[Gzip]},
        {"TGZ", c[Tar] && c[Gzip]},
        {"TAR.BZ2", c[Tar] && c[Bzip2]},
        {"TAR.XZ", c[Tar] && c[Xz]},
        {"7Z", c[SevenZip]},
        {"RAR", c[Rar]},
    };
    std::vector<std::string> readable;
    for (const auto& format : formats)
        if (format.readable) readable.emplace_back(format.extension);
    return readable;
}

// name ends in "." + extension (upper case), in any letter case.
bool hasEnding(std::string_view name, std::string_view extension) {
    if (name.size() <= extension.size() + 1) return false;
    const std::string_view tail = name.substr(name.size() - extension.size());
    return name[name.size() - extension.size() - 1] == '.' &&
           std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

} // namespace

const std::vector<std::string>& readableArchiveExtensions() {
    static const std::vector<std::string> extensions = readableEndings();
    return extensions;
}

bool isReadableArchiveName(std::string_view name) {
    return std::any_of(readableArchiveExtensions().begin(), readableArchiveExtensions().end(),
                       [name](const std::string& extension) { return hasEnding(name, extension); });
}

void enableReadableFormats(struct archive* reader) {
    for (size_t i = 0; i < enablers.size(); ++i)
        if (capabilities()[i]) enablers[i](reader);
}

} // namespace ferrolux
