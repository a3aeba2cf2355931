#pragma once

#include <QPoint>
#include <QSize>

#include <optional>

// How the panel fills a station's screen: every window of the program is scaled alike by the
// window system (boxes and dialogs with the panel), and the panel stands in the middle.
namespace session {

// The panel's size as it lays itself out, before any scaling.
inline constexpr QSize kPanelSize{1019, 573};

// The largest scale at which the panel fits the screen whole, cut to three decimals so that the
// scaled screen is never a pixel smaller than the panel. 1 for a screen of no size.
double fittingScale(QSize screen, QSize panel);

// The panel's top left corner when centred on a screen of that size (both unscaled); never
// off the screen's top or left.
QPoint centredAt(QSize screen, QSize panel);

// The X screen's size in pixels, asked before the application connects; nullopt when there is no
// display.
std::optional<QSize> displaySize();

// To be called before the application object exists, in the station session only: asks the
// window system to scale every window by the fitting scale of the screen, unless a technician
// set QT_SCALE_FACTOR himself. Returns the scale asked for, 1 when none.
double prepareScale(QSize panel = kPanelSize);

}  // namespace session
