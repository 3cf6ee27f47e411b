#include "ZipFixtures.h"

#include <algorithm>
#include <dirent.h>
#include <stdexcept>
#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

namespace ferrolux::test {
namespace {

void check(bool ok, zip_t* archive, const std::string& what) {
    if (!ok) throw std::runtime_error(what + ": " + zip_strerror(archive));
}

void addEntry(zip_t* archive, const ZipEntry& entry) {
    zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
    check(source != nullptr, archive, "source");
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) zip_source_free(source);
    check(index >= 0, archive, "add " + entry.name);
    const auto at = static_cast<zip_uint64_t>(index);
    if (entry.stored)
        check(zip_set_file_compression(archive, at, ZIP_CM_STORE, 0) == 0, archive, "store");
    if (entry.password)
        check(zip_file_set_encryption(archive, at, entry.encryption, entry.password->c_str()) == 0,
              archive, "encrypt");
    if (entry.symbolicLink)
        check(zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX,
                                               uint32_t{S_IFLNK | 0777} << 16) == 0,
              archive, "link");
}

void put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void put64(std::string& out, uint64_t value) {
    put32(out, static_cast<uint32_t>(value & 0xFFFFFFFF));
    put32(out, static_cast<uint32_t>(value >> 32));
}

// The Zip64 end records, needed past 65535 entries.
void putZip64End(std::string& out, uint64_t count, uint64_t centralSize, uint64_t centralOffset) {
    const auto recordOffset = static_cast<uint64_t>(out.size());
    put32(out, 0x06064b50);
    put64(out, 44); // size of the rest of the record
    put16(out, 45);
    put16(out, 45);
    put32(out, 0);
    put32(out, 0);
    put64(out, count);
    put64(out, count);
    put64(out, centralSize);
    put64(out, centralOffset);
    put32(out, 0x07064b50);
    put32(out, 0);
    put64(out, recordOffset);
    put32(out, 1);
}

// The fields local and central headers share, from "version needed" on.
void putCommonFields(std::string& out, const RawEntry& entry) {
    put16(out, 20);
    put16(out, entry.flags);
    put16(out, entry.method);
    put16(out, 0);      // time
    put16(out, 0x5821); // date: 2024-01-01
    put32(out, entry.crc);
    put32(out, static_cast<uint32_t>(entry.payload.size()));
    put32(out, entry.declaredSize);
    put16(out, static_cast<uint32_t>(entry.name.size()));
    put16(out, 0); // extra field length
}

} // namespace

ZipEntry plainEntry(std::string name, std::string data) {
    ZipEntry entry;
    entry.name = std::move(name);
    entry.data = std::move(data);
    return entry;
}

ZipEntry encryptedEntry(std::string name, std::string data, std::string password,
                        uint16_t encryption) {
    ZipEntry entry = plainEntry(std::move(name), std::move(data));
    entry.password = std::move(password);
    entry.encryption = encryption;
    return entry;
}

ZipEntry linkEntry(std::string name, std::string target) {
    ZipEntry entry = plainEntry(std::move(name), std::move(target));
    entry.symbolicLink = true;
    return entry;
}

ZipEntry uncompressedEntry(std::string name, std::string data) {
    ZipEntry entry = plainEntry(std::move(name), std::move(data));
    entry.stored = true;
    return entry;
}

void writeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error("cannot create " + path);
    for (const ZipEntry& entry : entries)
        addEntry(archive, entry);
    check(zip_close(archive) == 0, archive, "close");
}

RawEntry storedEntry(std::string name, std::string data) {
    RawEntry entry;
    entry.crc = crc32Of(data);
    entry.declaredSize = static_cast<uint32_t>(data.size());
    entry.name = std::move(name);
    entry.payload = std::move(data);
    return entry;
}

RawEntry deflatedEntry(std::string name, const std::string& data) {
    RawEntry entry = storedEntry(std::move(name), data);
    entry.payload = deflateRaw(data);
    entry.method = 8;
    return entry;
}

std::string rawZip(const std::vector<RawEntry>& entries) {
    std::string out;
    std::string central;
    for (const RawEntry& entry : entries) {
        const auto offset = static_cast<uint32_t>(out.size());
        put32(out, 0x04034b50);
        putCommonFields(out, entry);
        out += entry.name;
        out += entry.payload;

        put32(central, 0x02014b50);
        put16(central, (3u << 8) | 20); // made by Unix
        putCommonFields(central, entry);
        put16(central, 0); // comment length
        put16(central, 0); // disk
        put16(central, 0); // internal attributes
        put32(central, entry.externalAttributes);
        put32(central, offset);
        central += entry.name;
    }
    const auto centralOffset = static_cast<uint32_t>(out.size());
    out += central;
    if (entries.size() >= 0xFFFF) putZip64End(out, entries.size(), central.size(), centralOffset);
    const auto count = static_cast<uint32_t>(std::min<size_t>(entries.size(), 0xFFFF));
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, count);
    put16(out, count);
    put32(out, static_cast<uint32_t>(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

uint32_t crc32Of(std::string_view data) {
    return static_cast<uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string deflateRaw(std::string_view data) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace ferrolux::test
