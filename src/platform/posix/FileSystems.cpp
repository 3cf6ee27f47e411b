#include "platform/posix/FileSystems.h"

#include "platform/posix/Descriptors.h"
#include "platform/posix/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/magic.h>
#include <string>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace ferrolux {
namespace {

// Magic numbers of file systems that <linux/magic.h> of older kernels lacks.
constexpr unsigned long kTracefsMagic = 0x74726163;
constexpr unsigned long kSmackMagic = 0x43415d53;
constexpr unsigned long kNsfsMagic = 0x6e736673;
constexpr unsigned long kBinfmtMagic = 0x42494e4d;
constexpr unsigned long kFusectlMagic = 0x65735543;
constexpr unsigned long kMqueueMagic = 0x19800202;
constexpr unsigned long kConfigfsMagic = 0x62656570;

constexpr unsigned long kVirtualMagics[] = {
    SYSFS_MAGIC,        CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC,  kTracefsMagic,
    SECURITYFS_MAGIC,   PSTOREFS_MAGIC,     BPF_FS_MAGIC,        kConfigfsMagic, kFusectlMagic,
    DEVPTS_SUPER_MAGIC, kMqueueMagic,       HUGETLBFS_MAGIC,     kBinfmtMagic,   EFIVARFS_MAGIC,
    SELINUX_MAGIC,      kSmackMagic,        kNsfsMagic,
};

constexpr std::string_view kVirtualTypes[] = {
    "proc",      "sysfs",       "devtmpfs", "devpts",    "cgroup",   "cgroup2", "debugfs",
    "tracefs",   "securityfs",  "pstore",   "bpf",       "configfs", "fusectl", "mqueue",
    "hugetlbfs", "binfmt_misc", "efivarfs", "selinuxfs", "smackfs",  "nsfs",    "rpc_pipefs",
};

bool magicOf(int fd, unsigned long& magic) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) return false;
    magic = static_cast<unsigned long>(info.f_type);
    return true;
}

} // namespace

FileSystemKind fileSystemKind(int fd) {
    unsigned long magic = 0;
    if (!magicOf(fd, magic)) return FileSystemKind::Stored;
    if (magic == PROC_SUPER_MAGIC) return FileSystemKind::Proc;
    return std::find(std::begin(kVirtualMagics), std::end(kVirtualMagics), magic) !=
                   std::end(kVirtualMagics)
               ? FileSystemKind::Virtual
               : FileSystemKind::Stored;
}

bool isKernelStream(const KernelFile& file) {
    if (file.fileSystem == FileSystemKind::Stored) return false;
    return !file.seekable || (file.fileSystem == FileSystemKind::Proc && file.name == "kmsg");
}

bool isVirtualFileSystemType(std::string_view type) {
    return std::find(std::begin(kVirtualTypes), std::end(kVirtualTypes), type) !=
           std::end(kVirtualTypes);
}

bool VirtualMounts::isVirtual(dev_t device, int fd) {
    auto known = virtual_.find(device);
    if (known == virtual_.end()) {
        load();
        known = virtual_.find(device);
        if (known == virtual_.end())
            known = virtual_.emplace(device, fileSystemKind(fd) != FileSystemKind::Stored).first;
    }
    return known->second;
}

// Each line of /proc/self/mountinfo: mount id, parent id, major:minor, root,
// mount point, options, optional fields up to "-", then the type. Read with
// plain calls: it may be read when descriptors are short.
void VirtualMounts::load() {
    const UniqueFd table(openWaitingForDescriptor(
        [] { return ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC); }));
    if (!table) return;
    std::string text;
    char buffer[16384];
    for (ssize_t n; (n = ::read(table.get(), buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return;
        text.append(buffer, size_t(n));
    }
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::string_view::size_type end = std::min(rest.find('\n'), rest.size());
        const std::string line(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        unsigned major = 0, minor = 0;
        const std::string::size_type separator = line.find(" - ");
        if (separator == std::string::npos ||
            std::sscanf(line.c_str(), "%*s %*s %u:%u", &major, &minor) != 2)
            continue;
        const std::string::size_type type = separator + 3;
        virtual_[makedev(major, minor)] = isVirtualFileSystemType(
            std::string_view(line).substr(type, line.find(' ', type) - type));
    }
}

} // namespace ferrolux
