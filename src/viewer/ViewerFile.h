#pragma once

#include "viewer/RowIndex.h"
#include "viewer/RowReader.h"
#include "viewer/ViewerMatching.h"
#include "viewer/ViewerText.h"

#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ferrolux {

// What a viewer is asked to show.
struct ViewerJob {
    std::string path;
    bool binary = false;
    int64_t size = 0; // binary mode: the bytes the search recorded
    std::string pattern;
    bool caseSensitive = false;
    int32_t maxMatches = 500;
    int32_t maxMatchLen = 300;
};

// A file opened for viewing. Two threads read it from its start: one
// indexes its rows, the other finds its matches with the grep engine. The
// window asks for what is new whenever `notify` tells it there is progress
// (notify is called on those threads, at most once between two asks).
class ViewerFile {
public:
    // Opens the file and starts both threads; nothing, with errno in
    // `error`, when it cannot be opened.
    static std::unique_ptr<ViewerFile> open(const ViewerJob& job, std::function<void()> notify,
                                            int& error);
    // A text held in memory, indexed at once, with no matches.
    static std::unique_ptr<ViewerFile> showText(std::string text);

    // Stops both threads.
    ~ViewerFile();
    ViewerFile(const ViewerFile&) = delete;
    ViewerFile& operator=(const ViewerFile&) = delete;

    std::shared_ptr<const RowReader> reader() const { return reader_; }

    // Whether the file's size or modification time is no longer what it was
    // when it was opened: what is shown may no longer be what is there.
    bool changedOnDisk() const;

    struct Progress {
        // Matches found since the last ask that fall in rows already indexed.
        std::vector<FoundMatch> matches;
        RowIndex::State index;
        bool finished = false; // indexed, and every match found
    };
    Progress takeProgress();

private:
    ViewerFile(std::shared_ptr<const ViewerText> text, bool binary, std::function<void()> notify);

    void start(const ViewerJob& job, int fd);
    void indexRows();
    void findTextMatches(const ViewerJob& job, int fd);
    void findBinaryMatches(const ViewerJob& job);
    void addMatch(const FoundMatch& match);
    void signal();
    // Whether the index has reached a match.
    bool indexed(const FoundMatch& match, const RowIndex::State& state) const;

    std::shared_ptr<const ViewerText> text_;
    std::shared_ptr<RowIndex> index_;
    std::shared_ptr<const RowReader> reader_;
    bool binary_;
    std::function<void()> notify_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> notified_{false};

    std::mutex mutex_;
    std::vector<FoundMatch> pending_; // found, not yet handed to the window
    size_t handed_ = 0;
    bool matchesDone_ = false;

    UniqueFd watched_; // the opened file, for changedOnDisk
    int64_t openedSize_ = 0;
    timespec openedTime_{};

    std::thread indexThread_;
    std::thread matchThread_;
};

} // namespace ferrolux
