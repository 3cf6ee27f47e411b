#pragma once

#include "platform/registry/Registry.h"

#include <QRect>
#include <QString>
#include <optional>

namespace ferrolux {

// Where the main window was when it last closed: its client area on the
// desktop, when not maximised, and whether it was maximised.
struct WindowPlacement {
    QRect geometry;
    bool maximized = false;
    bool operator==(const WindowPlacement&) const = default;
};

// "left,top,width,height,maximised" with maximised 0 or 1.
QString encodePlacement(const WindowPlacement& placement);
// Nothing when the text is not five whole numbers or the size is empty.
std::optional<WindowPlacement> parsePlacement(const QString& text);

std::optional<WindowPlacement> readWindowPlacement(const RegistryStore& store);
bool writeWindowPlacement(const RegistryStore& store, const WindowPlacement& placement);

// The stored geometry as it can be shown now: no smaller than minimum, no
// larger than the available area (a screen may have shrunk since), and moved
// wholly onto it, so that the title bar can always be reached. frame: what
// the window manager adds around the client area.
QRect placementOnScreen(QRect stored, const QRect& available, QSize minimum,
                        const QMargins& frame = {});

} // namespace ferrolux
