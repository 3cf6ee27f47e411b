#pragma once

#include <QString>

namespace ferrolux::test {

// A large string value that a writer stores again and again, numbered so a
// reader can tell which write it sees and check that it is whole. It holds
// line breaks (so it is stored as multi-line hex), non-ASCII text and the
// saved-search separators.
inline QString stressPayload(int number) {
    QString chunk = QStringLiteral("line \u00e9 \u6f22\u5b57 \U0001F600 \\ \" ");
    chunk += QChar(0x7F);
    chunk += QChar(0x80);
    chunk += u'\n';
    QString text = QString::number(number) + u'|';
    for (int i = 0; i < 1500; ++i)
        text += chunk;
    return text + QString::number(number);
}

inline int stressPayloadNumber(const QString& text) {
    return text.section(u'|', 0, 0).toInt();
}

} // namespace ferrolux::test
