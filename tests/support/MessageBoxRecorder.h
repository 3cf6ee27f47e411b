#pragma once

#include "platform/MessageBoxA.h"

#include <QString>
#include <deque>
#include <vector>

namespace ferrolux::test {

// Captures every message box while it lives and answers from a queue of
// prepared answers (IDOK, or IDNO for a Yes/No question, when it runs out).
class MessageBoxRecorder {
public:
    struct Box {
        QString text;
        QString caption;
        unsigned flags;
    };

    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void answerNext(int answer) { answers_.push_back(answer); }
    const std::vector<Box>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    std::vector<Box> boxes_;
    std::deque<int> answers_;
    MessageBoxHandler previous_;
};

} // namespace ferrolux::test
