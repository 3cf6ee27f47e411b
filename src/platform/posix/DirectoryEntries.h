#pragma once

#include <memory>

namespace ferrolux {

// Reads the entries of an open directory without taking its descriptor
// over, so that the same descriptor opens the entries afterwards.
class DirectoryEntries {
public:
    DirectoryEntries();

    struct Entry {
        const char* name;
        unsigned char type; // a DT_ value; DT_UNKNOWN when the file system does not tell
    };

    // Calls found(entry) for every entry of the directory fd (freshly
    // opened: read once) but "." and "..". False with errno set when it could
    // not be read to its end (the entries found before were reported).
    template <typename Found>
    bool read(int fd, Found&& found) {
        for (;;) {
            const long got = fill(fd);
            if (got <= 0) return got == 0;
            for (long at = 0; at < got;) {
                const Entry entry = entryAt(at);
                if (!isDotOrDotDot(entry.name)) found(entry);
            }
        }
    }

private:
    long fill(int fd);
    Entry entryAt(long& at) const;
    static bool isDotOrDotDot(const char* name) {
        return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
    }

    std::unique_ptr<char[]> buffer_;
};

} // namespace ferrolux
