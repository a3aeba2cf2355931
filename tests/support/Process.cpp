#include "Process.h"

#include "TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <grp.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

QProcessEnvironment environmentWith(const std::map<std::string, std::string>& changes) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : changes) {
        if (value.empty())
            environment.remove(QString::fromStdString(name));
        else
            environment.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    return environment;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    QProcess p;
    if (!options.env.empty()) p.setProcessEnvironment(environmentWith(options.env));
    if (options.asUnprivileged && geteuid() == 0)
        p.setChildProcessModifier([] {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(127);
        });
    if (!options.cwd.empty()) p.setWorkingDirectory(QString::fromStdString(options.cwd.string()));
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    p.start(QString::fromStdString(program), list);
    ProcessResult r;
    if (!p.waitForStarted(10000)) return r;
    p.closeWriteChannel();
    if (!p.waitForFinished(options.timeoutMs)) {
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

fs::path builtProgram(const std::string& name) {
    const char* bin = std::getenv("RV_BIN_DIR");
    if (!bin) throw std::runtime_error("RV_BIN_DIR is not set; run the tests through ctest");
    return fs::path(bin) / name;
}

std::string writeStudentsDatabase(const std::string& classList, const fs::path& target) {
    TempDir dir;
    const fs::path list = dir / "class-list.csv";
    writeFile(list, classList);
    fs::create_directories(target.parent_path());
    const ProcessResult r = runProcess(builtProgram("rulevion-jetwriter").string(),
                                       {"students", list.string(), target.string()});
    if (!r.finished) return "the writer did not start or did not end";
    if (r.exitCode != 0)
        return "the writer ended with " + std::to_string(r.exitCode) + ": " + r.err;
    return {};
}
