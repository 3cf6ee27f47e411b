#include "app/SearchWorker.h"

#include "search/SearchHost.h"
#include "search/SearchRun.h"
#include "search/SearchState.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>

namespace ferrolux {
namespace {

int answerWithoutShowing(unsigned flags) {
    return (flags & MB_YESNO) ? int(IDNO) : int(IDOK);
}

} // namespace

// What the running search hands to the window.
class SearchWorker::Host : public SearchHost {
public:
    explicit Host(SearchWorker& worker) : worker_(worker) {}

    void setStatus(const QString& text) override {
        const std::lock_guard lock(worker_.mutex_);
        worker_.status_ = text;
    }

    void appendFileRow(const FileResult& row) override {
        const std::lock_guard lock(worker_.mutex_);
        worker_.rows_.push_back(row);
    }

    QObject* messageOwner() override { return worker_.window_; }

private:
    SearchWorker& worker_;
};

// A box asked for by the search thread, answered by the window's thread.
struct SearchWorker::BoxBridge {
    std::mutex mutex;
    std::condition_variable answered;
    bool abandoned = false;
    std::optional<int> answer;
};

SearchWorker::SearchWorker(SearchState& state, SearchRequest request, const Settings& settings,
                           const QString& dateDisplayFormat, std::vector<FileResult> listedRows,
                           QObject* window, std::function<void()> beforeBox,
                           std::function<void()> finished)
    : state_(state), request_(std::move(request)), settings_(settings),
      dateDisplayFormat_(dateDisplayFormat), listedRows_(std::move(listedRows)), window_(window),
      beforeBox_(std::move(beforeBox)), finished_(std::move(finished)),
      host_(std::make_unique<Host>(*this)), bridge_(std::make_shared<BoxBridge>()) {}

SearchWorker::~SearchWorker() {
    abandon();
}

void SearchWorker::start() {
    // Boxes raised while the search runs go through the window's thread.
    handlerInstalled_ = true;
    windowHandler_ = setMessageBoxHandler(
        [this](QObject* owner, const QString& text, const QString& caption, unsigned flags) {
            return showBoxOnWindowThread(owner, text, caption, flags);
        });
    thread_ = std::thread([this] {
        SearchRun run(state_, request_, settings_, dateDisplayFormat_, *host_);
        run.run(listedRows_);
        QMetaObject::invokeMethod(window_, finished_, Qt::QueuedConnection);
    });
}

int SearchWorker::showBoxOnWindowThread(QObject* owner, const QString& text, const QString& caption,
                                        unsigned flags) {
    const auto show = [handler = windowHandler_, owner, text, caption, flags] {
        return handler ? handler(owner, text, caption, flags) : answerWithoutShowing(flags);
    };
    if (QThread::currentThread() == window_->thread()) return show();

    const std::shared_ptr<BoxBridge> bridge = bridge_;
    std::unique_lock lock(bridge->mutex);
    if (bridge->abandoned) return answerWithoutShowing(flags);
    bridge->answer.reset();
    QMetaObject::invokeMethod(
        window_,
        [bridge, show, before = beforeBox_] {
            {
                const std::lock_guard guard(bridge->mutex);
                if (bridge->abandoned) return;
            }
            before();
            const int answer = show();
            const std::lock_guard guard(bridge->mutex);
            bridge->answer = answer;
            bridge->answered.notify_all();
        },
        Qt::QueuedConnection);
    bridge->answered.wait(lock, [&] { return bridge->answer.has_value() || bridge->abandoned; });
    return bridge->answer.value_or(answerWithoutShowing(flags));
}

void SearchWorker::join() {
    if (thread_.joinable()) thread_.join();
    if (handlerInstalled_) setMessageBoxHandler(std::exchange(windowHandler_, nullptr));
    handlerInstalled_ = false;
}

void SearchWorker::abandon() {
    {
        const std::lock_guard guard(bridge_->mutex);
        bridge_->abandoned = true;
        bridge_->answered.notify_all();
    }
    join();
}

std::vector<FileResult> SearchWorker::takeRows() {
    std::vector<FileResult> taken;
    const std::lock_guard lock(mutex_);
    taken.swap(rows_);
    return taken;
}

std::optional<QString> SearchWorker::takeStatus() {
    const std::lock_guard lock(mutex_);
    return std::exchange(status_, std::nullopt);
}

} // namespace ferrolux
