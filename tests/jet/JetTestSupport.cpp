#include "JetTestSupport.h"

#include "AddressSanitizer.h"
#include "Cp1251.h"
#include "TempDir.h"

#include <sys/wait.h>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace jettest {
namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    if (!v)
        throw std::runtime_error(std::string(name) + " is not set; run the tests through ctest");
    return v;
}

// Splits one CSV line; a field that was quoted keeps its quotes so Null and "" differ.
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cur += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
                cur += '"';
            } else {
                cur += c;
            }
        } else if (c == '"') {
            quoted = true;
            cur += '"';
        } else if (c == ',') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

std::string text(const std::string& field) {
    if (field.size() >= 2 && field.front() == '"')
        return cp1251::fromUtf8(field.substr(1, field.size() - 2));
    return {};
}

std::int32_t number(const std::string& field) {
    return field.empty() ? 0 : std::stoi(field);
}

}  // namespace

jet::Limits realHelper() {
    jet::Limits limits;
    limits.helperPath = env("RV_BIN_DIR") + "/rulevion-jetread";
    return limits;
}

std::filesystem::path dataFile(const std::string& relative) {
    return std::filesystem::path(env("RV_TEST_DATA")) / relative;
}

std::vector<StudentRow> readCsv(const std::filesystem::path& csv) {
    std::istringstream in(readFile(csv));
    std::string line;
    std::getline(in, line);  // header
    std::vector<StudentRow> rows;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const std::vector<std::string> f = fields(line);
        if (f.size() != 6) throw std::runtime_error("bad CSV line: " + line);
        rows.push_back(
            {text(f[0]), text(f[1]), text(f[2]), text(f[3]), number(f[4]), number(f[5])});
    }
    return rows;
}

std::vector<StudentRow> readAllRows(jet::Recordset& records) {
    std::vector<StudentRow> rows;
    records.moveFirst();
    while (!records.isEof()) {
        StudentRow r;
        r.StBook = records.value("StBook").text;
        r.StName = records.value("StName").text;
        r.StNum = records.value("StNum").text;
        r.GrNum = records.value("GrNum").text;
        r.StCount = records.value("StCount").number;
        r.GrCount = records.value("GrCount").number;
        rows.push_back(r);
        records.moveNext();
    }
    return rows;
}

OpenStudents::OpenStudents(const std::filesystem::path& file, jet::Limits limits)
    : db(std::move(limits)), table(db), records(db) {
    db.open(file.string());
    table.open("Students");
    records.open(table, signin::studentColumns());
}

bool helperLimitsAddressSpace() {
#ifdef RV_ADDRESS_SANITIZER
    return false;
#else
    return true;
#endif
}

bool noChildren() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

std::string utf8(const std::string& cp1251) {
    return cp1251::toUtf8(cp1251);
}

}  // namespace jettest
