#include "platform/archive/ArchiveExtractor.h"

#include "platform/archive/ArchiveFormats.h"
#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "platform/zip/PartialFile.h"
#include "platform/zip/ZipEntryName.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

constexpr size_t chunkSize = 64 * 1024;

// A libarchive reader for the formats this build reads, freed when it goes.
class Reader {
public:
    Reader() : archive_(archive_read_new()) { enableReadableFormats(archive_); }
    ~Reader() { archive_read_free(archive_); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    struct archive* get() const {
        return archive_;
    }
    std::string error() const {
        const char* text = archive_error_string(archive_);
        return text ? text : "damaged archive";
    }

private:
    struct archive* archive_;
};

// The entry's name as stored: UTF-8 where the format says what the name's
// encoding is, else its bytes.
const char* entryName(struct archive_entry* entry) {
    const char* name = archive_entry_pathname_utf8(entry);
    return name ? name : archive_entry_pathname(entry);
}

} // namespace

// One run of Extract over the open archive and the open extraction folder.
class ArchiveExtractor::Extraction {
public:
    Extraction(ArchiveExtractor& owner, Reader& reader, int folderFd)
        : owner_(owner), reader_(reader), folderFd_(folderFd), limit_(sizeLimit()) {}

    int run() {
        struct archive_entry* entry = nullptr;
        for (uint64_t index = 0; !owner_.Cancel; ++index) {
            const int status = archive_read_next_header(reader_.get(), &entry);
            if (status == ARCHIVE_EOF) break;
            if (status < ARCHIVE_WARN) {
                fail(index == 0 ? ZipCannotOpen : ZipEntryFailed, "", reader_.error());
                break;
            }
            if (int64_t(index) >= owner_.MaxEntries) {
                abandon(ZipTooManyEntries,
                        "more than " + std::to_string(owner_.MaxEntries) + " entries");
                return 0;
            }
            const Outcome outcome = extractEntry(index, entry);
            if (outcome == Outcome::Abandoned) return 0;
            if (outcome == Outcome::Stopped) break;
        }
        return int(written_.size());
    }

private:
    // Stopped: the stream cannot be read past this entry.
    enum class Outcome { Written, Skipped, Stopped, Abandoned };

    uint64_t sizeLimit() const {
        struct statvfs space {};
        if (::fstatvfs(folderFd_, &space) != 0) return owner_.MaxTotalBytes;
        const uint64_t free = uint64_t{space.f_bavail} * space.f_frsize;
        const uint64_t usable = free > owner_.FreeSpaceMargin ? free - owner_.FreeSpaceMargin : 0;
        return std::min(owner_.MaxTotalBytes, usable);
    }

    Outcome extractEntry(uint64_t index, struct archive_entry* entry) {
        const char* stored = entryName(entry);
        const std::string entryText = stored ? stored : "entry " + std::to_string(index);
        // No links, devices, folders or FIFOs: only regular files are written.
        if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) ||
            archive_entry_symlink(entry))
            return skip("skipped " + entryText);
        const std::string name = stored ? extractedFileName(stored) : std::string();
        if (name.empty()) return skip("skipped " + entryText);
        // libarchive decrypts none of these formats: no password would help.
        if (archive_entry_is_data_encrypted(entry))
            return fail(ZipEncrypted, entryText, "encrypted");
        const bool declared = archive_entry_size_is_set(entry);
        const uint64_t size =
            declared ? uint64_t(std::max<int64_t>(archive_entry_size(entry), 0)) : 0;
        if (size > limit_ - total_)
            return abandon(ZipTooLarge,
                           "would write more than " + std::to_string(limit_) + " bytes");

        PartialFile partial(folderFd_);
        if (!partial.create(index)) return fail(ZipCannotWrite, entryText, std::strerror(errno));
        uint64_t copied = 0;
        for (;;) {
            const la_ssize_t got = archive_read_data(reader_.get(), buffer_.data(), buffer_.size());
            if (got == 0) break;
            if (got < 0) {
                partial.discard();
                return fail(ZipEntryFailed, entryText, reader_.error());
            }
            const auto count = uint64_t(got);
            if (declared && count > size - copied) {
                partial.discard();
                return abandon(ZipEntryOversized, entryText + ": larger than its declared size");
            }
            if (count > limit_ - total_ - copied) {
                partial.discard();
                return abandon(ZipTooLarge,
                               "would write more than " + std::to_string(limit_) + " bytes");
            }
            if (!partial.write(buffer_.data(), size_t(count)))
                return fail(ZipCannotWrite, entryText, std::strerror(errno));
            copied += count;
            if (owner_.Cancel) return Outcome::Stopped;
        }
        if (declared && copied != size)
            return fail(ZipEntryFailed, entryText, "shorter than declared");
        if (archive_entry_mtime_is_set(entry))
            partial.setModificationTime(archive_entry_mtime(entry));
        if (!partial.commit(name)) return fail(ZipCannotWrite, name, std::strerror(errno));
        written_.push_back(name);
        total_ += copied;
        owner_.bytesWritten_ = total_;
        if (owner_.Verbose) owner_.report(ZipInformation, "extracted " + name);
        return Outcome::Written;
    }

    // Every problem ends the extraction: a stream is not read past damage,
    // and a folder that cannot be written will not take the next entry either.
    Outcome fail(int code, const std::string& what, const std::string& why) {
        owner_.report(code,
                      owner_.ArchiveFilename + ": " + (what.empty() ? "" : what + ": ") + why);
        return Outcome::Stopped;
    }

    Outcome skip(const std::string& text) {
        if (owner_.Verbose) owner_.report(ZipInformation, text);
        return Outcome::Skipped;
    }

    // A bomb, or an archive past the limits: nothing of it is kept.
    Outcome abandon(int code, const std::string& why) {
        for (const std::string& name : written_)
            ::unlinkat(folderFd_, name.c_str(), 0);
        written_.clear();
        total_ = 0;
        owner_.bytesWritten_ = 0;
        owner_.report(code, owner_.ArchiveFilename + ": " + why);
        return Outcome::Abandoned;
    }

    ArchiveExtractor& owner_;
    Reader& reader_;
    int folderFd_;
    uint64_t limit_;
    uint64_t total_ = 0;
    std::vector<std::string> written_;
    std::vector<char> buffer_ = std::vector<char>(chunkSize);
};

int ArchiveExtractor::Extract() {
    Cancel = false;
    bytesWritten_ = 0;
    if (ExtrBaseFolder < 0) {
        report(ZipCannotWrite, ExtrBaseDir + ": no extraction folder");
        return 0;
    }
    // Only a regular file: a FIFO or device named like an archive would block.
    const UniqueFd file(openRegularFile(ArchiveFilename));
    if (!file) {
        report(ZipCannotOpen, ArchiveFilename + ": " + std::strerror(errno));
        return 0;
    }
    Reader reader;
    if (archive_read_open_fd(reader.get(), file.get(), chunkSize) != ARCHIVE_OK) {
        report(ZipCannotOpen, ArchiveFilename + ": " + reader.error());
        return 0;
    }
    return Extraction(*this, reader, ExtrBaseFolder).run();
}

void ArchiveExtractor::report(int code, const std::string& message) {
    if (OnMessage) OnMessage(*this, code, message);
}

} // namespace ferrolux
