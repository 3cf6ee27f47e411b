#pragma once

#include "platform/UserMessage.h"

#include <QString>
#include <functional>

class QObject;

namespace ferrolux {

// Button and icon flags, with the values callers of a message box know.
enum MessageBoxFlags : unsigned {
    MB_OK = 0x0,
    MB_YESNO = 0x4,
    MB_ICONHAND = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};

enum MessageBoxResult : int { IDOK = 1, IDYES = 6, IDNO = 7 };

// Every message box of Ferrolux goes through this one function, so that the
// window build can show a real dialog, the command line can print the text,
// and tests can record it and answer without blocking.
int MessageBoxA(QObject* owner, const QString& text, const QString& caption, unsigned flags);

// A message of a layer below the windows, in the box its kind calls for.
int MessageBoxA(QObject* owner, const UserMessage& message);
unsigned messageBoxFlags(UserMessage::Kind kind);

// The answer of a box nobody can see: the one that changes nothing (No to a
// question, else OK).
int defaultAnswer(unsigned flags);

using MessageBoxHandler =
    std::function<int(QObject* owner, const QString& text, const QString& caption, unsigned flags)>;

// Installs the handler that shows message boxes and returns the previous one.
// Without a handler the text goes to stderr and the box gets the default
// answer.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

} // namespace ferrolux
