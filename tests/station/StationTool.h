#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Process.h"

#include <QProcess>

#include <memory>

// rulevion-station run as a technician or a session runs it.
using ToolResult = ProcessResult;

// Runs the command in cwd with the environment changed by env (an empty value removes the
// variable); LC_ALL=C unless env says otherwise, so messages are English. The machine's
// configuration and mount table are out of reach unless env names others
// (RULEVION_CONFIG_DIR, XDG_CONFIG_HOME, RULEVION_FSTAB). asUnprivileged: a run by root drops
// to user and group 65534 first, so that file modes count.
ToolResult runStation(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                      const std::map<std::string, std::string>& env = {},
                      bool asUnprivileged = false);

// The same, as a station runs: never as root. Under root the folder dir (holding cwd and all the
// test's files) is handed to the unprivileged user nobody, who then runs the command. HOME and
// XDG_STATE_HOME point into dir, so the station's log stays in the test's folder.
ToolResult runStationAsUser(const std::vector<std::string>& args, const std::filesystem::path& dir,
                            const std::filesystem::path& cwd,
                            std::map<std::string, std::string> env = {});

// The same, started and left running, for a test that signals it or waits for a state first.
// Its output goes to files in dir (station-stdout.txt, station-stderr.txt).
class StationProcess {
public:
    StationProcess(const std::vector<std::string>& args, const std::filesystem::path& dir,
                   const std::filesystem::path& cwd, std::map<std::string, std::string> env = {});
    ~StationProcess();
    bool started() const { return started_; }
    // The command's own process id (setpriv, which drops root's rights, execs it).
    int pid() const { return static_cast<int>(process_.processId()); }
    // False when it did not end in time; it is then killed.
    bool waitForEnd(int timeoutMs);
    int exitCode() const { return process_.exitCode(); }
    bool crashed() const { return process_.exitStatus() != QProcess::NormalExit; }
    std::string err() const;

private:
    std::filesystem::path dir_;
    QProcess process_;
    bool started_ = false;
};

// The station's log file under runStationAsUser.
std::filesystem::path stationLogFile(const std::filesystem::path& dir);

// Names, sizes and times of everything in the folder, to tell whether a run changed it.
std::string folderState(const std::filesystem::path& folder);
