#include "platform/posix/FileSystems.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ferrolux;

TEST(KernelFiles, WhichFilesAreNeverRead) {
    using Kind = FileSystemKind;
    const struct {
        KernelFile file;
        bool stream;
    } cases[] = {
        {{Kind::Proc, false, "anything"}, true}, // cannot seek: a stream
        {{Kind::Proc, true, "kmsg"}, true},      // the kernel log seeks, yet reading consumes it
        {{Kind::Proc, true, "meminfo"}, false},
        {{Kind::Virtual, false, "trace_pipe"}, true},
        {{Kind::Virtual, true, "kmsg"}, false}, // only proc's kmsg is the kernel log
        {{Kind::Virtual, true, "uevent"}, false},
        {{Kind::Stored, false, "kmsg"}, false}, // files someone wrote are always read
    };
    for (const auto& c : cases)
        EXPECT_EQ(isKernelStream(c.file), c.stream)
            << int(c.file.fileSystem) << " " << c.file.seekable << " " << c.file.name;
}

TEST(KernelFiles, KindsOfTheFileSystemsAtHand) {
    const int proc = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(proc, 0);
    EXPECT_EQ(fileSystemKind(proc), FileSystemKind::Proc);
    ::close(proc);
    const int stored = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(stored, 0);
    EXPECT_EQ(fileSystemKind(stored), FileSystemKind::Stored) << "the build folder";
    ::close(stored);
    for (const char* type : {"proc", "sysfs", "devtmpfs", "cgroup2", "debugfs"})
        EXPECT_TRUE(isVirtualFileSystemType(type)) << type;
    for (const char* type : {"ext4", "tmpfs", "btrfs", "nfs", "fuse.sshfs", "overlay"})
        EXPECT_FALSE(isVirtualFileSystemType(type)) << type;
}

TEST(KernelFiles, TheMountTableKnowsProcAsVirtual) {
    VirtualMounts mounts;
    for (const auto& [path, isVirtual] : {std::pair{"/proc", true}, std::pair{".", false}}) {
        const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(fd, 0) << path;
        struct stat info {};
        ASSERT_EQ(::fstat(fd, &info), 0);
        EXPECT_EQ(mounts.isVirtual(info.st_dev, fd), isVirtual) << path;
        ::close(fd);
    }
}
