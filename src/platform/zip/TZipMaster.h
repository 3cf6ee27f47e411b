#pragma once

#include "platform/zip/ZipMessageCode.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct zip;

namespace ferrolux {

// Extraction options.
enum ExtrOption : unsigned {
    ExtrOverWrite = 1u << 0, // replace a file of the same name in the extraction folder
};

// Extracts every entry of a Zip archive flat into one folder, so that an
// archive can be searched like a directory. Built to survive hostile archives:
// entries are written only under their bare names, always as new regular
// files inside ExtrBaseDir (never through a link), each one first under a
// temporary name and kept only when it was read completely and checked, and
// archives that would flood the disk are refused.
class TZipMaster {
public:
    using MessageEvent =
        std::function<void(TZipMaster& sender, int ErrCode, const std::string& Message)>;

    TZipMaster();
    ~TZipMaster();
    TZipMaster(const TZipMaster&) = delete;
    TZipMaster& operator=(const TZipMaster&) = delete;

    // Opens the archive and reads its list of entries; a problem is reported
    // through OnMessage at once. An empty path closes the archive.
    void setZipFilename(const std::string& path);
    const std::string& ZipFilename() const { return zipFilename_; }

    // Entries in the open archive (0 when none is open).
    int64_t Count() const;

    // Extracts every entry into ExtrBaseFolder. Returns the
    // number of files written. Each problem is reported through OnMessage
    // with a non-zero code, and extraction stops after a report that set
    // Cancel. An archive that is too big, has too many entries or holds an
    // entry larger than it declares is abandoned and everything it wrote is
    // deleted again. An entry that fails never leaves a file behind.
    int Extract();

    // The folder entries are extracted into: its path, for the messages,
    // and the folder itself, open (not owned). Everything is written
    // through the descriptor, never along the path, which may lead
    // elsewhere by the time the archive is extracted.
    std::string ExtrBaseDir;
    int ExtrBaseFolder = -1;
    std::string Password; // tried on encrypted entries
    unsigned ExtrOptions = 0;
    bool Verbose = false;    // also report each file through OnMessage (code 0)
    bool Unattended = false; // ours never asks the user anything; kept for callers that set it
    MessageEvent OnMessage;

    // Set (typically by the OnMessage handler) to end the current extraction;
    // cleared when the next extraction starts.
    std::atomic<bool> Cancel{false};

    // Refusal limits against zip bombs. The size limit is further lowered to
    // the free space of the extraction folder's file system less a margin.
    int64_t MaxEntries = 100000;
    uint64_t MaxTotalBytes = uint64_t{4} << 30;
    uint64_t FreeSpaceMargin = uint64_t{64} << 20;

    // Bytes of the files the last Extract wrote.
    uint64_t BytesWritten() const { return bytesWritten_; }

private:
    class Extraction;

    void closeArchive();
    void report(int code, const std::string& message);

    std::string zipFilename_;
    zip* archive_ = nullptr;
    uint64_t bytesWritten_ = 0;
};

} // namespace ferrolux
