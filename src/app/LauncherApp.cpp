#include "LauncherApp.h"

#include <QDialog>

namespace app {

LauncherApp::LauncherApp(PanelFactory makePanel) : makePanel_(std::move(makePanel)) {}

void LauncherApp::run() {
    std::unique_ptr<QDialog> panel = makePanel_();
    panel->exec();
    panel.reset();
}

}  // namespace app
