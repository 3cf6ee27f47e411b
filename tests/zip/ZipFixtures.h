#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux::test {

// An entry written through zip's own write API.
struct ZipEntry {
    std::string name;
    std::string data;
    std::optional<std::string> password; // encrypted with this password when set
    uint16_t encryption = 1;             // ZIP_EM_TRAD_PKWARE unless told otherwise
    bool symbolicLink = false;           // marked as a Unix symbolic link whose target is data
    bool stored = false;                 // no compression
};

ZipEntry plainEntry(std::string name, std::string data);
ZipEntry encryptedEntry(std::string name, std::string data, std::string password,
                        uint16_t encryption);
ZipEntry linkEntry(std::string name, std::string target);
ZipEntry uncompressedEntry(std::string name, std::string data);

// Writes a Zip archive with zip's write API.
void writeZip(const std::string& path, const std::vector<ZipEntry>& entries);

// An entry written byte by byte, for archives zip's write API refuses to make:
// the bytes, sizes, CRC and flags are exactly as given.
struct RawEntry {
    std::string name;
    std::string payload;       // the bytes stored in the archive
    uint16_t method = 0;       // 0 stored, 8 deflated, anything else as given
    uint16_t flags = 0;        // general purpose flags (bit 0: encrypted)
    uint32_t crc = 0;          // as declared
    uint32_t declaredSize = 0; // uncompressed size as declared
    uint32_t externalAttributes = 0;
};

// A stored entry with a correct CRC and size.
RawEntry storedEntry(std::string name, std::string data);
// A deflated entry with a correct CRC and size.
RawEntry deflatedEntry(std::string name, const std::string& data);

// The bytes of a Zip archive made of raw entries.
std::string rawZip(const std::vector<RawEntry>& entries);

uint32_t crc32Of(std::string_view data);
std::string deflateRaw(std::string_view data);

// Names in a folder (not "." or ".."), sorted.
std::vector<std::string> folderNames(const std::string& folder);

} // namespace ferrolux::test
