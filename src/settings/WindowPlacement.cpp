#include "settings/WindowPlacement.h"

#include "settings/SettingsStore.h"

#include <QMargins>
#include <QStringList>
#include <algorithm>

namespace ferrolux {
namespace {

QString valueName() {
    return QStringLiteral("MainWindow");
}

} // namespace

QString encodePlacement(const WindowPlacement& placement) {
    const QRect& r = placement.geometry;
    return QStringLiteral("%1,%2,%3,%4,%5")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .arg(placement.maximized ? 1 : 0);
}

std::optional<WindowPlacement> parsePlacement(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 5) return std::nullopt;
    int numbers[5];
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        numbers[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    if (numbers[2] <= 0 || numbers[3] <= 0 || (numbers[4] != 0 && numbers[4] != 1))
        return std::nullopt;
    return WindowPlacement{QRect(numbers[0], numbers[1], numbers[2], numbers[3]), numbers[4] == 1};
}

std::optional<WindowPlacement> readWindowPlacement(const RegistryStore& store) {
    RegistryKey key;
    if (!key.open(store, settingsKeyPath(), RegistryKey::Access::Read)) return std::nullopt;
    const std::optional<QString> stored = key.readString(valueName());
    return stored ? parsePlacement(*stored) : std::nullopt;
}

bool writeWindowPlacement(const RegistryStore& store, const WindowPlacement& placement) {
    RegistryKey key;
    return key.create(store, settingsKeyPath()) &&
           key.writeString(valueName(), encodePlacement(placement));
}

QRect placementOnScreen(QRect stored, const QRect& available, QSize minimum,
                        const QMargins& frame) {
    const QRect room = available.marginsRemoved(frame);
    stored.setSize(stored.size().boundedTo(room.size()).expandedTo(minimum));
    const int left = std::clamp(stored.left(), room.left(),
                                std::max(room.left(), room.right() + 1 - stored.width()));
    const int top = std::clamp(stored.top(), room.top(),
                               std::max(room.top(), room.bottom() + 1 - stored.height()));
    stored.moveTo(left, top);
    return stored;
}

} // namespace ferrolux
