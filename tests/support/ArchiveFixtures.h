#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ferrolux::test {

// The archive formats read through libarchive, as the tests make them.
enum class ArchiveFormat { Tar, TarGz, TarBz2, TarXz, SevenZip, Rar };

// "tar", "tar.gz", ...: the name ending of the format.
std::string extensionOf(ArchiveFormat format);
// stem + "." + the name ending.
std::string archiveName(const std::string& stem, ArchiveFormat format);
// The name ending as a test name can have it ("tar_gz").
std::string testNameOf(ArchiveFormat format);

// One member: a regular file unless told otherwise.
struct Member {
    enum class Kind { File, Folder, Symlink, Hardlink, CharDevice, BlockDevice, Fifo };
    std::string name;
    std::string data; // the file's bytes; the target of a link
    Kind kind = Kind::File;
    bool encrypted = false; // RAR only: marked encrypted
};

Member file(std::string name, std::string data);
Member member(Member::Kind kind, std::string name, std::string target = {});

// The bytes of an archive of the members. Tar, compressed tar and 7z are
// written with libarchive; RAR (which libarchive does not write) by hand, in
// the RAR 4 layout with stored members.
std::string archiveBytes(ArchiveFormat format, const std::vector<Member>& members);

} // namespace ferrolux::test
