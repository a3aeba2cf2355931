#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Process.h"

// rulevion-station run as a technician or a session runs it.
using ToolResult = ProcessResult;

// Runs the command in cwd with the environment changed by env (an empty value removes the
// variable); LC_ALL=C unless env says otherwise, so messages are English.
ToolResult runStation(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                      const std::map<std::string, std::string>& env = {});

// Names, sizes and times of everything in the folder, to tell whether a run changed it.
std::string folderState(const std::filesystem::path& folder);
