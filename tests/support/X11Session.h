#pragma once

#include "AccessibilityTree.h"
#include "TempDir.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// How long a state the tests wait for may take to come: generous, since a loaded machine (a CI
// runner, or the soak run's CPU hog beside parallel tests) starts a program ten times slower
// than an idle one; a passing run never waits for the deadline itself.
inline constexpr int kStateDeadlineMs = 60000;

// A private Xvfb display with a session bus of its own, where the programs publish their
// accessibility trees, and the real program started on it in a station folder.
class X11Session {
public:
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool ok() const { return !display_.isEmpty() && !busAddress_.isEmpty(); }
    const QString& display() const { return display_; }
    const QString& busAddress() const { return busAddress_; }
    // Why there is no display, for the failure's message.
    const std::string& problem() const { return problem_; }

    // Runs an X client tool (xdotool, xwininfo, xprop) on this display and returns its standard
    // output; empty when it failed or did not end in time.
    QString tool(const QString& program, const QStringList& args, int timeoutMs = 10000) const;

    // What the X server shows: every window with its name and geometry, and the path of a
    // screenshot kept after the test.
    std::string describe() const;

private:
    bool start(int number);
    bool startBus();
    void stop();

    QProcess server_;
    QString display_;
    TempDir busDir_;
    QProcess bus_;
    QString busAddress_;
    std::string problem_;
};

// The program under test, run in a folder until it ends. Its output goes to files of its own, so
// that a talkative program never blocks on a full pipe.
class ProgramRun {
public:
    ProgramRun(const X11Session& x, const std::filesystem::path& station,
               const QStringList& extraEnv = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return started_; }

    // The panel's X window id, once it is mapped; empty if the program ended or the deadline
    // passed first.
    QString waitForPanel(int timeoutMs = kStateDeadlineMs);
    // The id of a window of the program that is none of `known` (a box, the trainer's dialog),
    // once it is mapped; empty if the program ended or the deadline passed first.
    QString waitForWindow(const QStringList& known, int timeoutMs = kStateDeadlineMs);
    // Waits for the end; false if it did not end in time (it is then killed).
    bool waitForEnd(int timeoutMs = kStateDeadlineMs);

    // The first control of the program with this role and accessible name, once it is shown;
    // nullopt if the program ended or the deadline passed first.
    std::optional<Control> waitForControl(const QString& role, const QString& name,
                                          int timeoutMs = kStateDeadlineMs);

    // Input as a user gives it: the window gets the focus first, and has it when this returns.
    void key(const QString& window, const QString& name);
    void type(const QString& window, const QString& text);
    // Clicks the middle of the control.
    void click(const Control& control);

    int exitCode() const { return process_.exitCode(); }
    bool crashed() const { return process_.exitStatus() != QProcess::NormalExit; }
    // The program's standard error so far.
    std::string errors() const;
    // Everything a failure's message needs: how the program stands, what it wrote on standard
    // error, and what the X server shows.
    std::string report() const;

private:
    QString xdo(const QStringList& args, int timeoutMs = 10000) const;
    void focus(const QString& window);

    const X11Session& x_;
    AccessibilityTree tree_;
    bool treeReady_ = false;
    TempDir output_;
    QProcess process_;
    bool started_ = false;
};

std::filesystem::path programPath();

// Waits until the file exists and `done` accepts its bytes (any bytes when not given); false if
// the deadline passed first.
bool waitForFile(const std::filesystem::path& file,
                 const std::function<bool(const std::string&)>& done = {},
                 int timeoutMs = kStateDeadlineMs);
