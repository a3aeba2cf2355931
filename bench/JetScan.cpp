// Our reader's least work for a sign-in, as rv-bench-mdbscan does it with libmdb: open the file,
// find the table and column, scan every row comparing one text column with the value looked for.
// Usage: rv-bench-jetscan FILE TABLE COLUMN [VALUE]   (names and VALUE in UTF-8)
// Prints the rows read and the first row holding VALUE (0: none).
#include "CaseFold.h"
#include "Cp1251.h"
#include "JetReader.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    try {
        jet::reader::File file(argv[1]);
        jet::reader::Table table = file.table(cp1251::fromUtf8(argv[2]));
        const std::string column = cp1251::fromUtf8(argv[3]);
        std::size_t c = 0;
        while (c < table.columns().size() &&
               !cp1251::equalIgnoringCase(table.columns()[c].name, column))
            ++c;
        if (c == table.columns().size()) return 1;
        const std::string wanted = argc > 4 ? cp1251::fromUtf8(argv[4]) : std::string();
        const std::uint32_t rows = table.rowCount();
        std::uint32_t match = 0;
        std::string value;
        for (std::uint32_t r = 0; r < rows; ++r) {
            table.textInto(r, c, value);
            if (!match && argc > 4 && value == wanted) match = r + 1;
        }
        std::printf("rows %u\nmatch %u\n", rows, match);
    } catch (const jet::reader::ReadError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
