#include "StationTool.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <set>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

ToolResult runTool(const QString& program, const QStringList& prefix,
                   const std::vector<std::string>& args, const fs::path& cwd,
                   const std::map<std::string, std::string>& env) {
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.remove(QStringLiteral("LANGUAGE"));
    for (const auto& [name, value] : env) {
        if (value.empty())
            environment.remove(QString::fromStdString(name));
        else
            environment.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    p.setProcessEnvironment(environment);
    p.setWorkingDirectory(QString::fromStdString(cwd.string()));
    QStringList list = prefix;
    for (const auto& a : args) list << QString::fromStdString(a);
    p.start(program, list);
    ToolResult r;
    if (!p.waitForStarted(10000)) return r;
    p.closeWriteChannel();
    // A deadline only against a shell that never ends; every run here ends by itself.
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
    } else {
        r.finished = p.exitStatus() == QProcess::NormalExit;
        r.exitCode = p.exitCode();
    }
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

}  // namespace

ToolResult runStation(const std::vector<std::string>& args, const fs::path& cwd,
                      const std::map<std::string, std::string>& env) {
    return runTool(QStringLiteral(STATION_TOOL), {}, args, cwd, env);
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
    return runTool(
        QStringLiteral("setpriv"),
        {QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
         QStringLiteral("--clear-groups"), QStringLiteral("--"), QStringLiteral(STATION_TOOL)},
        args, cwd, env);
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
