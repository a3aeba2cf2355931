#include "X11Session.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Between two looks at a state that gives no signal of its own (a file, the window list).
constexpr int kPollMs = 50;

int remaining(const QElapsedTimer& clock, int timeoutMs) {
    return static_cast<int>(std::max<qint64>(0, timeoutMs - clock.elapsed()));
}

// Where a failing test's screenshot is kept: beside the test binaries, named after the test.
fs::path screenshotPath() {
    const char* bin = std::getenv("RV_BIN_DIR");
    const fs::path dir = fs::path(bin ? bin : ".") / ".." / "test-failures";
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::string name = "x11";
    if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info())
        name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (c == '/') c = '_';
    return fs::weakly_canonical(dir) / (name + ".png");
}

}  // namespace

// The display numbers are drawn at random from a wide range rather than left to -displayfd,
// which hands out the lowest free one: parallel tests then reuse a number the moment another
// test's server gives it up, and a client that starts then can still reach the old server's
// abstract socket, which is shutting down ("could not connect to display", 3 of 300 runs under
// load).
X11Session::X11Session() {
    std::random_device seed;
    std::mt19937 pick(seed());
    std::uniform_int_distribution<int> number(100, 30000);
    for (int attempt = 0; attempt < 5 && display_.isEmpty(); ++attempt) {
        const int drawn = number(pick);
        if (start(drawn)) display_ = QStringLiteral(":%1").arg(drawn);
    }
    if (!display_.isEmpty() && !startBus()) stop();
}

// Its own bus, in a folder of its own: the programs never reach the desktop's or another
// test's, and the accessibility bus it starts on demand ends with it.
bool X11Session::startBus() {
    bus_.setProcessChannelMode(QProcess::SeparateChannels);
    // The accessibility bus it starts publishes its address on this display's root window, where
    // a program looks first; never on whatever display the test itself was started with.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    bus_.setProcessEnvironment(env);
    const QString address =
        QStringLiteral("unix:path=") + QString::fromStdString((busDir_ / "bus").string());
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--address=") + address, QStringLiteral("--print-address=1")});
    if (!bus_.waitForStarted(kStateDeadlineMs)) {
        problem_ = "dbus-daemon did not start: " + bus_.errorString().toStdString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (!out.contains('\n') && bus_.state() == QProcess::Running &&
           clock.elapsed() < kStateDeadlineMs) {
        bus_.waitForReadyRead(remaining(clock, kStateDeadlineMs));
        out += bus_.readAllStandardOutput();
    }
    busAddress_ = QString::fromLatin1(out).trimmed();
    if (busAddress_.isEmpty()) {
        problem_ = "dbus-daemon gave no address: " + bus_.readAllStandardError().toStdString();
        return false;
    }
    return true;
}

bool X11Session::start(int number) {
    // With a number given, -displayfd still tells when the server accepts clients.
    const QString display = QStringLiteral(":%1").arg(number);
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.start(QStringLiteral("Xvfb"),
                  {display, QStringLiteral("-displayfd"), QStringLiteral("1"),
                   QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                   QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server_.waitForStarted(kStateDeadlineMs)) {
        problem_ = "Xvfb did not start: " + server_.errorString().toStdString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (!out.contains('\n') && server_.state() == QProcess::Running &&
           clock.elapsed() < kStateDeadlineMs) {
        server_.waitForReadyRead(remaining(clock, kStateDeadlineMs));
        out += server_.readAllStandardOutput();
    }
    if (QString::fromLatin1(out).trimmed() != QString::number(number)) {
        problem_ = "Xvfb did not take display " + display.toStdString() +
                   "; it said: " + server_.readAllStandardError().toStdString();
        stop();
        return false;
    }
    return true;
}

void X11Session::stop() {
    display_.clear();
    busAddress_.clear();
    for (QProcess* p : {&bus_, &server_}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

X11Session::~X11Session() {
    stop();
}

QString X11Session::tool(const QString& program, const QStringList& args, int timeoutMs) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    // The screenshot tool is a Qt program: on this display, not the tests' offscreen screen.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    p.setProcessEnvironment(env);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs)) return {};
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

std::string X11Session::describe() const {
    if (!ok()) return "no X server: " + problem_ + "\n";
    std::string text = "windows on " + display_.toStdString() + ":\n";
    // Only the top-level windows: Qt's own helper windows below them say nothing.
    const QStringList lines =
        tool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")})
            .split('\n', Qt::SkipEmptyParts);
    for (const QString& line : lines)
        if (line.trimmed().startsWith(QStringLiteral("0x")))
            text += "  " + line.trimmed().toStdString() + "\n";
    const fs::path shot = screenshotPath();
    std::error_code ec;
    fs::remove(shot, ec);  // an old run's picture is no answer
    const char* bin = std::getenv("RV_BIN_DIR");
    const QString xshot =
        QString::fromStdString((fs::path(bin ? bin : ".") / "rulevion-xshot").string());
    tool(xshot, {QString::fromStdString(shot.string())});
    text += fs::exists(shot) ? "screenshot: " + shot.string() + "\n" : "no screenshot\n";
    return text;
}

std::filesystem::path programPath() {
    const char* dir = std::getenv("RV_BIN_DIR");
    return std::filesystem::path(dir ? dir : ".") / "rulevion-menu";
}

ProgramRun::ProgramRun(const X11Session& x, const std::filesystem::path& station,
                       const QStringList& extraEnv)
    : x_(x), tree_(x.busAddress()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), x.busAddress());
    // Published without a screen reader running, so that the tests find controls by name.
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    for (const QString& kv : extraEnv) {
        const qsizetype eq = kv.indexOf('=');
        env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(QString::fromStdString(station.string()));
    treeReady_ = tree_.waitUntilReady(kStateDeadlineMs);
    process_.setStandardOutputFile(QString::fromStdString((output_ / "stdout.txt").string()));
    process_.setStandardErrorFile(QString::fromStdString((output_ / "stderr.txt").string()));
    process_.start(QString::fromStdString(programPath().string()), {});
    started_ = process_.waitForStarted(kStateDeadlineMs);
}

ProgramRun::~ProgramRun() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString ProgramRun::xdo(const QStringList& args, int timeoutMs) const {
    return x_.tool(QStringLiteral("xdotool"), args, timeoutMs);
}

QString ProgramRun::waitForPanel(int timeoutMs) {
    const QString pid = QString::number(process_.processId());
    QElapsedTimer clock;
    clock.start();
    while (remaining(clock, timeoutMs) > 0 && process_.state() == QProcess::Running) {
        // --sync blocks until the program has a mapped window; a bounded wait, so that a program
        // that ends meanwhile is seen.
        const QStringList ids = xdo({QStringLiteral("search"), QStringLiteral("--sync"),
                                     QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid},
                                    std::clamp(remaining(clock, timeoutMs), 1, 2000))
                                    .split('\n', Qt::SkipEmptyParts);
        // The panel is the one window that belongs to no other: boxes and dialogs are
        // transient for it.
        for (const QString& id : ids) {
            const QString transient =
                x_.tool(QStringLiteral("xprop"),
                        {QStringLiteral("-id"), id, QStringLiteral("WM_TRANSIENT_FOR")});
            if (transient.contains(QStringLiteral("not found"))) return id;
        }
        // Only a box so far: look again unless the program ends meanwhile.
        process_.waitForFinished(kPollMs);
    }
    return {};
}

QString ProgramRun::waitForWindow(const QStringList& known, int timeoutMs) {
    const QString pid = QString::number(process_.processId());
    QElapsedTimer clock;
    clock.start();
    while (remaining(clock, timeoutMs) > 0 && process_.state() == QProcess::Running) {
        const QStringList ids = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--pid"), pid})
                                    .split('\n', Qt::SkipEmptyParts);
        for (const QString& id : ids)
            if (!known.contains(id)) return id;
        process_.waitForFinished(kPollMs);
    }
    return {};
}

bool ProgramRun::waitForEnd(int timeoutMs) {
    if (process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs))
        return true;
    process_.kill();
    process_.waitForFinished(5000);
    return false;
}

void ProgramRun::focus(const QString& window) {
    xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
}

void ProgramRun::key(const QString& window, const QString& name) {
    focus(window);
    xdo({QStringLiteral("key"), name});
}

void ProgramRun::type(const QString& window, const QString& text) {
    focus(window);
    xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

std::optional<Control> ProgramRun::waitForControl(const QString& role, const QString& name,
                                                  int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (remaining(clock, timeoutMs) > 0 && process_.state() == QProcess::Running) {
        for (const Control& c : tree_.controls())
            if (c.role == role && c.name == name && !c.screen.isEmpty()) return c;
        process_.waitForFinished(kPollMs);
    }
    return std::nullopt;
}

void ProgramRun::click(const Control& control) {
    const QPoint middle = control.screen.center();
    xdo({QStringLiteral("mousemove"), QString::number(middle.x()), QString::number(middle.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

std::string ProgramRun::errors() const {
    std::ifstream in(output_ / "stderr.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ProgramRun::report() const {
    std::string text;
    if (!started_)
        text = "the program did not start: " + process_.errorString().toStdString() + "\n";
    else if (process_.state() != QProcess::NotRunning)
        text = "the program still runs\n";
    else
        text = "the program ended with status " + std::to_string(process_.exitCode()) +
               (crashed() ? " (crashed)" : "") + "\n";
    const std::string stderrText = errors();
    text += stderrText.empty() ? "standard error: <empty>\n" : "standard error:\n" + stderrText;
    if (!treeReady_) text += "the accessibility bus or its registry did not start in time\n";
    text += "accessibility tree:\n";
    for (const Control& c : tree_.controls()) {
        const QRect& r = c.screen;
        text += "  " + c.role.toStdString() + " \"" + c.name.toStdString() + "\" at " +
                std::to_string(r.x()) + "," + std::to_string(r.y()) + " " +
                std::to_string(r.width()) + "x" + std::to_string(r.height()) + "\n";
    }
    return text + x_.describe();
}

bool waitForFile(const std::filesystem::path& file,
                 const std::function<bool(const std::string&)>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        std::error_code ec;
        if (fs::is_regular_file(file, ec)) {
            std::ifstream in(file, std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            if (!done || done(bytes.str())) return true;
        }
        if (clock.elapsed() >= timeoutMs) return false;
        QThread::msleep(kPollMs);
    }
}
