#pragma once

#include <QColor>
#include <cstdint>

namespace ferrolux {

// A colour as the settings store keeps it: 0x00BBGGRR.
inline QColor fromColorRef(int32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

} // namespace ferrolux
