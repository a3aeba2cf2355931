// rulevion-jetwriter: makes the station's student database from a class list, and the
// trainer password file.
#include <QCoreApplication>
#include <QTranslator>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "AtomicFile.h"
#include "ColumnTitles.h"
#include "CsvClassList.h"
#include "JetWriter.h"
#include "PasswordFile.h"
#include "Report.h"
#include "Translate.h"
#include "Workbook.h"
#include "WorkbookClassList.h"

using jetwriter::translated;

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
// Millions of students; also stops at once on endless input such as a device.
constexpr std::size_t kMaxListBytes = std::size_t{256} << 20;

const char kUsageText[] = JW_TR("jetwriter",
                                "Usage:\n"
                                "  rulevion-jetwriter students LIST OUT.mdb\n"
                                "  rulevion-jetwriter password N OUT.bin\n"
                                "  rulevion-jetwriter --help | --version\n");

const char kHelpText[] = JW_TR(
    "jetwriter",
    "\n"
    "students LIST OUT.mdb\n"
    "    Makes the Access 2000 database OUT.mdb, with the one table Students, from the class\n"
    "    list LIST, and says what it wrote and what it passed over.\n"
    "password N OUT.bin\n"
    "    Writes the trainer password file (vdmdat01.bin) holding the password N: digits only,\n"
    "    as the instructor types them into the password field, at most %1 of them, the number\n"
    "    at most 2147483647.\n"
    "\n"
    "The class list is an Excel workbook (.xlsx, or .xls of Excel 97-2003), an OpenDocument\n"
    "spreadsheet (.ods), or a spreadsheet saved as CSV or as Unicode text. A workbook is read\n"
    "from the first sheet shown that has a row naming a record-book column, every cell as the\n"
    "spreadsheet shows it (a number through its format: 00123 stays 00123), but a number\n"
    "shown with an exponent keeps all its digits; a date, a number of more than 15 digits or\n"
    "a formula's error there is refused with the sheet and cell named. An .xls is read without\n"
    "its number formats (00123 is read as 123) and with its hidden sheets. PDF documents and\n"
    "other files that are no class list are recognised and refused with how to save the list.\n"
    "\n"
    "In a CSV the encoding is found from the bytes: UTF-8 with or without byte-order mark,\n"
    "UTF-16 with byte-order mark (Unicode text), otherwise CP1251. The separator, comma,\n"
    "semicolon or tab, is found from the first line.\n"
    "\n"
    "The header, the first line that names a record-book column (title lines above it are\n"
    "passed over), names the columns in any order and any letter case (ё may be written е;\n"
    "blanks and full stops do not count):\n"
    "  StBook   record-book number, up to 50 characters; required.\n"
    "           Also: %2\n"
    "  StName   name, up to 255 characters; required.\n"
    "           Also: %3\n"
    "  StNum    number in the group, up to 50 characters.\n"
    "           Also: %4\n"
    "  GrNum    group, up to 100 characters.\n"
    "           Also: %5\n"
    "  StCount, GrCount  whole numbers (32-bit)\n"
    "Other columns are passed over; a missing column other than StBook and StName is left\n"
    "empty.\n"
    "\n"
    "Every further line is one student. A text may be written in double quotes, with a quote\n"
    "inside written twice (\"\"); a text that holds the separator needs them. An empty field\n"
    "without quotes leaves the value empty (Null); \"\" is an empty text. Blanks around a\n"
    "text are removed; empty lines and lines of empty fields are passed over. Record-book\n"
    "numbers that differ only in letter case are reported: only the first of them can sign\n"
    "in. So are numbers as a spreadsheet saves what it holds as numbers (2024.0, leading\n"
    "zeros lost). A number in exponent form (1,2E+11) has lost its digits: that student is\n"
    "not written, the rest of the class is, and the report ends with who cannot sign in.\n"
    "\n"
    "Files are written completely or not at all: on any error nothing is written, a file\n"
    "already there stays as it was, and the exit status is 1 (2 for wrong usage).\n");

std::string titles(std::size_t column) {
    std::string out;
    const auto all = classlist::titlesFor(column);
    for (std::size_t i = 1; i < all.size(); ++i) {  // the first is our own name
        if (i > 1) out += ", ";
        out += translated(JW_TR("jetwriter", "\"%1\""), {std::string(all[i])});
    }
    return out;
}

std::string helpText() {
    return translated(kUsageText) +
           translated(kHelpText, {std::to_string(trainer::passwordFieldLength()), titles(0),
                                  titles(1), titles(2), titles(3)});
}

int usageError(const std::string& problem) {
    std::fprintf(stderr, "rulevion-jetwriter: %s\n%s%s\n", problem.c_str(),
                 translated(kUsageText).c_str(),
                 translated(JW_TR("jetwriter", "More in: rulevion-jetwriter --help")).c_str());
    return kUsage;
}

int failure(const std::string& problem) {
    std::fprintf(stderr, "rulevion-jetwriter: %s\n", problem.c_str());
    return kFailed;
}

std::string nothingWritten() {
    return translated(JW_TR("jetwriter", "; nothing written"));
}

class ReadError {
public:
    std::string text;
};

// Reads a whole file; throws ReadError naming it.
std::string readWholeFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw ReadError{
            translated(JW_TR("jetwriter", "cannot read \"%1\": it is a folder"), {path})};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw ReadError{translated(JW_TR("jetwriter", "cannot open \"%1\": %2"),
                                   {path, jetwriter::systemErrorText(errno)})};
    std::string bytes;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.append(buf, n);
        if (bytes.size() > kMaxListBytes) {
            std::fclose(f);
            throw ReadError{translated(
                JW_TR("jetwriter", "\"%1\" is larger than %2 MiB; that is no class list"),
                {path, std::to_string(kMaxListBytes >> 20)})};
        }
    }
    const bool failed = std::ferror(f);
    const int err = errno;
    std::fclose(f);
    if (failed)
        throw ReadError{translated(JW_TR("jetwriter", "cannot read \"%1\": %2"),
                                   {path, jetwriter::systemErrorText(err)})};
    return bytes;
}

// SOURCE_DATE_EPOCH, as reproducible builds set it, fixes the creation time stored in the file,
// so that the same list gives the same bytes.
jetwriter::Options creationTime() {
    jetwriter::Options options;
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (!epoch || !*epoch) return options;
    char* end = nullptr;
    errno = 0;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end == '\0' && errno == 0 && seconds >= 0)
        options.created = std::chrono::system_clock::from_time_t(static_cast<std::time_t>(seconds));
    return options;
}

int students(const std::string& csvPath, const std::string& outPath) {
    std::error_code ec;
    if (std::filesystem::equivalent(csvPath, outPath, ec))
        return failure(
            translated(JW_TR("jetwriter",
                             "the database would replace the class list \"%1\"; give another "
                             "output file"),
                       {csvPath}));
    classlist::ClassList list;
    std::string sheet;
    try {
        const std::string bytes = readWholeFile(csvPath);
        // What the file is comes from its first bytes, whatever its name says; a zip archive is
        // opened once, by the workbook reader, which tells what else it may be.
        const workbook::FileKind kind = workbook::signatureKind(bytes);
        if (kind == workbook::FileKind::Zip || kind == workbook::FileKind::Xls)
            list = workbook::readWorkbookClassList(bytes, sheet);
        else if (kind != workbook::FileKind::Text)
            return failure(csvPath + ": " + translated(workbook::refusal(kind)) + nothingWritten());
        else
            list = classlist::readClassList(bytes);
    } catch (const ReadError& e) {
        return failure(e.text + nothingWritten());
    } catch (const classlist::CsvError& e) {
        return failure(csvPath + ": " + translated(e.where()) + ": " + translated(e.problemText()) +
                       nothingWritten());
    } catch (const workbook::WorkbookError& e) {
        const std::string place = e.place().text[0] ? translated(e.place()) + ": " : "";
        return failure(csvPath + ": " + place + translated(e.text()) + nothingWritten());
    }
    jetwriter::writeDatabase(outPath, {list.table}, creationTime());
    std::fputs(jetwriter::classListReport(list, csvPath, outPath, sheet).c_str(), stdout);
    return 0;
}

int password(const std::string& number, const std::string& outPath) {
    std::int32_t value = 0;
    const char* problem = nullptr;
    switch (trainer::checkTypedPassword(number, value)) {
        case trainer::TypedPassword::Ok: break;
        case trainer::TypedPassword::Empty:
            problem = JW_TR("jetwriter",
                            "the password is empty; give the digits the instructor "
                            "will type");
            break;
        case trainer::TypedPassword::NotDigits:
            problem = JW_TR("jetwriter",
                            "the password \"%1\" holds more than digits, and the password field "
                            "takes digits only (no sign, no blanks); give digits only");
            break;
        case trainer::TypedPassword::TooLong:
            problem = JW_TR("jetwriter",
                            "the password has more than %2 digits, more than the password field "
                            "takes; give a shorter one");
            break;
        case trainer::TypedPassword::TooLarge:
            problem = JW_TR("jetwriter",
                            "the password \"%1\" is larger than 2147483647 and could never be "
                            "typed to match; give a smaller number");
            break;
    }
    if (problem)
        return failure(
            translated(problem, {number, std::to_string(trainer::passwordFieldLength())}) +
            nothingWritten());
    jetwriter::writeFileAtomically(outPath, trainer::passwordFileBytes(value));
    std::fputs(
        (translated(JW_TR("jetwriter",
                          "Wrote the trainer password file \"%1\"; the password to type is %2."),
                    {outPath, std::to_string(value)}) +
         "\n")
            .c_str(),
        stdout);
    return 0;
}

bool isOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto translator = jetwriter::installTranslations();

    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(helpText().c_str(), stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("rulevion-jetwriter %s\n", RULEVION_VERSION);
            return 0;
        }
    }
    if (args.empty()) return usageError(translated(JW_TR("jetwriter", "what to write is missing")));
    const std::string& command = args[0];
    // The password's place is checked by the password rules: "-1234" is a password refused.
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (isOption(args[i]) && !(command == "password" && i == 1))
            return usageError(translated(JW_TR("jetwriter", "unknown option \"%1\""), {args[i]}));
    }
    if (command != "students" && command != "password")
        return usageError(translated(JW_TR("jetwriter", "unknown command \"%1\""), {command}));
    if (args.size() != 3)
        return usageError(translated(JW_TR("jetwriter", "%1 takes two arguments"), {command}));
    try {
        return command == "students" ? students(args[1], args[2]) : password(args[1], args[2]);
    } catch (const jetwriter::Error& e) {
        return failure(jetwriter::translatedError(e) + nothingWritten());
    } catch (const std::exception& e) {
        return failure(translated(JW_TR("jetwriter", "unexpected failure: %1"), {e.what()}) +
                       nothingWritten());
    }
}
