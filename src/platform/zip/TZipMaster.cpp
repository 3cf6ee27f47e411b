#include "platform/zip/TZipMaster.h"

#include "platform/posix/OpenPath.h"
#include "platform/zip/PartialFile.h"
#include "platform/zip/ZipEntryName.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <zip.h>

namespace ferrolux {
namespace {

constexpr size_t chunkSize = 64 * 1024;

// Methods zip cannot read, checked before opening the entry: zip leaks memory
// when it refuses such an entry itself. 0 when the entry can be read.
int unsupportedMethod(const zip_stat_t& info) {
    if ((info.valid & ZIP_STAT_COMP_METHOD) &&
        !zip_compression_method_supported(info.comp_method, 0))
        return ZIP_ER_COMPNOTSUPP;
    if ((info.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
        !zip_encryption_method_supported(info.encryption_method, 0))
        return ZIP_ER_ENCRNOTSUPP;
    return 0;
}

std::string systemError(int error) {
    return std::strerror(error);
}

std::string libraryError(int zipErrorCode) {
    zip_error_t error;
    zip_error_init_with_code(&error, zipErrorCode);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// An open archive entry, closed when it goes away.
class EntryReader {
public:
    explicit EntryReader(zip_file_t* file) : file_(file) {}
    ~EntryReader() { close(); }
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    zip_int64_t read(char* buffer, size_t size) { return zip_fread(file_, buffer, size); }
    std::string error() { return zip_file_strerror(file_); }
    // zip's error code of the entry (a checksum that did not match), or 0.
    int close() { return file_ ? zip_fclose(std::exchange(file_, nullptr)) : 0; }

private:
    zip_file_t* file_;
};

} // namespace

// One run of Extract over the open archive and the open extraction folder.
class TZipMaster::Extraction {
public:
    Extraction(TZipMaster& owner, zip_t* archive, int folderFd)
        : owner_(owner), archive_(archive), folderFd_(folderFd) {}

    int run() {
        if (!withinLimits()) return 0;
        const auto entries = static_cast<uint64_t>(zip_get_num_entries(archive_, 0));
        int extracted = 0;
        for (uint64_t index = 0; index < entries && !owner_.Cancel; ++index) {
            const Outcome outcome = extractEntry(index);
            if (outcome == Outcome::Written) ++extracted;
            if (outcome == Outcome::Abandoned) return 0;
        }
        return extracted;
    }

private:
    enum class Outcome { Written, Skipped, Failed, Abandoned };

    bool withinLimits() {
        const int64_t entries = zip_get_num_entries(archive_, 0);
        if (entries > owner_.MaxEntries) {
            owner_.report(ZipTooManyEntries, owner_.ZipFilename() + ": " + std::to_string(entries) +
                                                 " entries, more than " +
                                                 std::to_string(owner_.MaxEntries));
            return false;
        }
        const uint64_t limit = sizeLimit();
        uint64_t total = 0;
        for (int64_t index = 0; index < entries; ++index) {
            zip_stat_t info;
            if (zip_stat_index(archive_, static_cast<uint64_t>(index), 0, &info) != 0) continue;
            if (!(info.valid & ZIP_STAT_NAME) || extractedFileName(info.name).empty()) continue;
            if (info.size > limit - total) {
                owner_.report(ZipTooLarge, owner_.ZipFilename() + ": would write more than " +
                                               std::to_string(limit) + " bytes");
                return false;
            }
            total += info.size;
        }
        return true;
    }

    uint64_t sizeLimit() const {
        struct statvfs space {};
        if (::fstatvfs(folderFd_, &space) != 0) return owner_.MaxTotalBytes;
        const uint64_t free = uint64_t{space.f_bavail} * space.f_frsize;
        const uint64_t usable = free > owner_.FreeSpaceMargin ? free - owner_.FreeSpaceMargin : 0;
        return std::min(owner_.MaxTotalBytes, usable);
    }

    bool exists(const std::string& name) const {
        struct stat info {};
        return ::fstatat(folderFd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    }

    Outcome extractEntry(uint64_t index) {
        zip_stat_t info;
        if (zip_stat_index(archive_, index, 0, &info) != 0 || !(info.valid & ZIP_STAT_NAME))
            return fail(ZipEntryFailed, "entry " + std::to_string(index), zip_strerror(archive_));
        const std::string entry = info.name;
        const std::string name = extractedFileName(entry);
        if (name.empty()) return skip("skipped " + entry);
        if (!(owner_.ExtrOptions & ExtrOverWrite) && exists(name))
            return skip("kept existing " + name);

        // An encrypted entry that cannot be read is one the password did not
        // open (a wrong password often shows only as a checksum error).
        const bool encrypted =
            (info.valid & ZIP_STAT_ENCRYPTION_METHOD) && info.encryption_method != ZIP_EM_NONE;
        const int failure = encrypted ? ZipEncrypted : ZipEntryFailed;
        if (const int refusal = unsupportedMethod(info))
            return fail(failure, entry, libraryError(refusal));
        const char* password = owner_.Password.empty() ? nullptr : owner_.Password.c_str();
        EntryReader reader(zip_fopen_index_encrypted(archive_, index, 0, password));
        if (!reader.isOpen()) return fail(failure, entry, zip_strerror(archive_));
        PartialFile partial(folderFd_);
        const Outcome outcome = copyEntry(reader, info, entry, failure, partial);
        if (outcome != Outcome::Written) return outcome;
        if (info.valid & ZIP_STAT_MTIME) partial.setModificationTime(info.mtime);
        if (!partial.commit(name)) return fail(ZipCannotWrite, name, systemError(errno));
        written_.push_back(name);
        owner_.bytesWritten_ += info.size;
        if (owner_.Verbose) owner_.report(ZipInformation, "extracted " + name);
        return Outcome::Written;
    }

    // Copies one opened entry into the partial file. Every byte is counted
    // against the entry's declared size: zip does not stop an entry that
    // inflates past it. A failed copy is discarded before it is reported.
    Outcome copyEntry(EntryReader& reader, const zip_stat_t& info, const std::string& entry,
                      int failure, PartialFile& partial) {
        if (!partial.create(info.index)) return fail(ZipCannotWrite, entry, systemError(errno));
        const auto failWith = [&](int code, const std::string& why) {
            partial.discard();
            return fail(code, entry, why);
        };
        uint64_t total = 0;
        for (;;) {
            const zip_int64_t got = reader.read(buffer_.data(), buffer_.size());
            if (got == 0) break;
            if (got < 0) return failWith(failure, reader.error());
            const auto size = static_cast<uint64_t>(got);
            if (size > info.size - total) {
                partial.discard();
                return abandon(entry);
            }
            if (!partial.write(buffer_.data(), size))
                return failWith(ZipCannotWrite, systemError(errno));
            if (owner_.Cancel) return Outcome::Failed;
            total += size;
        }
        if (const int error = reader.close()) return failWith(failure, libraryError(error));
        if (total != info.size) return failWith(ZipEntryFailed, "shorter than declared");
        return Outcome::Written;
    }

    Outcome fail(int code, const std::string& what, const std::string& why) {
        owner_.report(code, owner_.ZipFilename() + ": " + what + ": " + why);
        return Outcome::Failed;
    }

    Outcome skip(const std::string& text) {
        if (owner_.Verbose) owner_.report(ZipInformation, text);
        return Outcome::Skipped;
    }

    // A zip bomb: nothing of the archive is kept, so none of it is searched.
    Outcome abandon(const std::string& entry) {
        for (const std::string& name : written_)
            ::unlinkat(folderFd_, name.c_str(), 0);
        written_.clear();
        owner_.bytesWritten_ = 0;
        owner_.report(ZipEntryOversized,
                      owner_.ZipFilename() + ": " + entry + ": larger than its declared size");
        return Outcome::Abandoned;
    }

    TZipMaster& owner_;
    zip_t* archive_;
    int folderFd_;
    std::vector<std::string> written_;
    std::vector<char> buffer_ = std::vector<char>(chunkSize);
};

TZipMaster::TZipMaster() = default;

TZipMaster::~TZipMaster() {
    closeArchive();
}

void TZipMaster::closeArchive() {
    if (archive_) zip_discard(archive_);
    archive_ = nullptr;
}

void TZipMaster::setZipFilename(const std::string& path) {
    closeArchive();
    zipFilename_ = path;
    if (path.empty()) return;
    // Only a regular file: a FIFO or device named like an archive would block.
    const int fd = openRegularFile(path);
    if (fd < 0) {
        report(ZipCannotOpen, path + ": " + systemError(errno));
        return;
    }
    int error = 0;
    archive_ = zip_fdopen(fd, ZIP_RDONLY, &error); // takes the descriptor only on success
    if (!archive_) {
        ::close(fd);
        report(ZipCannotOpen, path + ": " + libraryError(error));
    }
}

int64_t TZipMaster::Count() const {
    return archive_ ? zip_get_num_entries(archive_, 0) : 0;
}

int TZipMaster::Extract() {
    Cancel = false;
    bytesWritten_ = 0;
    if (!archive_) {
        // A failed open was reported when the file name was set.
        if (zipFilename_.empty()) report(ZipCannotOpen, "no Zip file given");
        return 0;
    }
    if (ExtrBaseFolder < 0) {
        report(ZipCannotWrite, ExtrBaseDir + ": no extraction folder");
        return 0;
    }
    return Extraction(*this, archive_, ExtrBaseFolder).run();
}

void TZipMaster::report(int code, const std::string& message) {
    if (OnMessage) OnMessage(*this, code, message);
}

} // namespace ferrolux
