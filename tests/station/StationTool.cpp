#include "StationTool.h"

#include <set>

namespace fs = std::filesystem;

ToolResult runStation(const std::vector<std::string>& args, const fs::path& cwd,
                      const std::map<std::string, std::string>& env) {
    ProcessOptions options;
    options.cwd = cwd;
    options.env = {{"LC_ALL", "C"}, {"LANGUAGE", ""}};
    for (const auto& [name, value] : env) options.env[name] = value;
    options.timeoutMs = 60000;
    return runProcess(STATION_TOOL, args, options);
}

std::string folderState(const fs::path& folder) {
    std::set<std::string> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        std::string line = fs::relative(it->path(), folder).string();
        if (it->is_regular_file(ec))
            line += " " + std::to_string(it->file_size(ec)) + " " +
                    std::to_string(it->last_write_time(ec).time_since_epoch().count());
        entries.insert(line);
    }
    std::string state;
    for (const std::string& e : entries) state += e + "\n";
    return state;
}
