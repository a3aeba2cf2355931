#include "StationTool.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <grp.h>
#include <unistd.h>

#include <set>

namespace fs = std::filesystem;

ToolResult runStation(const std::vector<std::string>& args, const fs::path& cwd,
                      const std::map<std::string, std::string>& env, bool asUnprivileged) {
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.remove(QStringLiteral("LANGUAGE"));
    // Places that do not exist: a configured machine must not change what the tests see.
    const QString nowhere = QStringLiteral("/nonexistent/rulevion-tests");
    environment.insert(QStringLiteral("RULEVION_CONFIG_DIR"), nowhere + QStringLiteral("/etc"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), nowhere + QStringLiteral("/config"));
    environment.insert(QStringLiteral("RULEVION_FSTAB"), nowhere + QStringLiteral("/fstab"));
    environment.remove(QStringLiteral("VDM_DRIVES"));
    for (const auto& [name, value] : env) {
        if (value.empty())
            environment.remove(QString::fromStdString(name));
        else
            environment.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    p.setProcessEnvironment(environment);
    if (asUnprivileged && geteuid() == 0)
        p.setChildProcessModifier([] {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(127);
        });
    p.setWorkingDirectory(QString::fromStdString(cwd.string()));
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    p.start(QStringLiteral(STATION_TOOL), list);
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
