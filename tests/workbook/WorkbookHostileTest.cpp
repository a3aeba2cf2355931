// Hostile workbooks: small files that claim much. Each must end in a clear refusal while the
// reader runs in a child whose address space may grow by no more than 100 MB, so what the file
// claims is refused before it is built.
#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

#include "AddressSanitizer.h"
#include "Workbook.h"
#include "WorkbookFiles.h"

namespace {

constexpr std::size_t kHeadroom = std::size_t{100} << 20;

std::size_t addressSpace() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::size_t statusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stoul(line.substr(std::strlen(field))) << 10;
    return 0;
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Outcome {
    std::string told;  // the refusal's text, or what went wrong
    bool refused = false;
    bool read = false;
    std::string figures;  // for the log: the read's time and how far its resident memory grew
};

// Runs `read` in a child limited to its present address space and kHeadroom more.
Outcome readLimited(const std::function<void()>& read) {
    int fds[2];
    if (pipe(fds) != 0) {
        Outcome failed;
        failed.told = "pipe failed";
        return failed;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        malloc_trim(0);
        const rlim_t limit = addressSpace() + kHeadroom;
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak from here on
        const std::size_t resident = statusBytes("VmRSS:");
        const double began = cpuSeconds();
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_AS, &rl);
        std::string told = "read without a refusal";
        int code = 1;
        try {
            read();
            code = 2;
        } catch (const workbook::WorkbookError& e) {
            told = e.what();
            code = 0;
        } catch (const std::bad_alloc&) {
            told = "out of memory";
        }
        const double seconds = cpuSeconds() - began;
        const std::size_t peak = statusBytes("VmHWM:");
        char figures[96];
        std::snprintf(figures, sizeof figures, "%.3f s CPU, resident +%zu MiB\n", seconds,
                      (peak - std::min(peak, resident)) >> 20);
        told = figures + told;
        (void)!write(fds[1], told.data(), told.size());
        _exit(code);
    }
    close(fds[1]);
    Outcome out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        out.told.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const std::size_t newline = out.told.find('\n');
    if (newline != std::string::npos) {
        out.figures = out.told.substr(0, newline);
        out.told.erase(0, newline + 1);
    }
    out.refused = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    out.read = WIFEXITED(status) && WEXITSTATUS(status) == 2;
    if (WIFSIGNALED(status))
        out.told += " (killed by signal " + std::to_string(WTERMSIG(status)) + ")";
    return out;
}

std::string repeated(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

std::string odsContent(const std::string& spreadsheet) {
    return zipOf(
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
         {"content.xml",
          "<office:document-content "
          "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
          "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
          "<office:body><office:spreadsheet>" +
              spreadsheet + "</office:spreadsheet></office:body></office:document-content>"}});
}

std::string xlsxWorkbookPart(const std::string& sheets) {
    return zipOf({{"[Content_Types].xml", "<Types/>"},
                  {"xl/workbook.xml",
                   "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                   "<sheets>" +
                       sheets + "</sheets></workbook>"}});
}

TEST(WorkbookHostile, EachEndsInARefusalWithinAHundredMegabytes) {
#ifdef RV_ADDRESS_SANITIZER
    GTEST_SKIP() << "the sanitizer reserves more address space than any limit";
#endif
    // Large blocks mapped and unmapped on their own and the heap trimmed, so that the memory the
    // files below are made in is given back before each child starts, not reused under its limit.
    mallopt(M_MMAP_THRESHOLD, 64 << 10);
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
    struct Row {
        const char* name;
        std::function<std::string()> make;
        const char* told;
    };
    const std::string space = "<text:s text:c=\"1024\"/>";
    // An ordinary list under the same limit is read; it also pays, before any child is made, for
    // what the first read of a process costs, so the figures logged are the reads' own.
    XlsxBook list;
    list.sheets = {
        {"a", repeated("<row><c t=\"s\"><v>0</v></c><c><v>20240001</v></c></row>", 5000)}};
    list.strings = {"Иванов Иван Иванович"};
    const std::string listBytes = list.bytes();
    EXPECT_EQ(workbook::readWorkbook(listBytes).sheets.at(0).rows.size(), 5000u);
    const Outcome ordinary = readLimited([&] { workbook::readWorkbook(listBytes); });
    std::printf("5000 rows: %s\n", ordinary.figures.c_str());
    EXPECT_TRUE(ordinary.read) << ordinary.told;
    const Row rows[] = {
        // As filed: 140 KB that inflate past the part's limit.
        {"ods cell of repeated spaces, as filed",
         [&] {
             return odsContent(
                 "<table:table table:name=\"a\"><table:table-row><table:table-cell "
                 "office:value-type=\"string\"><text:p>" +
                 repeated(space, 6'000'000) +
                 "</text:p></table:table-cell></table:table-row></table:table>");
         },
         "part \"content.xml\" inflates to more than 16 MiB"},
        // Within the part's limit: the cell's cap stops it as the spaces are appended.
        {"ods cell of repeated spaces within the part",
         [&] {
             return odsContent(
                 "<table:table table:name=\"a\"><table:table-row><table:table-cell "
                 "office:value-type=\"string\"><text:p>" +
                 repeated(space, 700'000) +
                 "</text:p></table:table-cell></table:table-row></table:table>");
         },
         "a cell of the workbook holds more than 4096 characters"},
        {"xlsx shared string of 60 MiB",
         [] {
             XlsxBook b;
             b.sheets = {{"a", "<row><c t=\"s\"><v>0</v></c></row>"}};
             b.strings = {std::string(60 << 20, 'x')};
             return b.bytes();
         },
         "inflates to more than 16 MiB"},
        {"xlsx shared string of 15 MiB",
         [] {
             XlsxBook b;
             b.sheets = {{"a", "<row><c t=\"s\"><v>0</v></c></row>"}};
             b.strings = {std::string(15 << 20, 'x')};
             return b.bytes();
         },
         "a cell of the workbook holds more than 4096 characters"},
        {"2.2 million empty ods tables",
         [] { return odsContent(repeated("<table:table table:name=\"a\"/>", 2'200'000)); },
         "part \"content.xml\" inflates to more than 16 MiB"},
        {"half a million empty ods tables",
         [] { return odsContent(repeated("<table:table table:name=\"a\"/>", 500'000)); },
         "more than 1000 sheets"},
        {"1.7 million xlsx sheet entries",
         [] { return xlsxWorkbookPart(repeated("<sheet name=\"a\" sheetId=\"1\"/>", 1'700'000)); },
         "part \"xl/workbook.xml\" inflates to more than 16 MiB"},
        {"half a million xlsx sheet entries",
         [] { return xlsxWorkbookPart(repeated("<sheet name=\"a\" sheetId=\"1\"/>", 500'000)); },
         "more than 1000 sheets"},
        {"600 000 zip entries",
         [] {
             std::vector<ZipEntry> entries = {
                 {"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                 {"content.xml", "<x/>"}};
             for (int i = 0; i < 600'000; ++i) entries.push_back({std::to_string(i), "", true});
             return zipOf(entries);
         },
         "zip archive of more than 10000 parts"},
        {"a sheet of a hundred million cells",
         [] {
             return odsContent(
                 "<table:table table:name=\"a\"><table:table-row "
                 "table:number-rows-repeated=\"1048576\"><table:table-cell "
                 "table:number-columns-repeated=\"16384\" office:value-type=\"string\"><text:p>a"
                 "</text:p></table:table-cell></table:table-row></table:table>");
         },
         "more than 1000000 cells"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string bytes = r.make();
        const Outcome outcome = readLimited([&] { workbook::readWorkbook(bytes); });
        std::printf("%s: %s: %s\n", r.name, outcome.figures.c_str(), outcome.told.c_str());
        EXPECT_TRUE(outcome.refused) << outcome.told;
        EXPECT_NE(outcome.told.find(r.told), std::string::npos) << outcome.told;
    }
}

}  // namespace
