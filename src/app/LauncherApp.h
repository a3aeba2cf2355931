#pragma once

#include <functional>
#include <memory>

class QDialog;

namespace app {

// The application object: runs the main panel once, from start to end.
class LauncherApp {
public:
    using PanelFactory = std::function<std::unique_ptr<QDialog>()>;

    explicit LauncherApp(PanelFactory makePanel);

    // Runs the panel modally exactly once and destroys it: there is no message loop after the
    // panel.
    void run();

private:
    PanelFactory makePanel_;
};

}  // namespace app
