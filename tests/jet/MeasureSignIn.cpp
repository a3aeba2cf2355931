// Measures what the reader costs one sign-in: start the helper and open the file, open table
// Students and its recordset, and scan every record-book number to the last row (the worst case:
// a number that is not there). Also the longest single reply, which the reply time limit must
// leave room for.
//
// jet_measure HELPER DATABASE [RUNS]
// jet_measure --write-students N OUT.mdb     (a file of N rows from the project's writer)
#include "CsvClassList.h"
#include "Jet.h"
#include "JetWriter.h"
#include "StudentColumns.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Run {
    double open = 0, table = 0, recordset = 0, scan = 0, total = 0, longestValue = 0;
    int rows = 0;
};

Run once(const std::string& helper, const std::string& file) {
    Run r;
    jet::Limits limits;
    limits.helperPath = helper;
    const auto t0 = Clock::now();
    jet::Database db(limits);
    jet::TableDef table(db);
    jet::Recordset records(db);
    db.open(file);
    const auto t1 = Clock::now();
    table.open("Students");
    const auto t2 = Clock::now();
    records.open(table, signin::studentColumns());
    const auto t3 = Clock::now();
    records.moveFirst();
    while (!records.isEof()) {
        const auto v0 = Clock::now();
        records.value("StBook");
        r.longestValue = std::max(r.longestValue, ms(Clock::now() - v0));
        ++r.rows;
        records.moveNext();
    }
    const auto t4 = Clock::now();
    r.open = ms(t1 - t0);
    r.table = ms(t2 - t1);
    r.recordset = ms(t3 - t2);
    r.scan = ms(t4 - t3);
    r.total = ms(t4 - t0);
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double p95(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * 95 / 100)];
}

int writeStudents(int n, const char* out) {
    jetwriter::Table t = classlist::studentsTable();
    for (int i = 0; i < n; ++i)
        t.rows.push_back({"B" + std::to_string(1000000 + i), "Курсант Номер " + std::to_string(i),
                          std::to_string(i % 25 + 1), "Группа " + std::to_string(i / 25 + 1),
                          i % 50, 25});
    jetwriter::writeDatabase(out, {t});
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--write-students")
        return writeStudents(std::atoi(argv[2]), argv[3]);
    if (argc < 3) {
        std::fprintf(stderr, "usage: jet_measure HELPER DATABASE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 20;
    std::vector<double> open, table, recordset, scan, total, longest;
    int rows = 0;
    try {
        once(argv[1], argv[2]);  // page cache warm, as on a station after the first sign-in
        for (int i = 0; i < runs; ++i) {
            const Run r = once(argv[1], argv[2]);
            open.push_back(r.open);
            table.push_back(r.table);
            recordset.push_back(r.recordset);
            scan.push_back(r.scan);
            total.push_back(r.total);
            longest.push_back(r.longestValue);
            rows = r.rows;
        }
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "jet::Error %d\n", static_cast<int>(e.code()));
        return 1;
    }
    std::printf("%d rows, %d runs; median (p95) in ms\n", rows, runs);
    std::printf("  spawn + open database  %8.2f (%8.2f)\n", median(open), p95(open));
    std::printf("  open table definition  %8.2f (%8.2f)\n", median(table), p95(table));
    std::printf("  open recordset         %8.2f (%8.2f)\n", median(recordset), p95(recordset));
    std::printf("  scan to the last row   %8.2f (%8.2f)\n", median(scan), p95(scan));
    std::printf("  sign-in total          %8.2f (%8.2f)\n", median(total), p95(total));
    std::printf("  longest single value() %8.2f (%8.2f)  [one batch reply]\n", median(longest),
                p95(longest));
    return 0;
}
