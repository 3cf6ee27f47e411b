#include "MessageBoxRecorder.h"

namespace ferrolux::test {

MessageBoxRecorder::MessageBoxRecorder() {
    previous_ = setMessageBoxHandler(
        [this](QObject*, const QString& text, const QString& caption, unsigned flags) {
            boxes_.push_back({text, caption, flags});
            if (!answers_.empty()) {
                const int answer = answers_.front();
                answers_.pop_front();
                return answer;
            }
            return (flags & MB_YESNO) ? int(IDNO) : int(IDOK);
        });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    setMessageBoxHandler(std::move(previous_));
}

} // namespace ferrolux::test
