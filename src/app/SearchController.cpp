#include "app/SearchController.h"

#include "platform/MessageBoxA.h"
#include "search/SearchHost.h"
#include "search/SearchSession.h"
#include "search/SearchTexts.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <variant>

namespace ferrolux {
namespace {

// Progress is painted 25 times a second: live to the eye, while painting
// at the screen's rate took a fifth of a core from the search on two cores.
constexpr int kProgressIntervalMs = 40;

} // namespace

// The one way from the search's thread to the window's: what the search
// reported since the window last looked.
struct SearchController::Queue {
    // Only the latest status counts: a text, or the path of the file in
    // work (turned into text on the window's thread, when it is shown).
    using Status = std::variant<std::monostate, QString, std::string>;

    std::mutex mutex;
    std::condition_variable shown;
    std::vector<FileResult> rows;
    Status status;
    std::optional<UserMessage> box; // the search waits until it was shown
    bool answered = false;
    bool ended = false;
    bool abandoned = false; // boxes are answered without being shown

    void clear() {
        const std::lock_guard lock(mutex);
        rows.clear();
        status = {};
        box.reset();
        answered = false;
        ended = abandoned = false;
    }
};

// The search's host, on the search's thread: it only fills the queue.
class SearchController::Host : public SearchHost {
public:
    Host(SearchController& controller, std::shared_ptr<Queue> queue)
        : controller_(controller), queue_(std::move(queue)) {}

    void setStatus(const QString& text) override {
        const std::lock_guard lock(queue_->mutex);
        queue_->status = text;
    }
    void searchingFile(const std::string& path) override { showFile(path); }
    void stillSearching(const std::string& path) override { showFile(path); }

    void appendFileRow(const FileResult& row) override {
        const std::lock_guard lock(queue_->mutex);
        queue_->rows.push_back(row);
    }

    void tell(const UserMessage& message) override {
        std::unique_lock lock(queue_->mutex);
        if (queue_->abandoned) return; // nobody is left to see it
        queue_->box = message;
        queue_->answered = false;
        controller_.wake();
        queue_->shown.wait(lock, [&] { return queue_->answered || queue_->abandoned; });
    }

    void ended() {
        {
            const std::lock_guard lock(queue_->mutex);
            queue_->ended = true;
        }
        controller_.wake();
    }

private:
    void showFile(const std::string& path) {
        const std::lock_guard lock(queue_->mutex);
        if (auto* shown = std::get_if<std::string>(&queue_->status))
            shown->assign(path); // keeps its buffer: no allocation per file
        else
            queue_->status = path;
    }

    SearchController& controller_;
    std::shared_ptr<Queue> queue_;
};

SearchController::SearchController(QObject* window, SearchSession& session, SearchView view)
    : QObject(window), window_(window), session_(session), view_(std::move(view)),
      timer_(new QTimer(this)), queue_(std::make_shared<Queue>()),
      host_(std::make_unique<Host>(*this, queue_)) {
    timer_->setInterval(kProgressIntervalMs);
    connect(timer_, &QTimer::timeout, this, &SearchController::deliver);
}

SearchController::~SearchController() {
    abandon();
}

void SearchController::start(int32_t maxMatchLen, const QString& dateDisplayFormat, int threads) {
    if (running()) return;
    queue_->clear();
    thread_ = std::thread([this, maxMatchLen, dateDisplayFormat, threads] {
        session_.run(*host_, maxMatchLen, dateDisplayFormat, threads);
        host_->ended();
    });
    timer_->start();
}

void SearchController::cancel() {
    session_.cancel();
}

void SearchController::wake() {
    QMetaObject::invokeMethod(this, &SearchController::deliver, Qt::QueuedConnection);
}

// On the window's thread: rows first, then the status, then a box the search
// waits for, then its end; so a box never shows before the rows found before it.
void SearchController::deliver() {
    if (!running()) return;
    std::vector<FileResult> rows;
    Queue::Status status;
    bool ended = false;
    {
        const std::lock_guard lock(queue_->mutex);
        rows.swap(queue_->rows);
        status.swap(queue_->status);
        ended = queue_->ended;
    }
    if (!rows.empty()) session_.appendRows(std::move(rows));
    if (const auto* text = std::get_if<QString>(&status)) view_.showStatus(*text);
    if (const auto* path = std::get_if<std::string>(&status))
        view_.showStatus(searchingStatus(*path));
    if (ended) return finish();
    showBox();
}

void SearchController::showBox() {
    std::optional<UserMessage> box;
    {
        const std::lock_guard lock(queue_->mutex);
        box.swap(queue_->box);
    }
    if (!box) return;
    const QPointer<SearchController> self(this);
    // The box runs its own event loop: this is reached again, with no box.
    MessageBoxA(window_, *box);
    if (!self) return;
    const std::lock_guard lock(queue_->mutex);
    queue_->answered = true;
    queue_->shown.notify_all();
}

void SearchController::finish() {
    thread_.join();
    timer_->stop();
    if (view_.ended) view_.ended();
}

void SearchController::abandon() {
    if (!running()) return;
    session_.cancel();
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->abandoned = true;
        queue_->shown.notify_all();
    }
    thread_.join();
    timer_->stop();
}

} // namespace ferrolux
