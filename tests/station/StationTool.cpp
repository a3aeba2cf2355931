#include "StationTool.h"

#include <set>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

ProcessOptions stationOptions(const fs::path& cwd, const std::map<std::string, std::string>& env) {
    ProcessOptions options;
    options.cwd = cwd;
    // Places that do not exist: a configured machine must not change what the tests see.
    const std::string nowhere = "/nonexistent/rulevion-tests";
    options.env = {{"LC_ALL", "C"},
                   {"LANGUAGE", ""},
                   {"RULEVION_CONFIG_DIR", nowhere + "/etc"},
                   {"XDG_CONFIG_HOME", nowhere + "/config"},
                   {"RULEVION_FSTAB", nowhere + "/fstab"},
                   {"VDM_DRIVES", ""}};
    for (const auto& [name, value] : env) options.env[name] = value;
    options.timeoutMs = 60000;
    return options;
}

}  // namespace

ToolResult runStation(const std::vector<std::string>& args, const fs::path& cwd,
                      const std::map<std::string, std::string>& env, bool asUnprivileged) {
    ProcessOptions options = stationOptions(cwd, env);
    options.asUnprivileged = asUnprivileged;
    return runProcess(STATION_TOOL, args, options);
}

fs::path stationLogFile(const fs::path& dir) {
    return dir / "state" / "rulevion" / "station.log";
}

ToolResult runStationAsUser(const std::vector<std::string>& args, const fs::path& dir,
                            const fs::path& cwd, std::map<std::string, std::string> env) {
    env.emplace("HOME", dir.string());
    env.emplace("XDG_STATE_HOME", (dir / "state").string());
    // The shell wants a display for the menu; the tests' menus need none.
    env.emplace("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() != 0) return runStation(args, cwd, env);
    std::error_code ec;
    lchown(dir.c_str(), kNobody, kNobody);
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec))
        lchown(it->path().c_str(), kNobody, kNobody);
    std::vector<std::string> command{"--reuid=" + std::to_string(kNobody),
                                     "--regid=" + std::to_string(kNobody), "--clear-groups", "--",
                                     STATION_TOOL};
    command.insert(command.end(), args.begin(), args.end());
    return runProcess("setpriv", command, stationOptions(cwd, env));
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
