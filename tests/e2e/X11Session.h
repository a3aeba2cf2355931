#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>

// A private Xvfb display, and the real program started on it in a station folder.
class X11Session {
public:
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool ok() const { return !display_.isEmpty(); }
    const QString& display() const { return display_; }

    // Runs an X client tool (xdotool, xwininfo, xprop) on this display; its standard output.
    QString tool(const QString& program, const QStringList& args, int timeoutMs = 10000) const;

private:
    QProcess server_;
    QString display_;
};

// The program under test, run in a folder until it ends.
class ProgramRun {
public:
    ProgramRun(const X11Session& x, const std::filesystem::path& station,
               const QStringList& extraEnv = {});
    ~ProgramRun();

    // The panel's X window id, once it is mapped; empty after the deadline.
    QString waitForPanel(int timeoutMs = 15000);
    // Waits for the end; false if it did not end in time (it is then killed).
    bool waitForEnd(int timeoutMs = 15000);

    int exitCode() const { return process_.exitCode(); }
    bool crashed() const { return process_.exitStatus() != QProcess::NormalExit; }
    QString errors() { return QString::fromLocal8Bit(process_.readAllStandardError()); }

private:
    const X11Session& x_;
    QProcess process_;
};

std::filesystem::path programPath();
