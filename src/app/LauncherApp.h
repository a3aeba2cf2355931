#pragma once

#include <functional>
#include <memory>
#include <string>

class QDialog;

// The application object: runs the main panel once, from start to end.
class LauncherApp {
public:
    using PanelFactory = std::function<std::unique_ptr<QDialog>()>;

    explicit LauncherApp(PanelFactory makePanel);

    // Runs the panel modally exactly once, destroys it, and returns false: there is no message
    // loop after the panel.
    bool initInstance();

    // Named at start for the framework's settings; nothing is ever stored under it.
    const std::string& registryKey() const { return registryKey_; }

private:
    PanelFactory makePanel_;
    std::string registryKey_;
};
