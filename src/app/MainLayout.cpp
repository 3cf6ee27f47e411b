#include "app/MainLayout.h"

#include <algorithm>

namespace ferrolux {

MainAreas mainAreasFor(const MainAreas& base, QSize baseClient, QSize client) {
    const int wider = std::max(0, client.width() - baseClient.width());
    const int taller = std::max(0, client.height() - baseClient.height());
    const int filesTaller = taller / 2;
    const int linesTaller = taller - filesTaller;
    MainAreas areas = base;
    areas.files.setSize(base.files.size() + QSize(wider, filesTaller));
    areas.matchLabel.ry() += filesTaller;
    areas.lines.translate(0, filesTaller);
    areas.lines.setSize(base.lines.size() + QSize(wider, linesTaller));
    areas.bottom.translate(0, taller);
    areas.bottom.setWidth(base.bottom.width() + wider);
    areas.status.translate(0, taller);
    areas.status.setWidth(base.status.width() + wider);
    areas.directoryExtra = wider;
    return areas;
}

} // namespace ferrolux
