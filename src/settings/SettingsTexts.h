#pragma once

#include "platform/UserMessage.h"

#include <QString>
#include <cstdint>

namespace ferrolux {

// The words the stored settings and saved searches show their user.

// The start-up directory of the preferences cannot be entered.
UserMessage startupDirectoryInvalid();
// The store file at path holds size bytes, more than the limit: it was not
// read and will not be changed.
UserMessage storeTooLarge(const QString& path, uint64_t size, uint64_t limit);
// A stored value could not be written.
UserMessage writeFailure(const QString& valueName);

UserMessage searchSaved();
UserMessage blankSearchRefusal();
UserMessage reservedCharacterRefusal();
UserMessage directoryNotUtf8Refusal();
// Retrieve with no row picked, or a directory that is gone.
UserMessage noSearchSelected();

} // namespace ferrolux
