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
    return (flags & MB_YESNO) ? IDNO : IDOK;
}

} // namespace

int MessageBoxA(QObject* owner, const QString& text, const QString& caption, unsigned flags) {
    const MessageBoxHandler& handler = currentHandler();
    if (handler) return handler(owner, text, caption, flags);
    return printToStderr(text, caption, flags);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(currentHandler(), std::move(handler));
}

} // namespace ferrolux
