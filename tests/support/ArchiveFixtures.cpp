#include "ArchiveFixtures.h"

#include <archive.h>
#include <archive_entry.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace ferrolux::test {
namespace {

la_ssize_t appendTo(struct archive*, void* out, const void* data, size_t size) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
    return la_ssize_t(size);
}

mode_t modeOf(Member::Kind kind) {
    switch (kind) {
    case Member::Kind::Folder:
        return S_IFDIR | 0755;
    case Member::Kind::Symlink:
        return S_IFLNK | 0777;
    case Member::Kind::CharDevice:
        return S_IFCHR | 0644;
    case Member::Kind::BlockDevice:
        return S_IFBLK | 0644;
    case Member::Kind::Fifo:
        return S_IFIFO | 0644;
    case Member::Kind::File:
    case Member::Kind::Hardlink:
        break;
    }
    return S_IFREG | 0644;
}

std::string written(ArchiveFormat format, const std::vector<Member>& members) {
    struct archive* writer = archive_write_new();
    if (format == ArchiveFormat::SevenZip)
        archive_write_set_format_7zip(writer);
    else
        archive_write_set_format_pax_restricted(writer);
    if (format == ArchiveFormat::TarGz) archive_write_add_filter_gzip(writer);
    if (format == ArchiveFormat::TarBz2) archive_write_add_filter_bzip2(writer);
    if (format == ArchiveFormat::TarXz) archive_write_add_filter_xz(writer);
    archive_write_set_bytes_in_last_block(writer, 1);
    std::string out;
    if (archive_write_open(writer, &out, nullptr, appendTo, nullptr) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(writer));
    for (const Member& m : members) {
        struct archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, m.name.c_str());
        archive_entry_set_mode(entry, modeOf(m.kind));
        archive_entry_set_mtime(entry, 1700000000, 0);
        const bool hasData = m.kind == Member::Kind::File;
        if (m.kind == Member::Kind::Symlink) archive_entry_set_symlink(entry, m.data.c_str());
        if (m.kind == Member::Kind::Hardlink) archive_entry_set_hardlink(entry, m.data.c_str());
        if (m.kind == Member::Kind::CharDevice || m.kind == Member::Kind::BlockDevice)
            archive_entry_set_rdev(entry, makedev(1, 3));
        archive_entry_set_size(entry, hasData ? la_int64_t(m.data.size()) : 0);
        if (archive_write_header(writer, entry) < ARCHIVE_WARN)
            throw std::runtime_error(archive_error_string(writer));
        if (hasData && !m.data.empty()) archive_write_data(writer, m.data.data(), m.data.size());
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
    return out;
}

uint32_t crc32Of(const std::string& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (const char c : data) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void put16(std::string& out, uint32_t value) {
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A RAR 4 block: its CRC (the low half of the CRC-32 of the rest) first.
std::string block(const std::string& rest) {
    std::string out;
    put16(out, crc32Of(rest) & 0xFFFF);
    return out + rest;
}

std::string rarBytes(const std::vector<Member>& members) {
    std::string out = "Rar!\x1a\x07";
    out += '\0';
    std::string main;
    main += char(0x73);
    put16(main, 0);  // flags
    put16(main, 13); // header size
    put16(main, 0);
    put32(main, 0);
    out += block(main);
    for (const Member& m : members) {
        const bool folder = m.kind == Member::Kind::Folder;
        const std::string data = folder ? std::string() : m.data;
        std::string head;
        head += char(0x74);
        put16(head, 0x8000 | (m.encrypted ? 0x04 : 0) | (folder ? 0xE0 : 0));
        put16(head, uint32_t(32 + m.name.size()));
        put32(head, uint32_t(data.size())); // packed
        put32(head, uint32_t(data.size())); // unpacked
        head += char(3);                    // made on Unix
        put32(head, crc32Of(data));
        put32(head, 0x58210000); // 2024-01-01
        head += char(20);        // version needed
        head += char(0x30);      // stored
        put16(head, uint32_t(m.name.size()));
        put32(head, modeOf(m.kind));
        head += m.name;
        out += block(head) + data;
    }
    std::string end;
    end += char(0x7B);
    put16(end, 0x4000);
    put16(end, 7);
    return out + block(end);
}

} // namespace

std::string extensionOf(ArchiveFormat format) {
    switch (format) {
    case ArchiveFormat::Tar:
        return "tar";
    case ArchiveFormat::TarGz:
        return "tar.gz";
    case ArchiveFormat::TarBz2:
        return "tar.bz2";
    case ArchiveFormat::TarXz:
        return "tar.xz";
    case ArchiveFormat::SevenZip:
        return "7z";
    case ArchiveFormat::Rar:
        break;
    }
    return "rar";
}

std::string archiveName(const std::string& stem, ArchiveFormat format) {
    std::string name = stem;
    return name.append(".").append(extensionOf(format));
}

std::string testNameOf(ArchiveFormat format) {
    std::string name = extensionOf(format);
    for (char& c : name)
        if (c == '.') c = '_';
    return name;
}

Member file(std::string name, std::string data) {
    return {std::move(name), std::move(data)};
}

Member member(Member::Kind kind, std::string name, std::string target) {
    return {std::move(name), std::move(target), kind};
}

std::string archiveBytes(ArchiveFormat format, const std::vector<Member>& members) {
    return format == ArchiveFormat::Rar ? rarBytes(members) : written(format, members);
}

} // namespace ferrolux::test
