#include "platform/posix/FileSystems.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <linux/magic.h>
#include <sstream>
#include <string>
#include <sys/sysmacros.h>
#include <sys/vfs.h>

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
// mount point, options, optional fields up to "-", then the type.
void VirtualMounts::load() {
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string id, parent, numbers, field;
        fields >> id >> parent >> numbers;
        while (fields >> field && field != "-") {
        }
        std::string type;
        unsigned major = 0, minor = 0;
        if (!(fields >> type) || std::sscanf(numbers.c_str(), "%u:%u", &major, &minor) != 2)
            continue;
        virtual_[makedev(major, minor)] = isVirtualFileSystemType(type);
    }
}

} // namespace ferrolux
