// A workbook (.xlsx, .ods) is a file a school gives. Whatever its bytes, reading it ends in sheets
// or in a WorkbookError, within the limits' cells, sheets and text per cell.
//
// The first byte chooses what the rest is: even, the file itself (the zip container as well as
// the XML); odd, parts as "name\0bytes\0" pairs, stored uncompressed into a zip here, so that
// mutations reach the XML instead of failing the archive's checksums.
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "Workbook.h"

namespace {

std::string zipOfParts(std::string_view in) {
    std::vector<std::string> pieces;
    while (!in.empty() && pieces.size() < 64) {
        const std::size_t end = in.find('\0');
        pieces.emplace_back(in.substr(0, end));
        in.remove_prefix(end == std::string_view::npos ? in.size() : end + 1);
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!target) return {};
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, nullptr);
    if (!archive) {
        zip_source_free(target);
        return {};
    }
    for (std::size_t i = 0; i + 1 < pieces.size(); i += 2) {
        zip_source_t* data =
            zip_source_buffer(archive, pieces[i + 1].data(), pieces[i + 1].size(), 0);
        const zip_int64_t index = zip_file_add(archive, pieces[i].c_str(), data, ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(data);
            continue;
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    std::string out;
    zip_stat_t made;
    zip_stat_init(&made);
    if (zip_close(archive) != 0)
        zip_discard(archive);
    else if (zip_source_stat(target, &made) == 0 && zip_source_open(target) == 0) {
        out.resize(made.size);
        if (zip_source_read(target, out.data(), made.size) != static_cast<zip_int64_t>(made.size))
            out.clear();
        zip_source_close(target);
    }
    zip_source_free(target);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string file = data[0] & 1 ? zipOfParts(rest) : std::string(rest);
    // An .xls is read in a child process of its own, which a fuzzer's process must not fork.
    if (workbook::signatureKind(file) == workbook::FileKind::Xls) return 0;
    const workbook::Limits limits;
    try {
        const workbook::Workbook book = workbook::readWorkbook(file, limits);
        FUZZ_CHECK(book.sheets.size() <= limits.sheets);
        std::size_t cells = 0;
        std::size_t rows = 0;
        for (const workbook::Sheet& sheet : book.sheets) {
            rows += sheet.rows.size();
            for (const auto& row : sheet.rows) {
                cells += row.size();
                FUZZ_CHECK(row.size() <= limits.columns);
                // A cell's characters are UTF-16 units, at most three bytes each in UTF-8;
                // number formats add at most their own length to a short number.
                for (const workbook::Cell& c : row)
                    FUZZ_CHECK(c.text.size() <= 3 * limits.cellChars + 4096);
            }
        }
        FUZZ_CHECK(cells <= limits.cells);
        FUZZ_CHECK(rows <= limits.rows);
    } catch (const workbook::WorkbookError& e) {
        FUZZ_CHECK(e.what()[0] != '\0');
    }
    return 0;
}
