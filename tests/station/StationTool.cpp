#include "StationTool.h"

#include "TempDir.h"

#include <QProcessEnvironment>

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

namespace {

void userEnvironment(const fs::path& dir, std::map<std::string, std::string>& env) {
    env.emplace("HOME", dir.string());
    env.emplace("XDG_STATE_HOME", (dir / "state").string());
    // The shell wants a display for the menu; the tests' menus need none.
    env.emplace("QT_QPA_PLATFORM", "offscreen");
}

// Under root: hands dir to nobody and returns the command that runs the tool as nobody.
std::vector<std::string> asNobody(const fs::path& dir, const std::vector<std::string>& args) {
    std::error_code ec;
    if (lchown(dir.c_str(), kNobody, kNobody) != 0) return {};
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec))
        if (lchown(it->path().c_str(), kNobody, kNobody) != 0) return {};
    std::vector<std::string> command{"--reuid=" + std::to_string(kNobody),
                                     "--regid=" + std::to_string(kNobody), "--clear-groups", "--",
                                     STATION_TOOL};
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

}  // namespace

ToolResult runStationAsUser(const std::vector<std::string>& args, const fs::path& dir,
                            const fs::path& cwd, std::map<std::string, std::string> env) {
    userEnvironment(dir, env);
    if (geteuid() != 0) return runStation(args, cwd, env);
    return runProcess("setpriv", asNobody(dir, args), stationOptions(cwd, env));
}

StationProcess::StationProcess(const std::vector<std::string>& args, const fs::path& dir,
                               const fs::path& cwd, std::map<std::string, std::string> env)
    : dir_(dir) {
    userEnvironment(dir, env);
    process_.setProcessEnvironment(environmentWith(stationOptions(cwd, env).env));
    process_.setWorkingDirectory(QString::fromStdString(cwd.string()));
    process_.setStandardOutputFile(QString::fromStdString((dir / "station-stdout.txt").string()));
    process_.setStandardErrorFile(QString::fromStdString((dir / "station-stderr.txt").string()));
    std::vector<std::string> command = args;
    std::string program = STATION_TOOL;
    if (geteuid() == 0) {
        command = asNobody(dir, args);
        program = "setpriv";
    }
    QStringList list;
    for (const std::string& a : command) list << QString::fromStdString(a);
    process_.start(QString::fromStdString(program), list);
    started_ = process_.waitForStarted(10000);
}

StationProcess::~StationProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

bool StationProcess::waitForEnd(int timeoutMs) {
    if (process_.waitForFinished(timeoutMs)) return true;
    process_.kill();
    process_.waitForFinished(5000);
    return false;
}

std::string StationProcess::err() const {
    return readFile(dir_ / "station-stderr.txt");
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
