#pragma once

#include <string_view>
#include <sys/types.h>
#include <unordered_map>

namespace ferrolux {

// The kernel's virtual file systems (proc, sysfs, devtmpfs, cgroup,
// debugfs, ...): what they hold is made up by the kernel as it is read
// (processes, devices, settings), not stored by anyone.

enum class FileSystemKind {
    Stored,  // files someone wrote
    Virtual, // one of the kernel's virtual file systems
    Proc,    // proc, the virtual file system of processes and the kernel log
};

// The kind of the file system of the open descriptor fd, by its magic
// number. devtmpfs cannot be told from tmpfs this way.
FileSystemKind fileSystemKind(int fd);

// Files of the kernel that must never be read: reading them takes away what
// they deliver. In a virtual file system a file that cannot seek is such a
// stream (a trace pipe), and proc's "kmsg", though it can seek, is the
// kernel log, whose messages a read consumes for every other reader.
struct KernelFile {
    FileSystemKind fileSystem = FileSystemKind::Stored;
    bool seekable = true;
    std::string_view name;
};
bool isKernelStream(const KernelFile& file);

// Whether a mount table type ("proc", "devtmpfs", "ext4", ...) is one of them.
bool isVirtualFileSystemType(std::string_view type);

// The device numbers of the mounted virtual file systems, from the mount
// table: read when first asked, and again for a device it does not know
// (mounted since).
class VirtualMounts {
public:
    // fd: a descriptor on that device, asked by its magic number when the
    // mount table does not know it.
    bool isVirtual(dev_t device, int fd);

private:
    void load();

    std::unordered_map<dev_t, bool> virtual_;
};

} // namespace ferrolux
