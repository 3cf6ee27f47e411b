#pragma once

#include "platform/MessageBoxA.h"
#include "search/FileResult.h"
#include "search/SearchRequest.h"
#include "settings/Settings.h"

#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QObject;

namespace ferrolux {

struct SearchState;

// Runs one search in a thread of its own, so that the window never waits on
// the engine. Rows and status texts are collected here and taken by the
// window's thread at its own pace; message boxes the search raises are shown
// by the window's thread while the search waits for the answer.
class SearchWorker {
public:
    // window: the object whose thread shows message boxes and receives
    // finished(); it must outlive this worker. beforeBox runs on that thread
    // just before a box of the search is shown (to bring the lists up to date).
    SearchWorker(SearchState& state, SearchRequest request, const Settings& settings,
                 const QString& dateDisplayFormat, std::vector<FileResult> listedRows,
                 QObject* window, std::function<void()> beforeBox, std::function<void()> finished);
    // Abandons the search if it still runs.
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    void start();
    // Waits for the search thread to end (after it reported finished).
    void join();
    // Answers every box the search waits for, and every later one, without
    // showing it, then waits for the thread. The caller raises Canceled first.
    void abandon();

    // What the search produced since the last call.
    std::vector<FileResult> takeRows();
    std::optional<QString> takeStatus();

private:
    class Host;
    struct BoxBridge;

    int showBoxOnWindowThread(QObject* owner, const QString& text, const QString& caption,
                              unsigned flags);

    SearchState& state_;
    SearchRequest request_;
    Settings settings_;
    QString dateDisplayFormat_;
    std::vector<FileResult> listedRows_;
    QObject* window_;
    std::function<void()> beforeBox_;
    std::function<void()> finished_;
    std::unique_ptr<Host> host_;
    std::shared_ptr<BoxBridge> bridge_;
    MessageBoxHandler windowHandler_;
    bool handlerInstalled_ = false;
    std::thread thread_;

    std::mutex mutex_;
    std::vector<FileResult> rows_;
    std::optional<QString> status_;
};

} // namespace ferrolux
