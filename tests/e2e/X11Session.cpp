#include "X11Session.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QThread>

#include <cstdlib>

X11Session::X11Session() {
    // -displayfd lets the server pick a free display and tell us its number.
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                           QStringLiteral("-screen"), QStringLiteral("0"),
                                           QStringLiteral("1280x1024x24"),
                                           QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server_.waitForStarted(5000)) return;
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (clock.elapsed() < 10000 && !out.contains('\n')) {
        server_.waitForReadyRead(200);
        out += server_.readAllStandardOutput();
    }
    const QString number = QString::fromLatin1(out).trimmed();
    if (!number.isEmpty()) display_ = QStringLiteral(":") + number;
}

X11Session::~X11Session() {
    server_.terminate();
    if (!server_.waitForFinished(3000)) {
        server_.kill();
        server_.waitForFinished(3000);
    }
}

QString X11Session::tool(const QString& program, const QStringList& args, int timeoutMs) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

std::filesystem::path programPath() {
    const char* dir = std::getenv("RV_BIN_DIR");
    return std::filesystem::path(dir ? dir : ".") / "rulevion-menu";
}

ProgramRun::ProgramRun(const X11Session& x, const std::filesystem::path& station,
                       const QStringList& extraEnv)
    : x_(x) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    for (const QString& kv : extraEnv) {
        const qsizetype eq = kv.indexOf('=');
        env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(QString::fromStdString(station.string()));
    process_.start(QString::fromStdString(programPath().string()), {});
    process_.waitForStarted(5000);
}

ProgramRun::~ProgramRun() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QString ProgramRun::waitForPanel(int timeoutMs) {
    const QString pid = QString::number(process_.processId());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && process_.state() == QProcess::Running) {
        const QStringList ids =
            x_.tool(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid})
                .split('\n', Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            const QString geometry = x_.tool(QStringLiteral("xdotool"),
                                             {QStringLiteral("getwindowgeometry"), id});
            if (geometry.contains(QStringLiteral("1019x573"))) return id;
        }
        QThread::msleep(100);
    }
    return {};
}

bool ProgramRun::waitForEnd(int timeoutMs) {
    if (process_.waitForFinished(timeoutMs)) return true;
    process_.kill();
    process_.waitForFinished(3000);
    return false;
}
