#pragma once

#include "StationShell.h"

#include <QString>

// The technician's log of the station: a file in the station user's state folder, kept small by
// rotation, beside the system log, which a station without a journal or syslog daemon lacks.
namespace station {

// $XDG_STATE_HOME/rulevion/station.log, else ~/.local/state/rulevion/station.log.
QString logFilePath();

class LogFile {
public:
    // Past this size the file becomes <file>.1 (replacing the older one) and a new one starts.
    static constexpr qint64 kRotateBytes = 256 * 1024;

    explicit LogFile(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // One line with the time and the process id; false when the file cannot be written.
    bool append(const QString& text);
    // The older file's lines, then the current one's; empty when nothing was logged.
    QByteArray readAll() const;

private:
    QString path_;
};

// Every report to stderr, the system log and the log file.
class StationReporter : public Reporter {
public:
    StationReporter();
    ~StationReporter() override;
    void report(const QString& text) override;

private:
    LogFile file_;
    bool fileFailed_ = false;
};

}  // namespace station
