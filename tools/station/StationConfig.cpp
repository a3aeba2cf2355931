#include "StationConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace station {
namespace {

struct Config {
    Q_DECLARE_TR_FUNCTIONS(Config)
};

bool setKey(StationConfig& config, const QString& key, const QString& value, QString& error) {
    if (key == QLatin1String("folder"))
        config.folder = value;
    else if (key == QLatin1String("drives"))
        config.drives = value;
    else if (key == QLatin1String("menu"))
        config.menu = value;
    else if (key == QLatin1String("trainer"))
        config.trainer = value;
    else if (key == QLatin1String("exercises"))
        config.exercises = value;
    else if (key == QLatin1String("return"))
        config.back = value;
    else if (key == QLatin1String("layouts"))
        config.layouts = value;
    else if (key == QLatin1String("layout-switch"))
        config.layoutSwitch = value;
    else if (key == QLatin1String("window-manager"))
        config.windowManager = value;
    else if (key == QLatin1String("pause")) {
        bool ok = false;
        const int seconds = value.toInt(&ok);
        if (!ok || seconds < 0 || seconds > 3600) {
            error = Config::tr("pause takes a number of seconds from 0 to 3600");
            return false;
        }
        config.pauseLimit = seconds;
    } else {
        error = Config::tr("unknown key \"%1\"").arg(key);
        return false;
    }
    return true;
}

bool inGroup(uid_t uid, gid_t gid) {
    const passwd* pw = getpwuid(uid);
    if (!pw) return false;
    int count = 64;
    std::vector<gid_t> groups(count);
    if (getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &count) < 0) {
        groups.resize(count);
        getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &count);
    }
    groups.resize(std::max(count, 0));
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// Whether uid could replace what path holds. A root-owned folder with the sticky bit (/tmp)
// lets others add entries but not rename or remove root's, so it passes.
bool writableBy(const QByteArray& path, const struct stat& st, uid_t uid) {
    if (S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) && st.st_uid == 0 && uid != 0) return false;
    // For the process's own user, the kernel's answer, which knows ACLs and read-only mounts.
    if (uid == getuid()) return faccessat(AT_FDCWD, path.constData(), W_OK, 0) == 0;
    if (uid == 0 || st.st_uid == uid) return true;
    if ((st.st_mode & S_IWGRP) && inGroup(uid, st.st_gid)) return true;
    return st.st_mode & S_IWOTH;
}

}  // namespace

bool readConfigFile(const QString& file, StationConfig& config, QStringList& problems) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    // A configuration is a few lines; a bigger file is not one.
    const QByteArray bytes = in.read(64 * 1024);
    int lineNumber = 0;
    for (const QByteArray& raw : bytes.split('\n')) {
        ++lineNumber;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        QString error;
        if (eq <= 0)
            error = Config::tr("not a KEY=VALUE line");
        else
            setKey(config, line.left(eq).trimmed(), line.mid(eq + 1).trimmed(), error);
        if (!error.isEmpty())
            problems
                << Config::tr("%1, line %2: %3, passed over").arg(file).arg(lineNumber).arg(error);
    }
    return true;
}

QString systemConfigFile() {
    const QString dir = qEnvironmentVariable("RULEVION_CONFIG_DIR");
    return QDir(dir.isEmpty() ? QStringLiteral(RULEVION_CONFIG_DIR) : dir)
        .filePath(QStringLiteral("station.conf"));
}

ConfigReader currentReader() {
    return {getuid(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)};
}

ConfigFiles defaultConfigFiles(const ConfigReader& reader) {
    ConfigFiles files;
    files.read << systemConfigFile();
    if (reader.configHome.isEmpty()) return files;
    const QString user = QDir(reader.configHome).filePath(QStringLiteral("rulevion/station.conf"));
    if (!QFileInfo::exists(user)) return files;
    files.ignoredReason = untrustedBecause(user, reader.uid);
    if (files.ignoredReason.isEmpty())
        files.read << user;
    else
        files.ignored = user;
    return files;
}

QString untrustedBecause(const QString& file, uid_t uid) {
    const QString absolute = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    const QString canonical = QFileInfo(absolute).canonicalFilePath();
    if (canonical.isEmpty()) return Config::tr("%1 cannot be found").arg(absolute);
    // Each path, and whether it is looked at as named (a link itself) or where it leads.
    std::vector<std::pair<QString, bool>> places;
    for (const bool asNamed : {true, false}) {
        for (QString p = asNamed ? absolute : canonical;; p = QFileInfo(p).path()) {
            places.emplace_back(p, asNamed);
            if (p == QLatin1String("/")) break;
        }
    }
    for (const auto& [path, asNamed] : places) {
        const QByteArray name = QFile::encodeName(path);
        struct stat st {};
        if ((asNamed ? lstat(name.constData(), &st) : stat(name.constData(), &st)) != 0)
            return Config::tr("%1 cannot be examined").arg(path);
        // A link cannot be changed, only replaced in its folder; where it leads is looked at on
        // the second walk.
        if (S_ISLNK(st.st_mode)) continue;
        if (st.st_uid != 0) return Config::tr("%1 does not belong to root").arg(path);
        if (writableBy(name, st, uid))
            return Config::tr("the station's user can change %1").arg(path);
    }
    return {};
}

}  // namespace station
