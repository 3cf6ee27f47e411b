#include "search/SearchHost.h"

#include "platform/MessageBoxA.h"
#include "search/TextDecoding.h"

namespace ferrolux {

void SearchHost::searchingFile(const std::string& path) {
    setStatus(QStringLiteral(" Searching ") + displayText(path));
}

int SearchHost::showMessage(const QString& text, const QString& caption, unsigned flags) {
    return MessageBoxA(messageOwner(), text, caption, flags);
}

} // namespace ferrolux
