#include "MixedTree.h"

#include "SimpleZip.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ferrolux::test {
namespace {

// Files of the start folder deleted while the walk runs: the walk lists the
// start folder after its first call of the hook, and calls it again before
// it reports the first file.
const std::vector<std::string> kVanishing = {"vanish-a.txt", "vanish-b.dat"};

// n lines, every k-th holding the needle (none when k is 0).
std::string lines(int n, int k, const std::string& filler = "some text of a line") {
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += (k > 0 && i % k == 0 ? "a needle in " : "") + filler + " " + std::to_string(i) +
                (i % 3 ? "\n" : "\r\n");
    return text;
}

} // namespace

MixedTree::MixedTree() {
    for (int i = 0; i < 160; ++i)
        dir_.write(std::string("d")
                       .append(std::to_string(i % 7))
                       .append("/f")
                       .append(std::to_string(i))
                       .append(".txt"),
                   lines(i * 3 % 200, i % 5));
    // Files whose needles sit where the search's reads meet: the end of the
    // first 64 KiB read and of the first 1 MiB buffer, and a long line.
    const std::string nearHead(64 * 1024 - 3, 'x');
    dir_.write("edges/head.txt", nearHead + "needle\nand needle\n");
    dir_.write("edges/exact.txt", std::string(64 * 1024 - 7, 'y') + "needle");
    dir_.write("edges/chunk.txt", lines(60000, 997) + std::string(5000, 'z') + "needle");
    dir_.write("edges/longline.txt", std::string(3 << 20, 'q') + "needle" + std::string(99, 'q'));
    dir_.write("edges/empty.txt", "");
    // Binary: control codes among the first 100 bytes.
    dir_.write("bin/one.dat", std::string("\0\1needle\0needle", 15));
    dir_.write("bin/late.dat", std::string(150, 'x') + std::string("\0needle", 7));
    dir_.write("bin/big.dat", std::string("\x02", 1) + lines(40000, 13));
    // Twins that differ in case only: all of them are files of their own.
    dir_.write("twins/Case.txt", "needle\n");
    dir_.write("twins/case.txt", "needle needle\nneedle\n");
    dir_.write("twins/CASE.TXT", "no match\n");
    // Unreadable: a regular file whose reads fail, and (unless root) one
    // without permissions and a folder that cannot be listed.
    dir_.mkdir("bad");
    EXPECT_EQ(::symlink("/proc/self/mem", dir_.file("bad/proc-mem.txt").c_str()), 0);
    ::chmod(dir_.write("bad/locked.txt", "needle\n").c_str(), 0);
    ::chmod(dir_.mkdir("bad/closed").c_str(), 0);
    EXPECT_EQ(::mkfifo(dir_.file("bad/pipe.txt").c_str(), 0600), 0);
    // Archives: a broken one between good ones, and a ".zip" that is no archive.
    dir_.mkdir("zips");
    writeSimpleZip(
        dir_.file("zips/a-good.zip"),
        {{"in-a.txt", "needle\n"}, {"in-b.dat", std::string("\0needle", 7)}, {"x.txt", ""}});
    dir_.write("zips/b-broken.zip", "PK but no archive after all");
    writeSimpleZip(dir_.file("zips/c-good.zip"), {{"in-c.txt", "a needle\n"}});
    dir_.write("zips/fake.ZIP", "needle, but not an archive");
    restore();
}

std::function<void()> MixedTree::vanisher() {
    auto calls = std::make_shared<int>(0);
    return [this, calls] {
        if (++*calls != 2) return;
        for (const std::string& name : kVanishing)
            ::unlink(dir_.file(name).c_str());
    };
}

void MixedTree::restore() {
    for (const std::string& name : kVanishing)
        dir_.write(name, "needle\n");
}

} // namespace ferrolux::test
