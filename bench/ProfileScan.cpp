// One sign-in's database work through the program's reader layer, for profiling under callgrind:
// helper started, file, table and recordset opened, StBook searched for NUMBER by the helper as
// the sign-in does, the other columns of the row it stopped on read. bench/profile.sh runs it with
// the helper under callgrind too. Usage: rv-bench-scan FILE [NUMBER] [HELPER]   (HELPER: another
// helper executable or wrapper)

#include "Jet.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: rv-bench-scan FILE [NUMBER] [HELPER]\n", stderr);
        return 2;
    }
    const std::string number = argc > 2 ? argv[2] : std::string();
    jet::Limits limits;
    if (argc > 3) {
        limits.helperPath = argv[3];
        limits.replyTimeoutMs = 120000;  // a helper under callgrind runs some fifty times slower
    }
    try {
        jet::Database db(limits);
        jet::TableDef table(db);
        jet::Recordset records(db);
        db.open(argv[1]);
        table.open("Students");
        using K = jet::FieldValue::Kind;
        records.open(table, {{"StBook", K::Text},
                             {"StName", K::Text},
                             {"StNum", K::Text},
                             {"GrNum", K::Text},
                             {"StCount", K::Long},
                             {"GrCount", K::Long}});
        records.moveFirst();
        const bool found = !records.isEof() && records.findNext("StBook", number);
        if (!records.isEof())
            for (const char* column : {"StName", "StNum", "GrNum", "StCount", "GrCount"})
                records.value(column);
        std::printf("%s\n", found ? "found" : "not found");
    } catch (const jet::Error& e) {
        std::fprintf(stderr, "rv-bench-scan: %s\n", e.what());
        return 1;
    }
    return 0;
}
