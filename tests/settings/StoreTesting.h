#pragma once

#include "TempDir.h"
#include "platform/registry/Registry.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ferrolux::test {

// A test with its own store file in a fresh folder.
class StoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("registry.reg");
    RegistryStore store{path};

    std::string contents() const { return readFile(path); }
    void seed(std::string_view bytes) const { dir.write("registry.reg", bytes); }
    // Names of the files in the folder, sorted.
    std::vector<std::string> folderEntries() const;
};

// The store's header and our key, as a fresh file starts.
std::string storeText(std::string_view body);

// Runs check as an ordinary user: as root, in a child process that gives up
// root first, since root may write into read-only folders.
bool runUnprivileged(const std::function<bool()>& check);

// Starts a program; returns its process id.
pid_t spawn(const std::vector<std::string>& arguments);
// Waits for a process; returns its exit code, or -1 when it did not exit normally.
int waitExit(pid_t pid);

} // namespace ferrolux::test
