#include "StationLog.h"

#include "Console.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace station {
namespace {

struct Log {
    Q_DECLARE_TR_FUNCTIONS(Log)
};

constexpr const char* kName = kProgramName;

QString fromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? QFile::decodeName(value) : QString();
}

QByteArray readFile(const QString& path) {
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

}  // namespace

QString logFilePath() {
    QString state = fromEnv("XDG_STATE_HOME");
    // Relative values are invalid by the base-directory rules and are passed over.
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir(fromEnv("HOME")).filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("rulevion/station.log"));
}

bool LogFile::append(const QString& text) {
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) return false;
    if (info.exists() && info.size() >= kRotateBytes) {
        const QString older = path_ + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(path_, older);
    }
    QFile out(path_);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return false;
    const QString line = QStringLiteral("%1 [%2] %3\n")
                             .arg(QDateTime::currentDateTime().toString(Qt::ISODate))
                             .arg(QCoreApplication::applicationPid())
                             .arg(text);
    return out.write(line.toUtf8()) >= 0 && out.flush();
}

QByteArray LogFile::readAll() const {
    return readFile(path_ + QStringLiteral(".1")) + readFile(path_);
}

StationReporter::StationReporter() : file_(logFilePath()) {
    openlog(kName, LOG_PID, LOG_USER);
}

StationReporter::~StationReporter() {
    closelog();
}

void StationReporter::report(const QString& text) {
    std::fputs(QStringLiteral("%1: %2\n").arg(QLatin1String(kName), text).toLocal8Bit().constData(),
               stderr);
    std::fflush(stderr);
    syslog(LOG_WARNING, "%s", text.toUtf8().constData());
    if (!file_.append(text) && !fileFailed_) {
        // Said once: a station whose log cannot be written would otherwise say it at every report.
        fileFailed_ = true;
        std::fputs(Log::tr("%1: the log file %2 cannot be written\n")
                       .arg(QLatin1String(kName), file_.path())
                       .toLocal8Bit()
                       .constData(),
                   stderr);
    }
}

}  // namespace station
