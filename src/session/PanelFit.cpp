#include "PanelFit.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace session {

double fittingScale(QSize screen, QSize panel) {
    if (screen.isEmpty() || panel.isEmpty()) return 1.0;
    const double scale =
        std::min(double(screen.width()) / panel.width(), double(screen.height()) / panel.height());
    return std::floor(scale * 1000.0) / 1000.0;
}

// A panel larger than the screen keeps its top left corner, where the leaving buttons are.
QPoint centredAt(QSize screen, QSize panel) {
    return QPoint(std::max(0, (screen.width() - panel.width()) / 2),
                  std::max(0, (screen.height() - panel.height()) / 2));
}

std::optional<QSize> displaySize() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return std::nullopt;
    const int screen = DefaultScreen(display);
    const QSize size(DisplayWidth(display, screen), DisplayHeight(display, screen));
    XCloseDisplay(display);
    return size;
}

double prepareScale(QSize panel) {
    const char* own = std::getenv("QT_SCALE_FACTOR");
    if (own && *own) return 1.0;
    const std::optional<QSize> screen = displaySize();
    if (!screen) return 1.0;
    const double scale = fittingScale(*screen, panel);
    if (scale == 1.0) return 1.0;
    char value[32];
    std::snprintf(value, sizeof value, "%.3f", scale);
    // Read once when the application starts; the menu starts no program that would inherit it
    // other than its database reader, which shows nothing.
    setenv("QT_SCALE_FACTOR", value, 1);
    return scale;
}

}  // namespace session
