#include "platform/zip/ZipEntryName.h"

namespace ferrolux {
namespace {

constexpr size_t maxNameBytes = 255;
constexpr size_t maxKeptExtension = 32;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Cuts text to at most `limit` bytes without splitting a UTF-8 character
// (a character has at most three continuation bytes; text that is not UTF-8
// is cut at the limit).
std::string_view cutAt(std::string_view text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t keep = limit;
    while (keep > 0 && limit - keep < 3 && isContinuationByte(text[keep]))
        --keep;
    if (isContinuationByte(text[keep])) keep = limit;
    return text.substr(0, keep);
}

std::string shortened(std::string_view name) {
    const size_t dot = name.rfind('.');
    const bool keepExtension =
        dot != std::string_view::npos && dot > 0 && name.size() - dot <= maxKeptExtension;
    const std::string_view extension = keepExtension ? name.substr(dot) : std::string_view();
    const std::string_view stem = name.substr(0, name.size() - extension.size());
    return std::string(cutAt(stem, maxNameBytes - extension.size())) + std::string(extension);
}

} // namespace

std::string extractedFileName(std::string_view entryName) {
    const size_t separator = entryName.find_last_of("/\\");
    const std::string_view name =
        separator == std::string_view::npos ? entryName : entryName.substr(separator + 1);
    if (name.empty() || name == "." || name == "..") return {};
    if (name.size() <= maxNameBytes) return std::string(name);
    return shortened(name);
}

} // namespace ferrolux
