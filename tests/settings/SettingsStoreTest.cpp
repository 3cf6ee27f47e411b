#include "settings/SettingsStore.h"

#include "MessageBoxRecorder.h"
#include "StoreTesting.h"
#include "settings/SettingsTarget.h"
#include "settings/SettingsTexts.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

using test::storeText;

// Stands in for the main window: records what the settings do to it.
class FakeWindow : public SettingsTarget {
public:
    bool hint = false;
    QString fontName;
    int32_t fontSize = 0;
    QString directory;
    std::vector<std::string> calls;

    bool showHint() const override { return hint; }
    void setShowHint(bool on) override {
        hint = on;
        calls.push_back("hint");
    }
    void setMatchListFont(const QString& name, int32_t size) override {
        fontName = name;
        fontSize = size;
        calls.push_back("font");
    }
    bool setDirectory(const QString& wanted) override {
        calls.push_back("directory");
        if (!QDir(wanted).exists()) return false;
        directory = wanted;
        return true;
    }
    void setRootDirectory() override {
        calls.push_back("root");
        directory = QStringLiteral("/");
    }
};

class SettingsStoreTest : public test::StoreTest {
protected:
    Settings settings;
    FakeWindow window;
    test::MessageBoxRecorder boxes;

    // Loads and shows what the loading had to tell, as the main window does.
    void load(bool applyStartupDir) {
        if (const auto warning = LoadSettings(settings, window, store, applyStartupDir))
            MessageBoxA(nullptr, *warning);
    }
    bool save(const RegistryStore& into) {
        const StoreOutcome saved = SaveSettings(settings, window, into);
        if (saved.message) MessageBoxA(nullptr, *saved.message);
        return bool(saved);
    }
};

TEST_F(SettingsStoreTest, FirstRunGivesTheDefaultsSilently) {
    load(true);
    EXPECT_EQ(settings, defaultSettings());
    EXPECT_TRUE(window.hint);
    EXPECT_EQ(window.fontName, QStringLiteral("Fixedsys"));
    EXPECT_EQ(window.fontSize, 11);
    EXPECT_EQ(window.directory, QStringLiteral("/"));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(folderEntries(), std::vector<std::string>{}) << "loading must not write";
}

TEST_F(SettingsStoreTest, StoredValuesFollowTheLoadingRules) {
    seed(storeText("\"Editor\"=\"\"\n"
                   "\"MatchFontName\"=\"\"\n"
                   "\"ViewerFontName\"=\"DejaVu Sans Mono\"\n"
                   "\"PrintFontName\"=dword:00000001\n"
                   "\"StartupDir\"=\"\"\n"
                   "\"ShowHint\"=dword:00000007\n"
                   "\"MaxMatches\"=\"200\"\n"
                   "\"MaxMatchLen\"=dword:0000270f\n"
                   "\"MatchFontSize\"=dword:00000014\n"
                   "\"ViewerTextColor\"=dword:00ff8000\n"));
    load(true);
    Settings expected = defaultSettings();
    expected.ViewerFontName = QStringLiteral("DejaVu Sans Mono");
    expected.MaxMatchLen = 9999; // no range check on loading
    expected.MatchFontSize = 20;
    expected.ViewerTextColor = 0x00ff8000;
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(window.directory, QStringLiteral("/"));
    EXPECT_EQ(window.fontSize, 20);
    EXPECT_TRUE(window.hint);
    EXPECT_TRUE(boxes.boxes().empty());

    seed(storeText("\"ShowHint\"=dword:00000000\n\"MaxMatchLen\"=dword:00000000\n"));
    load(false);
    EXPECT_FALSE(settings.ShowHint);
    EXPECT_FALSE(window.hint);
    EXPECT_EQ(settings.MaxMatchLen, 0);
}

TEST_F(SettingsStoreTest, StartupDirectoryIsAppliedOnlyWhenAsked) {
    const std::string good = dir.mkdir("start");
    seed(storeText("\"StartupDir\"=\"" + good + "\"\n"));
    load(true);
    EXPECT_EQ(window.directory, QString::fromStdString(good));
    EXPECT_TRUE(boxes.boxes().empty());

    window.calls.clear();
    seed(storeText("\"StartupDir\"=\"" + dir.file("removed") + "\"\n"));
    load(false);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"hint", "font"}));

    load(true);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("Default startup directory is invalid - \nstarting "
                             "in root directory\n\nPlease correct this in "
                             "File/Preferences"));
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(window.directory, QStringLiteral("/"));
    EXPECT_EQ(settings.StartupDir, QString::fromStdString(dir.file("removed")))
        << "kept for correction";
}

TEST_F(SettingsStoreTest, SaveWritesEveryValueInOrderThenReloads) {
    settings = defaultSettings();
    settings.MaxMatchLen = 2000;
    settings.Editor = QStringLiteral("kate -n");
    settings.StartupDir = QStringLiteral("/home/\u00e9");
    settings.ViewerHighColor = 0x00ff00;
    window.hint = false; // the switch holds ShowHint

    ASSERT_TRUE(save(store));
    EXPECT_EQ(contents(), storeText("\"MaxMatchLen\"=dword:000007d0\n"
                                    "\"MaxMatches\"=dword:000001f4\n"
                                    "\"ShowHint\"=dword:00000000\n"
                                    "\"Editor\"=\"kate -n\"\n"
                                    "\"StartupDir\"=\"/home/\u00e9\"\n"
                                    "\"MatchFontName\"=\"Fixedsys\"\n"
                                    "\"MatchFontSize\"=dword:0000000b\n"
                                    "\"ViewerFontName\"=\"Fixedsys\"\n"
                                    "\"ViewerFontSize\"=dword:0000000b\n"
                                    "\"PrintFontName\"=\"Arial\"\n"
                                    "\"PrintFontSize\"=dword:0000000a\n"
                                    "\"ViewerTextColor\"=dword:00000000\n"
                                    "\"ViewerHighColor\"=dword:0000ff00\n"));
    EXPECT_FALSE(settings.ShowHint);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"hint", "font"}))
        << "reloaded, directory untouched";
    EXPECT_EQ(readStoredSettings(store), settings);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(SettingsStoreTest, FoldersToSkipAreStoredOnceSet) {
    seed(storeText("\"FoldersToSkip\"=\".git,build*\"\n"));
    LoadSettings(settings, window, store, false);
    EXPECT_EQ(settings.FoldersToSkip, QStringLiteral(".git,build*"));
    settings.FoldersToSkip.clear();
    ASSERT_TRUE(SaveSettings(settings, window, store));
    EXPECT_NE(contents().find("\"FoldersToSkip\"=\"\"\n"), std::string::npos) << contents();
    EXPECT_EQ(readStoredSettings(store).FoldersToSkip, QString());
}

TEST_F(SettingsStoreTest, FailedSaveReportsTheValueAndStops) {
    RegistryStore nowhere(dir.file("missing/registry.reg"));
    seed(storeText(""));
    dir.write("registry.reg.tmp/blocker", "x"); // the key opens, the first write cannot
    for (const RegistryStore* failing : {&nowhere, &store}) {
        boxes.clear();
        window.calls.clear();
        settings = defaultSettings();
        settings.MaxMatches = 77;
        EXPECT_FALSE(save(*failing));
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("Failed to set data for 'MaxMatchLen'"));
        EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Error"));
        EXPECT_TRUE(window.calls.empty()) << "no reload after a failed save";
        EXPECT_EQ(settings.MaxMatches, 77) << "the new values stay in memory";
    }
    EXPECT_EQ(contents(), storeText(""));
}

// Replacements of the store seen in its folder: a write is a rename of the
// finished temporary file over the store. Closes of written files are
// watched too, so that successive renames are never merged into one event.
class StoreReplacements {
public:
    explicit StoreReplacements(const std::string& path)
        : name_(path.substr(path.rfind('/') + 1)), fd_(::inotify_init1(IN_NONBLOCK)) {
        ::inotify_add_watch(fd_, path.substr(0, path.rfind('/')).c_str(),
                            IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~StoreReplacements() { ::close(fd_); }

    int count() const {
        int replaced = 0;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if ((event->mask & IN_MOVED_TO) && event->len && name_ == event->name) ++replaced;
                at += sizeof(inotify_event) + event->len;
            }
        return replaced;
    }

private:
    std::string name_;
    int fd_;
};

// One OK, one write: the store (which may hold many saved searches) is
// read, changed and replaced once, not once per value.
TEST_F(SettingsStoreTest, SaveReplacesTheStoreOnce) {
    seed(storeText("\"Searches\"=\"" + std::string(100000, 's') + "\"\n"));
    settings = defaultSettings();
    settings.SearchArchives = true;
    const StoreReplacements replacements(path);
    ASSERT_TRUE(SaveSettings(settings, window, store));
    EXPECT_EQ(replacements.count(), 1);
    EXPECT_EQ(readStoredSettings(store), settings);
}

// A store far too large is neither read nor changed: the start-up says so
// once, everything takes its default, and OK fails as for a store that
// cannot be written.
TEST_F(SettingsStoreTest, AStoreTooLargeToReadIsToldAtStartUpAndKept) {
    const std::string big = storeText("\"MaxMatches\"=dword:00000009\n\"Searches\"=\"" +
                                      std::string(5 << 20, 's') + "\"\n");
    seed(big);
    load(true);
    EXPECT_EQ(settings, defaultSettings());
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(boxes.boxes()[0].text,
              "The settings file\n" + QString::fromStdString(path) +
                  "\nis 5.0 MB, more than the 4.0 MB a settings file may hold: it was not read, "
                  "and it will not be changed.\n\nFerrolux uses its default preferences, and "
                  "cannot keep new ones or saved searches, until the file is moved away or made "
                  "smaller.");
    std::optional<UserMessage> problem;
    EXPECT_EQ(readStoredSettings(store, &problem), defaultSettings());
    EXPECT_EQ(problem, storeTooLarge(QString::fromStdString(path), big.size(), 4 << 20))
        << "the command line is told the same";
    boxes.clear();
    EXPECT_FALSE(save(store));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("Failed to set data for 'MaxMatchLen'"));
    EXPECT_TRUE(contents() == big);
}

// A store file marked read-only fails OK like a read-only folder does.
TEST_F(SettingsStoreTest, AReadOnlyStoreFileFailsTheSave) {
    seed(storeText("\"MaxMatches\"=dword:00000009\n"));
    ::chmod(path.c_str(), 0444);
    settings = defaultSettings();
    EXPECT_FALSE(save(store));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("Failed to set data for 'MaxMatchLen'"));
    EXPECT_EQ(contents(), storeText("\"MaxMatches\"=dword:00000009\n"));
}

} // namespace
} // namespace ferrolux
