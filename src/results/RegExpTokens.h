#pragma once

#include <QString>
#include <array>

namespace ferrolux {

// The entries of the "Insert Regular Expressions" list, in their order.
const std::array<const char*, 13>& regExpEntries();

// The token an entry inserts: its text up to its first blank.
QString regExpToken(const QString& entry);

} // namespace ferrolux
