#include "StationCheck.h"

#include "Cp1251.h"
#include "DatabasePaths.h"
#include "Drives.h"
#include "HelperChannel.h"
#include "MonitorFile.h"
#include "Mounts.h"
#include "PasswordFile.h"
#include "StudentsDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace station {
namespace {

struct Check {
    Q_DECLARE_TR_FUNCTIONS(Check)
};

using Result = CheckLine::Result;

constexpr const char* kHelpDocument = "vdm03.pdf";
// Viewers a station may have when no desktop association names one.
constexpr const char* kKnownViewers[] = {"evince", "okular", "atril",    "qpdfview", "zathura",
                                         "mupdf",  "xpdf",   "epdfview", "xreader"};

QString fromPath(const fs::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QString fromCp1251(const std::string& text) {
    return QString::fromStdString(cp1251::toUtf8(text));
}

QString userName(uid_t uid) {
    const passwd* user = getpwuid(uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(uid);
}

// A path as the technician pastes it into a shell.
QString quoted(const fs::path& path) {
    QString text = fromPath(path);
    if (!text.contains(QRegularExpression(QStringLiteral("[^A-Za-z0-9_./@%+=:,-]")))) return text;
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

// Why a file that exists cannot be read, and the commands that let the station's user read it.
QString readAdvice(const fs::path& path, bool byRoot) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    const QString user = userName(geteuid());
    const QString mode = QStringLiteral("%1").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return Check::tr("owner %1, mode %2; the station's user %3 cannot read it: %4, or %5")
        .arg(userName(st.st_uid), mode, user,
             asRoot(QStringLiteral("chown %1 %2").arg(user, quoted(path)), byRoot),
             asRoot(QStringLiteral("chmod a+r %1").arg(quoted(path)), byRoot));
}

class Checker {
public:
    Checker(const QString& folder, bool byRoot, bool helpShownBySession)
        : folder_(QDir(folder).absolutePath()),
          byRoot_(byRoot),
          helpShownBySession_(helpShownBySession) {}

    std::vector<CheckLine> run() {
        if (!checkFolder()) return lines_;
        const std::string windowsPath = checkMonitorFile();
        if (!windowsPath.empty() && checkDrive(windowsPath) && checkDatabaseFile(windowsPath) &&
            checkHelper())
            checkStudents(windowsPath);
        checkPasswordFile();
        checkHelpDocument();
        checkWritable();
        return lines_;
    }

private:
    void add(Result result, const QString& text) { lines_.push_back({result, text, {}}); }

    QString file(const char* name) const { return QDir(folder_).filePath(QLatin1String(name)); }

    bool checkFolder() {
        const QFileInfo info(folder_);
        if (!info.isDir()) {
            add(Result::Failed, Check::tr("station folder %1 does not exist: create it, or "
                                          "name the right one")
                                    .arg(folder_));
            return false;
        }
        add(Result::Passed, Check::tr("station folder %1").arg(folder_));
        return true;
    }

    std::string checkMonitorFile() {
        const QByteArray path = QFile::encodeName(file(signin::kMonitorFile));
        const char* name = signin::kMonitorFile;
        switch (signin::readMonitorFile(path.constData())) {
            case signin::MonitorReading::DriveC:
                add(Result::Passed, Check::tr("%1: the database is on drive C:").arg(name));
                return signin::kDatabasePathC;
            case signin::MonitorReading::DriveD:
                add(Result::Passed, Check::tr("%1: the database is on drive D:").arg(name));
                return signin::kDatabasePathD;
            case signin::MonitorReading::CannotOpen:
                add(Result::Failed, Check::tr("%1 is missing or cannot be read: copy it from the "
                                              "station's set-up into the station folder")
                                        .arg(name));
                break;
            case signin::MonitorReading::CannotRead:
                add(Result::Failed, Check::tr("%1 has fewer than three lines: its third line "
                                              "must begin with 1 (drive C:) or 0 (drive D:)")
                                        .arg(name));
                break;
            case signin::MonitorReading::WrongStructure:
                add(Result::Failed, Check::tr("%1: the third line does not begin with 1 (drive "
                                              "C:) or 0 (drive D:): correct it")
                                        .arg(name));
                break;
        }
        return {};
    }

    static QString drivesNote() {
        const char* root = std::getenv("VDM_DRIVES");
        return root && *root ? Check::tr("VDM_DRIVES=%1").arg(QString::fromLocal8Bit(root))
                             : Check::tr("VDM_DRIVES is not set, so drives lie under /mnt");
    }

    static QString driveOf(const std::string& windowsPath) {
        return QString::fromLatin1(windowsPath.substr(0, 2).c_str());
    }

    // A share the database lives on that is not mounted must never be taken for a missing
    // database: writing one there would put it on the local disk, under the mount point.
    bool checkDrive(const std::string& windowsPath) {
        const QString drive = driveOf(windowsPath);
        const fs::path folder = signin::hostPath(windowsPath.substr(0, 3));
        const std::string mounts = readMounts();
        const std::optional<MountEntry> share =
            fstabEntryFor(readFstab(), signin::hostPath(windowsPath));
        if (share && !isMountedOn(mounts, share->mountPoint)) {
            add(Result::Failed,
                Check::tr(
                    "drive %1 is the share %2, which is not mounted on %3, where the system's "
                    "mount table (fstab) puts it: mount it with: %4")
                    .arg(drive, QString::fromLocal8Bit(share->source.c_str()),
                         fromPath(share->mountPoint),
                         asRoot(QStringLiteral("mount ") + quoted(share->mountPoint), byRoot_)));
            return false;
        }
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) {
            add(Result::Failed,
                Check::tr("drive %1 is the folder %2, which does not exist (%3): %4 chooses "
                          "drive %1 (its third line); if that is the wrong drive, correct the "
                          "line (1 for C:, 0 for D:), else create the folder or set drives= in "
                          "the station's configuration%5")
                    .arg(drive, fromPath(folder), drivesNote(), QLatin1String(signin::kMonitorFile),
                         otherDriveNote(windowsPath)));
            return false;
        }
        if (fs::is_empty(folder, ec) && !isMountedOn(mounts, folder)) {
            add(Result::Failed,
                Check::tr("drive %1 is the folder %2, which is empty: the share that holds the "
                          "database is not mounted there. Mount it (for example: %3, with its "
                          "line in /etc/fstab), then check again")
                    .arg(drive, fromPath(folder),
                         asRoot(QStringLiteral("mount ") + quoted(folder), byRoot_)));
            return false;
        }
        add(Result::Passed, Check::tr("drive %1 is the folder %2").arg(drive, fromPath(folder)));
        return true;
    }

    // Names the other drive when the database is there, the likeliest reason for a wrong line.
    static QString otherDriveNote(const std::string& windowsPath) {
        const bool onC = windowsPath == signin::kDatabasePathC;
        const std::string other = onC ? signin::kDatabasePathD : signin::kDatabasePathC;
        std::error_code ec;
        if (!fs::is_regular_file(signin::hostPath(other), ec)) return {};
        return Check::tr(". The database is on drive %1 (%2): the third line should be %3")
            .arg(driveOf(other), fromPath(signin::hostPath(other)), QLatin1String(onC ? "0" : "1"));
    }

    bool checkDatabaseFile(const std::string& windowsPath) {
        const fs::path path = signin::hostPath(windowsPath);
        const QString shown = fromPath(path);
        std::error_code ec;
        if (!fs::exists(path, ec)) {
            fs::path missing = path;
            while (missing.has_parent_path() && !fs::exists(missing.parent_path(), ec))
                missing = missing.parent_path();
            add(Result::Failed, Check::tr("the database %1 is not there (%2 is missing): write it "
                                          "with rulevion-jetwriter students")
                                    .arg(shown, fromPath(missing)));
            return false;
        }
        if (!fs::is_regular_file(path, ec)) {
            add(Result::Failed, Check::tr("the database %1 is not a file that can be read: "
                                          "replace it, or let the station's user read it")
                                    .arg(shown));
            return false;
        }
        if (access(path.c_str(), R_OK) != 0) {
            add(Result::Failed, Check::tr("the database %1 cannot be read (%2)")
                                    .arg(shown, readAdvice(path, byRoot_)));
            return false;
        }
        add(Result::Passed, Check::tr("database file %1").arg(shown));
        return true;
    }

    bool checkHelper() {
        const std::string helper = jet::HelperChannel::defaultHelperPath();
        if (helper.empty() || access(helper.c_str(), X_OK) != 0) {
            add(Result::Failed, Check::tr("the database reader %1 is missing: reinstall the "
                                          "package")
                                    .arg(QString::fromStdString(helper)));
            return false;
        }
        return true;
    }

    // The reader's own words are the menu's Russian; the check says what they mean for the file.
    static QString whyUnreadable(const jet::Error& error) {
        using Code = jet::Error::Code;
        switch (error.code()) {
            case Code::NotADatabase: return Check::tr("it is not a database, or it is damaged");
            case Code::DamagedData: return Check::tr("it is damaged");
            case Code::HelperTimedOut:
            case Code::HelperCrashed:
            case Code::MalformedReply:
                return Check::tr("the database reader stopped on it: it is damaged");
            case Code::HelperMissing:
                return Check::tr("the database reader is missing: reinstall the package");
            case Code::CannotOpenFile: return Check::tr("the file cannot be opened");
            default: break;
        }
        return Check::tr("it cannot be read");
    }

    void checkStudents(const std::string& windowsPath) {
        const StudentsReport report = inspectStudents(signin::hostPath(windowsPath).string());
        using Stage = StudentsReport::Stage;
        const QString why = report.error ? whyUnreadable(*report.error) : QString();
        const QString table = QLatin1String(kStudentsTable);
        switch (report.failedAt) {
            case Stage::Database:
                if (report.error->code() == jet::Error::Code::Encrypted) {
                    add(Result::Failed, Check::tr("the database is encrypted: save it without a "
                                                  "password in Access (File, Info, Decrypt)"));
                    return;
                }
                add(Result::Failed, Check::tr("the database cannot be opened: %1; write it anew "
                                              "with rulevion-jetwriter students")
                                        .arg(why));
                return;
            case Stage::Table:
                // A catalogue that lost its entries reads as one without the table.
                add(Result::Failed,
                    report.error->code() == jet::Error::Code::TableNotFound
                        ? Check::tr("the database has no table %1: it is another database, or a "
                                    "damaged one; write it anew with rulevion-jetwriter students")
                              .arg(table)
                        : Check::tr("table %1 cannot be read: %2; write the database anew with "
                                    "rulevion-jetwriter students")
                              .arg(table, why));
                return;
            case Stage::Columns:
                add(Result::Failed,
                    report.badColumn.empty()
                        ? Check::tr("table %1 cannot be read: %2; write the database anew with "
                                    "rulevion-jetwriter students")
                              .arg(table, why)
                        : Check::tr("table %1: column %2 is missing or not of the kind %3: write "
                                    "the database anew with rulevion-jetwriter students")
                              .arg(table, QString::fromLatin1(report.badColumn),
                                   kindOf(report.badColumn)));
                return;
            case Stage::Rows:
                add(Result::Failed, Check::tr("the students cannot be read: %1; write the "
                                              "database anew with rulevion-jetwriter students")
                                        .arg(why));
                return;
            case Stage::Opened: break;
        }
        add(Result::Passed, Check::tr("table %1 with its six columns").arg(table));
        reportStudents(report);
    }

    static QString kindOf(const std::string& column) {
        for (const jet::ColumnRequest& c : signin::studentColumns())
            if (column == c.name && c.kind == jet::FieldValue::Kind::Long)
                return Check::tr("Long Integer");
        return Check::tr("Text");
    }

    static QString listed(const std::vector<std::string>& numbers) {
        QStringList shown;
        for (std::size_t i = 0; i < numbers.size() && i < 10; ++i)
            shown << Check::tr("\"%1\"", "a record-book number in quotes")
                         .arg(fromCp1251(numbers[i]));
        if (numbers.size() > 10) shown << QStringLiteral("…");
        return shown.join(QStringLiteral(", "));
    }

    void reportStudents(const StudentsReport& report) {
        if (report.count < 1) {
            add(Result::Failed, Check::tr("table %1 holds no students: write the class list into "
                                          "it with rulevion-jetwriter students")
                                    .arg(QLatin1String(kStudentsTable)));
            return;
        }
        add(Result::Passed, Check::tr("%n student(s)", nullptr, report.count));
        if (!report.duplicates.empty())
            add(Result::Problem, Check::tr("record-book numbers that occur more than once (letter "
                                           "case aside), only the first of each can sign in: %1; "
                                           "correct the class list")
                                     .arg(listed(report.duplicates)));
        if (!report.padded.empty())
            add(Result::Problem, Check::tr("record-book numbers with blanks at the start or end, "
                                           "which nobody types: %1; correct the class list")
                                     .arg(listed(report.padded)));
        if (!report.damaged.empty()) {
            std::vector<std::string> numbers;
            for (const auto& d : report.damaged) numbers.push_back(d.number);
            add(Result::Problem,
                Check::tr("record-book numbers as a spreadsheet writes numbers it holds as "
                          "numbers (exponent form, a decimal zero, fewer digits than most: "
                          "leading zeros lost), which the cards most likely read otherwise: %1; "
                          "format the record-book column as text and write the database again")
                    .arg(listed(numbers)));
        }
        if (report.blank > 0)
            add(Result::Problem, Check::tr("%n student(s) without a record-book number, who "
                                           "cannot sign in: correct the class list",
                                           nullptr, report.blank));
    }

    void checkPasswordFile() {
        const char* name = trainer::kPasswordFile;
        QFile in(file(name));
        const fs::path path = QFile::encodeName(file(name)).toStdString();
        std::error_code ec;
        if (fs::is_regular_file(path, ec) && access(path.c_str(), R_OK) != 0) {
            // Writing it again would not help: the file is there, its owner or mode is wrong.
            add(Result::Problem, Check::tr("%1 exists but cannot be read, so the trainer's "
                                           "button ends the program (%2)")
                                     .arg(QLatin1String(name), readAdvice(path, byRoot_)));
            return;
        }
        if (!in.open(QIODevice::ReadOnly)) {
            add(Result::Problem, Check::tr("%1 is missing or cannot be read, so the trainer's "
                                           "button ends the program: write it with "
                                           "rulevion-jetwriter password")
                                     .arg(name));
            return;
        }
        const trainer::PasswordRecord record =
            trainer::parsePasswordFile(in.read(trainer::kPasswordFileSize).toStdString());
        QString fault;
        if (record.status == trainer::PasswordFileStatus::NoMagic ||
            record.status == trainer::PasswordFileStatus::NoPassword)
            fault = Check::tr("%1 is shorter than 8 bytes").arg(name);
        else if (record.status == trainer::PasswordFileStatus::WrongMagic)
            fault = Check::tr("%1 is not a password file (its first 4 bytes are not %2)")
                        .arg(name)
                        .arg(trainer::kPasswordMagic);
        else if (record.password < 0)
            fault = Check::tr(
                        "%1 holds the password %2, which the password field cannot take "
                        "(digits only)")
                        .arg(name)
                        .arg(record.password);
        if (!fault.isEmpty()) {
            add(Result::Problem,
                Check::tr("%1: write it anew with rulevion-jetwriter password").arg(fault));
            return;
        }
        add(Result::Passed, Check::tr("password file %1").arg(name));
    }

    void checkHelpDocument() {
        if (!QFileInfo(file(kHelpDocument)).isReadable()) {
            add(Result::Problem, Check::tr("%1 is missing, so the help button shows nothing: "
                                           "cp /usr/share/rulevion/%1 into the station folder")
                                     .arg(QLatin1String(kHelpDocument)));
        } else {
            add(Result::Passed, Check::tr("help document %1").arg(QLatin1String(kHelpDocument)));
        }
        if (!helpShownBySession_) checkViewer();
    }

    void checkViewer() {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
            add(Result::Problem, Check::tr("xdg-open is missing, so the help document cannot be "
                                           "opened: install xdg-utils"));
            return;
        }
        QString viewer = defaultPdfApplication();
        if (viewer.isEmpty()) {
            for (const char* known : kKnownViewers)
                if (!QStandardPaths::findExecutable(QLatin1String(known)).isEmpty()) {
                    viewer = QLatin1String(known);
                    break;
                }
        }
        if (viewer.isEmpty())
            add(Result::Problem, Check::tr("no PDF viewer found: install one (any package that "
                                           "provides pdf-viewer, e.g. evince)"));
        else
            add(Result::Passed, Check::tr("PDF viewer %1").arg(viewer));
    }

    static QString defaultPdfApplication() {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                 QStringLiteral("application/pdf")});
        if (!query.waitForFinished(10000)) {
            query.kill();
            query.waitForFinished();
            return {};
        }
        if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
        return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    }

    void checkWritable() {
        const QByteArray folder = QFile::encodeName(folder_);
        if (geteuid() == 0)
            add(Result::Problem, Check::tr("the check ran as root for want of a station user, "
                                           "and root may read and write anything: name the "
                                           "station's user (check --user NAME), or give it the "
                                           "station folder"));
        if (access(folder.constData(), W_OK | X_OK) != 0) {
            add(Result::Failed, Check::tr("the station folder is not writable, so no decision "
                                          "and no sign-in can be written: let the station's "
                                          "user write in it"));
            return;
        }
        bool all = true;
        for (const char* name : {"vdm_out.txt", "db1.out"}) {
            const QByteArray path = QFile::encodeName(file(name));
            if (access(path.constData(), F_OK) == 0 && access(path.constData(), W_OK) != 0) {
                add(Result::Failed, Check::tr("%1 cannot be written: remove it, or let the "
                                              "station's user write it")
                                        .arg(QLatin1String(name)));
                all = false;
            }
        }
        if (all) add(Result::Passed, Check::tr("the station folder is writable"));
    }

    QString folder_;
    bool byRoot_;
    bool helpShownBySession_;
    std::vector<CheckLine> lines_;
};

}  // namespace

std::vector<CheckLine> checkStation(const QString& folder, bool byRoot, bool helpShownBySession) {
    return Checker(folder, byRoot, helpShownBySession).run();
}

QString formatLine(const CheckLine& line) {
    switch (line.result) {
        case Result::Passed: return Check::tr("passed:  %1").arg(line.text);
        case Result::Problem: return Check::tr("PROBLEM: %1").arg(line.text);
        case Result::WontStart:
        case Result::Failed: break;
    }
    return Check::tr("FAILED:  %1").arg(line.text);
}

Verdict verdictOf(const std::vector<CheckLine>& lines) {
    const auto any = [&](Result r) {
        return std::any_of(lines.begin(), lines.end(),
                           [r](const CheckLine& l) { return l.result == r; });
    };
    if (any(Result::Failed)) return Verdict::NoSignIn;
    if (any(Result::WontStart)) return Verdict::SignsInOnly;
    return Verdict::Trains;
}

QString verdictText(const std::vector<CheckLine>& lines) {
    switch (verdictOf(lines)) {
        case Verdict::Trains: return Check::tr("Students can sign in and train at this station.");
        case Verdict::SignsInOnly: {
            QStringList parts;
            for (const CheckLine& l : lines)
                if (l.result == Result::WontStart && !parts.contains(l.part)) parts << l.part;
            return Check::tr(
                       "Students can sign in at this station, but %1 will not start until "
                       "the failures above are put right.")
                .arg(parts.join(Check::tr(" and ")));
        }
        case Verdict::NoSignIn: break;
    }
    return Check::tr(
        "No student can sign in at this station until the failures above are put "
        "right.");
}

int exitStatus(Verdict verdict) {
    switch (verdict) {
        case Verdict::Trains: return 0;
        case Verdict::SignsInOnly: return 3;
        case Verdict::NoSignIn: break;
    }
    return 1;
}

QString asRoot(const QString& command, bool byRoot) {
    return byRoot ? command : QStringLiteral("sudo ") + command;
}

}  // namespace station
