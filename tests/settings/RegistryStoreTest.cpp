#include "StoreTesting.h"
#include "platform/registry/Registry.h"
#include "platform/registry/StoreFile.h"
#include "settings/SettingsStore.h"

#include <QStandardPaths>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ferrolux {
namespace {

using test::readFile;
using test::storeText;
namespace fs = std::filesystem;
using namespace std::string_literals;

const QString key = QStringLiteral("Software\\Ferrolux");

class RegistryStoreFile : public test::StoreTest {};

TEST_F(RegistryStoreFile, OpeningWithoutCreatingNeverMakesTheKey) {
    RegistryKey probe;
    EXPECT_FALSE(probe.open(store, key, RegistryKey::Access::Read));
    EXPECT_FALSE(probe.open(store, key, RegistryKey::Access::Write));
    EXPECT_FALSE(probe.isOpen());
    EXPECT_FALSE(fs::exists(path));

    ASSERT_TRUE(probe.create(store, key));
    probe.close();
    const std::string created = readFile(path);
    EXPECT_EQ(created, storeText(""));
    ASSERT_TRUE(probe.create(store, key)); // already there: nothing rewritten
    EXPECT_EQ(readFile(path), created);
    EXPECT_TRUE(probe.open(store, key, RegistryKey::Access::Write));
}

// A file that is not a store is moved aside, never deleted; it reads as
// empty, and the next write starts a fresh store.
TEST_F(RegistryStoreFile, DamagedFilesAreKeptAsideAndReadAsEmpty) {
    const std::string damaged[] = {
        std::string(4096, '\0'),
        "\x89PNG\r\n\x1a\n binary garbage",
        "just some notes\n\"MaxMatches\"=dword:00000001\n",
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Ferrolux]\n\"A\"=\"x\0y\"\n"s,
    };
    for (const std::string& bytes : damaged) {
        test::TempDir folder;
        const std::string file = folder.write("registry.reg", bytes);
        const RegistryStore damagedStore(file);

        RegistryKey reader;
        EXPECT_FALSE(reader.open(damagedStore, key, RegistryKey::Access::Read));
        EXPECT_EQ(readStoredSettings(damagedStore), defaultSettings());
        EXPECT_EQ(readFile(file), bytes) << "a reader must leave the file alone";

        RegistryKey writer;
        ASSERT_TRUE(writer.create(damagedStore, key));
        ASSERT_TRUE(writer.writeNumber(QStringLiteral("MaxMatches"), 42));
        writer.close();
        EXPECT_EQ(readFile(file), storeText("\"MaxMatches\"=dword:0000002a\n"));

        int kept = 0;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            if (entry.path().filename().string().starts_with("registry.reg.damaged-")) {
                ++kept;
                EXPECT_EQ(readFile(entry.path().string()), bytes);
            }
        EXPECT_EQ(kept, 1);
    }
}

TEST_F(RegistryStoreFile, EmptyAndBlankFilesAreFreshStores) {
    for (const std::string bytes : {"", " \n\n\t\n", "Windows Registry Editor Version 5.00"}) {
        seed(bytes);
        RegistryKey writer;
        ASSERT_TRUE(writer.create(store, key));
        ASSERT_TRUE(writer.writeString(QStringLiteral("Editor"), QStringLiteral("vi")));
        writer.close();
        EXPECT_EQ(contents(), storeText("\"Editor\"=\"vi\"\n"));
        EXPECT_EQ(folderEntries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
    }
}

// None of these may crash, create folders, or touch an existing store.
TEST_F(RegistryStoreFile, WritesThatCannotHappenFailCleanly) {
    const std::string blockedPaths[] = {
        dir.file("missing/registry.reg"),          // folder missing
        dir.write("plain", "x") + "/registry.reg", // "folder" is a file
        dir.mkdir("is-a-folder"),                  // store is a folder
    };
    for (const std::string& blocked : blockedPaths) {
        RegistryKey writer;
        EXPECT_FALSE(writer.create(RegistryStore(blocked), key)) << blocked;
        EXPECT_FALSE(writer.writeNumber(QStringLiteral("MaxMatches"), 1));
    }
    EXPECT_FALSE(fs::exists(dir.file("missing")));

    // The temporary file cannot be made: the store keeps its contents.
    seed(storeText("\"MaxMatches\"=dword:00000001\n"));
    dir.write("registry.reg.tmp/blocker", "x");
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    EXPECT_FALSE(writer.writeNumber(QStringLiteral("MaxMatches"), 2));
    EXPECT_EQ(writer.readNumber(QStringLiteral("MaxMatches")), 1);
    EXPECT_EQ(contents(), storeText("\"MaxMatches\"=dword:00000001\n"));
}

TEST_F(RegistryStoreFile, ReadOnlyFolderStillReadsButRefusesWrites) {
    seed(storeText("\"MaxMatches\"=dword:00000009\n"));
    ::chmod(dir.path().c_str(), 0555);
    ::chmod(path.c_str(), 0444);
    const bool behaved = test::runUnprivileged([&] {
        RegistryKey key1;
        const bool reads = key1.open(store, key, RegistryKey::Access::Read) &&
                           key1.readNumber(QStringLiteral("MaxMatches")) == 9;
        RegistryKey key2;
        const bool refuses =
            !key2.create(store, key) && !key2.writeNumber(QStringLiteral("MaxMatches"), 1);
        return reads && refuses;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_TRUE(behaved);
    EXPECT_EQ(contents(), storeText("\"MaxMatches\"=dword:00000009\n"));
}

// A store far larger than preferences and saved searches need is neither
// read (seconds and hundreds of megabytes at every start) nor replaced nor
// moved aside: it stays as it is, for its owner to deal with. A write that
// would grow a store past the bound fails the same way.
TEST_F(RegistryStoreFile, AStoreLargerThanTheBoundIsNeitherReadNorChanged) {
    const std::string head = storeText("\"MaxMatches\"=dword:00000009\n\"Searches\"=\"");
    const auto storeOfSize = [&](uint64_t size) {
        return head + std::string(size - head.size() - 2, 'x') + "\"\n";
    };
    struct Case {
        uint64_t size;
        bool loads;
    };
    for (const Case& c : {Case{StoreFile::maxBytes, true}, Case{StoreFile::maxBytes + 1, false},
                          Case{uint64_t{100} << 20, false}}) {
        const std::string bytes = storeOfSize(c.size);
        seed(bytes);
        RegistryKey reader;
        EXPECT_EQ(reader.open(store, key, RegistryKey::Access::Read), c.loads) << c.size;
        EXPECT_EQ(reader.storeProblem(),
                  c.loads ? RegistryKey::StoreProblem::None : RegistryKey::StoreProblem::TooLarge);
        EXPECT_EQ(readStoredSettings(store).MaxMatches, c.loads ? 9 : 500);
        if (c.loads) continue;
        EXPECT_EQ(reader.storeSize(), c.size);
        RegistryKey writer;
        EXPECT_FALSE(writer.create(store, key));
        EXPECT_EQ(writer.storeProblem(), RegistryKey::StoreProblem::TooLarge);
        EXPECT_FALSE(writer.writeNumber(QStringLiteral("MaxMatches"), 1));
        EXPECT_TRUE(contents() == bytes) << "the file is kept as it was";
        EXPECT_EQ(folderEntries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
    }

    seed(storeOfSize(StoreFile::maxBytes - 10));
    const std::string before = contents();
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    EXPECT_FALSE(writer.writeString(QStringLiteral("More"), QString(20, u'y')));
    EXPECT_TRUE(writer.writeNumber(QStringLiteral("MaxMatches"), 10)) << "same size: still fits";
    writer.close();
    EXPECT_EQ(readStoredSettings(store).MaxMatches, 10);
    EXPECT_EQ(contents().size(), before.size());
}

// A store file marked read-only is not replaced behind its owner's back,
// though the folder would let a rename do it: even for root.
TEST_F(RegistryStoreFile, AReadOnlyStoreFileRefusesWritesAndKeepsItsContents) {
    seed(storeText("\"MaxMatches\"=dword:00000009\n"));
    ::chmod(path.c_str(), 0444);
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    EXPECT_FALSE(writer.writeNumber(QStringLiteral("MaxMatches"), 1));
    EXPECT_FALSE(writer.writeValues({{QStringLiteral("A"), RegistryValue::dword(1)},
                                     {QStringLiteral("B"), RegistryValue::dword(2)}}));
    writer.close();
    EXPECT_EQ(contents(), storeText("\"MaxMatches\"=dword:00000009\n"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    EXPECT_EQ(readStoredSettings(store).MaxMatches, 9);
}

TEST_F(RegistryStoreFile, SeveralValuesAreWrittenInOneReplacement) {
    seed(storeText("\"Keep\"=\"me\"\n\"B\"=\"old\"\n"));
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    ASSERT_TRUE(writer.writeValues({{QStringLiteral("A"), RegistryValue::dword(1)},
                                    {QStringLiteral("B"), RegistryValue::string("new")},
                                    {QStringLiteral("C"), RegistryValue::string("c")}}));
    EXPECT_EQ(writer.readString(QStringLiteral("B")), QStringLiteral("new"));
    writer.close();
    EXPECT_EQ(contents(),
              storeText("\"Keep\"=\"me\"\n\"B\"=\"new\"\n\"A\"=dword:00000001\n\"C\"=\"c\"\n"));
}

TEST_F(RegistryStoreFile, EveryWriteRereadsTheStoreUnderTheLock) {
    RegistryKey writer;
    ASSERT_TRUE(writer.create(store, key));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("A"), 1));
    // Mended by hand while the key is open.
    seed(contents() + "\"Hand\"=\"made\"\n");
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("B"), 2));
    writer.close();
    EXPECT_EQ(contents(),
              storeText("\"A\"=dword:00000001\n\"Hand\"=\"made\"\n\"B\"=dword:00000002\n"));
}

// Whether a process holds a file open and sleeps: a writer doing so is
// waiting for the lock of that file (it polls it between pauses).
bool sleepsHolding(pid_t pid, const std::string& file) {
    const std::string proc = "/proc/" + std::to_string(pid);
    bool holds = false;
    std::error_code error;
    for (const auto& fd : fs::directory_iterator(proc + "/fd", error))
        holds = holds || fs::read_symlink(fd.path(), error) == file;
    const std::string stat = readFile(proc + "/stat");
    const size_t name = stat.rfind(')');
    return holds && name != std::string::npos && stat.compare(name, 3, ") S") == 0;
}

TEST_F(RegistryStoreFile, AnotherWriterWaitsUntilTheKeyIsClosed) {
    RegistryKey holder;
    ASSERT_TRUE(holder.create(store, key));
    const pid_t other = test::spawn({FERROLUX_REGISTRY_WRITER, "write", path, "Other", "value"});
    ASSERT_GT(other, 0);
    bool waiting = false;
    for (int i = 0; i < 10000 && !waiting; ++i) {
        waiting = sleepsHolding(other, path + ".lock");
        if (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(waiting) << "the other writer never waited for the lock";
    EXPECT_EQ(contents().find("Other"), std::string::npos) << "wrote without the lock";
    ASSERT_TRUE(holder.writeNumber(QStringLiteral("Mine"), 1));
    holder.close();
    EXPECT_EQ(test::waitExit(other), 0);
    EXPECT_EQ(contents(), storeText("\"Mine\"=dword:00000001\n\"Other\"=\"value\"\n"));
}

TEST_F(RegistryStoreFile, WritesThroughASymbolicLinkKeepTheLink) {
    const std::string target = dir.write("real/registry.reg", storeText(""));
    const std::string link = dir.file("link.reg");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    RegistryKey writer;
    ASSERT_TRUE(writer.create(RegistryStore(link), key));
    ASSERT_TRUE(writer.writeNumber(QStringLiteral("A"), 1));
    writer.close();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(target), storeText("\"A\"=dword:00000001\n"));
}

class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const std::string& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        value.empty() ? qunsetenv(name) : qputenv(name, QByteArray::fromStdString(value));
    }
    ~EnvironmentOverride() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

TEST_F(RegistryStoreFile, StandardLocationHonoursTheEnvironment) {
    {
        EnvironmentOverride chosen("FERROLUX_REGISTRY", path);
        EXPECT_EQ(RegistryStore::standard().path(), path);
        EXPECT_FALSE(RegistryStore::standard().createsFolder());
    }
    EnvironmentOverride none("FERROLUX_REGISTRY", "");
    EnvironmentOverride config("XDG_CONFIG_HOME", dir.file("config"));
    const RegistryStore standard = RegistryStore::standard();
    EXPECT_EQ(standard.path(), dir.file("config/ferrolux/registry.reg"));
    RegistryKey writer;
    ASSERT_TRUE(writer.create(standard, key)); // makes the folders
    EXPECT_TRUE(fs::is_regular_file(standard.path()));
}

} // namespace
} // namespace ferrolux
