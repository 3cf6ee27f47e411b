#pragma once

#include "platform/zip/ZipMessageCode.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace ferrolux {

// Extracts every file of a tar (also compressed), 7z or RAR archive flat into
// one folder, through libarchive, with the same rules and hardening as the
// Zip extractor (TZipMaster): only regular files are written, under their
// bare names, each first under a temporary name inside ExtrBaseFolder and
// kept only when read completely; links, devices, folders and the like are
// passed over; an archive past the limits is abandoned and whatever it wrote
// deleted again; an encrypted member is reported (libarchive decrypts none
// of these formats). These formats are streams, read once: the limits are
// checked against each entry's declared size before it is written and
// against the bytes actually written while it is.
class ArchiveExtractor {
public:
    using MessageEvent =
        std::function<void(ArchiveExtractor& sender, int ErrCode, const std::string& Message)>;

    // The archive Extract reads.
    std::string ArchiveFilename;

    // The folder entries are extracted into: its path, for the messages, and
    // the folder itself, open (not owned), written through its descriptor only.
    std::string ExtrBaseDir;
    int ExtrBaseFolder = -1;
    bool Verbose = false; // also report each file through OnMessage (code 0)
    MessageEvent OnMessage;

    // Set (typically by the OnMessage handler) to end the current extraction;
    // cleared when the next one starts.
    std::atomic<bool> Cancel{false};

    int64_t MaxEntries = 100000;
    uint64_t MaxTotalBytes = uint64_t{4} << 30;
    uint64_t FreeSpaceMargin = uint64_t{64} << 20;

    // Extracts the archive; returns the number of files written. Each problem
    // is reported through OnMessage with a non-zero code (the codes of the
    // Zip extractor). A damaged archive is reported once: reading stops at
    // the damage, since a stream cannot be read past it.
    int Extract();

    // Bytes of the files the last Extract wrote.
    uint64_t BytesWritten() const { return bytesWritten_; }

private:
    class Extraction;
    void report(int code, const std::string& message);

    uint64_t bytesWritten_ = 0;
};

} // namespace ferrolux
