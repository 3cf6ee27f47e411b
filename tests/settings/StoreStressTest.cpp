#include "StoreTesting.h"
#include "StressPayload.h"
#include "platform/registry/RegistryDocument.h"
#include "settings/SavedSearches.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <thread>

namespace ferrolux {
namespace {

using test::readFile;
using test::storeText;

const QString keyName = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Ferrolux");

class StoreStress : public test::StoreTest {
protected:
    // Polls the store until its payload number exceeds `number` (at most 20 s).
    void waitForPayloadAbove(int number) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const std::optional<RegistryDocument> document = RegistryDocument::parse(readFile(path));
            const std::optional<RegistryValue> payload =
                document ? document->value(keyName, QStringLiteral("Payload")) : std::nullopt;
            if (payload && test::stressPayloadNumber(payload->text) > number) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
};

// A writer killed at any moment leaves the old or the new store, whole.
TEST_F(StoreStress, WriterKilledAtRandomMomentsLeavesAWholeStore) {
    const std::string foreign = "[HKEY_CURRENT_USER\\Other]\n; kept comment\n\"Keep\"=\"me\"\n\n";
    seed("Windows Registry Editor Version 5.00\n\n" + foreign +
         "[HKEY_LOCAL_MACHINE\\Software\\Ferrolux]\n\"Editor\"=\"vi\"\n");

    const unsigned seedValue = std::random_device{}();
    std::mt19937 random(seedValue);
    std::uniform_int_distribution<int> delayMs(0, 60);
    int lastNumber = 0;
    int killedWhileWriting = 0;
    int advanced = 0;
    for (int round = 0; round < 200; ++round) {
        const pid_t writer = test::spawn({FERROLUX_REGISTRY_WRITER, "crash", path});
        ASSERT_GT(writer, 0);
        // Every tenth round waits for a completed write first, so that a slow
        // start (a loaded machine, a sanitizer build) still sees the store move.
        if (round % 10 == 9) waitForPayloadAbove(lastNumber);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        ::kill(writer, SIGKILL);
        ASSERT_EQ(test::waitExit(writer), -1) << "the writer stopped by itself";
        if (std::filesystem::exists(path + ".tmp")) ++killedWhileWriting;

        const std::string bytes = readFile(path);
        const std::optional<RegistryDocument> document = RegistryDocument::parse(bytes);
        ASSERT_TRUE(document) << "round " << round << ", seed " << seedValue;
        ASSERT_NE(bytes.find(foreign), std::string::npos) << "round " << round;
        EXPECT_EQ(document->value(keyName, QStringLiteral("Editor"))->text, QStringLiteral("vi"));
        const std::optional<RegistryValue> payload =
            document->value(keyName, QStringLiteral("Payload"));
        if (!payload) continue; // killed before its first write
        const int number = test::stressPayloadNumber(payload->text);
        ASSERT_EQ(payload->text, test::stressPayload(number)) << "round " << round;
        ASSERT_GE(number, lastNumber) << "round " << round;
        if (number > lastNumber) ++advanced;
        lastNumber = number;
    }
    for (const std::string& name : folderEntries())
        EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock" ||
                    name == "registry.reg.tmp")
            << name << ": no store may be taken for damaged";
    EXPECT_GT(advanced, 0) << "the writer never completed a write";
    RecordProperty("writes", lastNumber);
    RecordProperty("killed_while_writing", killedWhileWriting);
    std::printf("200 kills (seed %u): %d rounds advanced the store, %d writes in all, "
                "%d kills left a temporary file\n",
                seedValue, advanced, lastNumber, killedWhileWriting);
}

// Two processes saving at once lose none of each other's searches.
TEST_F(StoreStress, TwoProcessesSavingAtOnceKeepEverySearch) {
    const pid_t first = test::spawn({FERROLUX_REGISTRY_WRITER, "searches", path, "A", "100"});
    const pid_t second = test::spawn({FERROLUX_REGISTRY_WRITER, "searches", path, "B", "100"});
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    EXPECT_EQ(test::waitExit(first), 0);
    EXPECT_EQ(test::waitExit(second), 0);

    const std::vector<SavedSearch> searches = readSavedSearches(store);
    ASSERT_EQ(searches.size(), 200u);
    // Newest first: each writer's own searches appear in descending order.
    std::map<QString, int> nextExpected{{"A", 100}, {"B", 100}};
    for (const SavedSearch& search : searches) {
        const QString prefix = search.searchText.section(u'-', 0, 0);
        ASSERT_TRUE(nextExpected.count(prefix)) << search.searchText.toStdString();
        EXPECT_EQ(search.searchText.section(u'-', 1).toInt(), nextExpected[prefix]--);
        EXPECT_EQ(search.directory, QStringLiteral("/data/") + prefix);
    }
    EXPECT_EQ(nextExpected[QStringLiteral("A")], 0);
    EXPECT_EQ(nextExpected[QStringLiteral("B")], 0);
}

} // namespace
} // namespace ferrolux
