// A workbook's number formats are codes its maker wrote, read from the file. Whatever the code
// and the value, showing the value ends, stays within a length the code bounds, and keeps text
// that is UTF-8 as UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "NumberFormat.h"
#include "Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    double value = 0;
    std::memcpy(&value, data + 1, sizeof value);
    const std::string code(reinterpret_cast<const char*>(data + 9), size - 9);
    const bool from1904 = data[0] & 1;
    const std::string shown = workbook::formatNumber(value, code, from1904);
    const std::string text = workbook::formatText("Иванов", code);
    workbook::isDateFormat(data[0], code);
    // All of a double's 309 digits grouped by no-break spaces, and per character of the code at
    // most a weekday's name.
    FUZZ_CHECK(shown.size() <= 600 + 24 * code.size());
    FUZZ_CHECK(text.size() <= 600 + 24 * code.size());
    if (!jetwriter::firstInvalidUtf8(code)) {
        FUZZ_CHECK(!jetwriter::firstInvalidUtf8(shown));
        FUZZ_CHECK(!jetwriter::firstInvalidUtf8(text));
    }
    return 0;
}
