#include "LauncherApp.h"

#include <QDialog>

LauncherApp::LauncherApp(PanelFactory makePanel) : makePanel_(std::move(makePanel)) {}

bool LauncherApp::initInstance() {
    registryKey_ = "Local AppWizard-Generated Applications";
    std::unique_ptr<QDialog> panel = makePanel_();
    panel->exec();
    panel.reset();
    return false;
}
