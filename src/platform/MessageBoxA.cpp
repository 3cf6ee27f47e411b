#include "platform/MessageBoxA.h"

#include <cstdio>
#include <utility>

namespace ferrolux {
namespace {

MessageBoxHandler& currentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

int printToStderr(const QString& text, const QString& caption, unsigned flags) {
    const QByteArray line = (caption + QStringLiteral(": ") + text).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    return defaultAnswer(flags);
}

} // namespace

int defaultAnswer(unsigned flags) {
    return (flags & MB_YESNO) ? IDNO : IDOK;
}

unsigned messageBoxFlags(UserMessage::Kind kind) {
    switch (kind) {
    case UserMessage::Kind::Plain:
        return MB_OK;
    case UserMessage::Kind::Information:
        return MB_OK | MB_ICONINFORMATION;
    case UserMessage::Kind::Warning:
        return MB_OK | MB_ICONWARNING;
    case UserMessage::Kind::Failure:
        return MB_OK | MB_ICONHAND;
    case UserMessage::Kind::Question:
        return MB_YESNO | MB_ICONWARNING;
    }
    return MB_OK;
}

int MessageBoxA(QObject* owner, const UserMessage& message) {
    return MessageBoxA(owner, message.text, message.caption, messageBoxFlags(message.kind));
}

int MessageBoxA(QObject* owner, const QString& text, const QString& caption, unsigned flags) {
    const MessageBoxHandler& handler = currentHandler();
    if (handler) return handler(owner, text, caption, flags);
    return printToStderr(text, caption, flags);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(currentHandler(), std::move(handler));
}

} // namespace ferrolux
