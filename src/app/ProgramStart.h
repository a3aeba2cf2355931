#pragma once

#include <functional>

namespace panel {
class MainPanelDialog;
}

namespace app {

// The program's start-up and its one run of the panel, shared by main and the start-up probe so
// that the probe measures what a station really starts. onPanel, when given, sees the panel once
// it is made and before it runs. Returns the process's status.
int runProgram(int& argc, char** argv, const std::function<void(panel::MainPanelDialog&)>& onPanel = {});

}  // namespace app
