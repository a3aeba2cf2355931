#include "StationConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

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

QStringList defaultConfigFiles() {
    QStringList files{systemConfigFile()};
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!user.isEmpty()) files << QDir(user).filePath(QStringLiteral("rulevion/station.conf"));
    return files;
}

}  // namespace station
