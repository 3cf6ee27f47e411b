#pragma once

#include <QString>

namespace ferrolux {

// What the program has to tell the user, worded by the layer that knows what
// happened. Windows show it in a message box (MessageBoxA), the command line
// prints its text.
struct UserMessage {
    // How it is shown: the icon and buttons of its box.
    enum class Kind {
        Plain,       // OK, no icon
        Information, // OK, information icon
        Warning,     // OK, warning icon: refused input, a problem the work goes on after
        Failure,     // OK, stop icon: something was not done
        Question,    // Yes and No, warning icon
    };

    QString text;
    QString caption;
    Kind kind = Kind::Plain;

    bool operator==(const UserMessage&) const = default;
};

} // namespace ferrolux
