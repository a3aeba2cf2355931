// rulevion-jetwriter: makes the station's student database from a class list, and the
// trainer password file.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "AtomicFile.h"
#include "Int32Text.h"
#include "JetWriter.h"
#include "PasswordFile.h"
#include "StudentsCsv.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
// Millions of students; also stops at once on endless input such as a device.
constexpr std::size_t kMaxListBytes = std::size_t{256} << 20;

const char kUsageText[] =
    "Usage:\n"
    "  rulevion-jetwriter students CSV OUT.mdb\n"
    "      Makes the Access 2000 database OUT.mdb with the one table Students from the class\n"
    "      list CSV.\n"
    "  rulevion-jetwriter password N OUT.bin\n"
    "      Writes the trainer password file (vdmdat01.bin) holding the password N, a whole\n"
    "      number from -2147483648 to 2147483647.\n"
    "  rulevion-jetwriter --help\n"
    "\n"
    "The CSV file is UTF-8 (with or without a byte-order mark), with LF or CR LF line ends.\n"
    "Its first line is the header\n"
    "  StBook,StName,StNum,GrNum,StCount,GrCount\n"
    "and every further line is one student, six fields separated by commas:\n"
    "  StBook  record-book number, up to 50 characters\n"
    "  StName  name, up to 255 characters\n"
    "  StNum   number in the group, up to 50 characters\n"
    "  GrNum   group, up to 100 characters\n"
    "  StCount, GrCount  whole numbers (32-bit)\n"
    "A text may be written in double quotes, with a quote inside written twice (\"\"), which a\n"
    "text holding a comma or a quote needs; or without quotes. An empty field without quotes\n"
    "leaves the value empty (Null); \"\" is an empty text. Empty lines are skipped.\n"
    "\n"
    "Files are written completely or not at all: on any error nothing is written, a file\n"
    "already there stays as it was, and the exit status is 1 (2 for wrong usage).\n";

int usageError(const std::string& problem) {
    std::fprintf(stderr, "rulevion-jetwriter: %s\n\n%s", problem.c_str(), kUsageText);
    return kUsage;
}

int failure(const std::string& problem) {
    std::fprintf(stderr, "rulevion-jetwriter: %s\n", problem.c_str());
    return kFailed;
}

// Reads a whole file; throws jetwriter::Error naming it.
std::string readWholeFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw jetwriter::Error("cannot read \"" + path + "\": it is a folder");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw jetwriter::Error("cannot open \"" + path + "\": " + std::strerror(errno));
    std::string bytes;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.append(buf, n);
        if (bytes.size() > kMaxListBytes) {
            std::fclose(f);
            throw jetwriter::Error("\"" + path + "\" is larger than " +
                                   std::to_string(kMaxListBytes >> 20) +
                                   " MiB; that is no class list");
        }
    }
    const bool failed = std::ferror(f);
    const int err = errno;
    std::fclose(f);
    if (failed) throw jetwriter::Error("cannot read \"" + path + "\": " + std::strerror(err));
    return bytes;
}

int students(const std::string& csvPath, const std::string& outPath) {
    std::error_code ec;
    if (std::filesystem::equivalent(csvPath, outPath, ec))
        return failure("the database would replace the class list \"" + csvPath +
                       "\"; give another output file");
    jetwriter::Table table;
    try {
        table = jetwriter::readStudentsCsv(readWholeFile(csvPath));
    } catch (const jetwriter::CsvError& e) {
        return failure(csvPath + ": " + e.what() + "; nothing written");
    }
    jetwriter::writeDatabase(outPath, {table});
    std::printf("Wrote table Students with %zu rows to \"%s\".\n", table.rows.size(),
                outPath.c_str());
    return 0;
}

int password(const std::string& number, const std::string& outPath) {
    std::int32_t value = 0;
    if (jetwriter::parseInt32(number, value) != jetwriter::Int32Parse::Ok)
        return failure(
            "the password must be a whole number from -2147483648 to 2147483647, "
            "not \"" +
            number + "\"; nothing written");
    jetwriter::writeFileAtomically(outPath, jetwriter::passwordFileBytes(value));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    if (argc < 2) return usageError("what to write is missing");
    const std::string command = argv[1];
    if (command != "students" && command != "password")
        return usageError("unknown command \"" + command + "\"");
    if (argc != 4) return usageError(command + " takes two arguments");
    try {
        return command == "students" ? students(argv[2], argv[3]) : password(argv[2], argv[3]);
    } catch (const jetwriter::Error& e) {
        return failure(std::string(e.what()) + "; nothing written");
    } catch (const std::exception& e) {
        return failure(std::string("unexpected failure: ") + e.what() + "; nothing written");
    }
}
