#include "TableDef.h"

#include "NumberValue.h"
#include "TextDecoding.h"

#include <algorithm>

namespace jet::reader::detail {

namespace {

constexpr std::uint8_t kTableDefPage = 0x02;
constexpr std::uint8_t kFixedColumn = 0x01;
// Access allows 255 columns and 64-character names; a definition with a column more than the
// null mask can carry is not one Access wrote.
constexpr std::uint32_t kMaxColumns = 255;
constexpr std::uint32_t kMaxDefinitionPages = 256;
constexpr std::uint8_t kMaxDecimalScale = 28;

std::vector<std::uint8_t> joinDefinition(PageFile& file, std::uint32_t first) {
    const Format& f = file.format();
    if (first == 0) unreadable("definition at the header page");
    std::vector<std::uint8_t> joined;
    std::uint32_t number = first;
    for (std::uint32_t n = 0; number != 0; ++n) {
        if (n >= kMaxDefinitionPages || n >= file.pageCount())
            unreadable("definition chain too long");
        if (number >= file.pageCount()) unreadable("definition page past the end of the file");
        const std::uint8_t* p = file.page(number);
        if (p[0] != kTableDefPage) unreadable("not a table definition page");
        const std::uint32_t skip = n == 0 ? 0 : 8;
        joined.insert(joined.end(), p + skip, p + f.pageSize);
        number = u32(p + 4);
    }
    return joined;
}

void checkColumns(TableDef& def) {
    std::vector<bool> numberSeen(def.maxCols, false);
    // Deleting a column leaves its number and its variable slot unused, and both still counted;
    // a slot past the count would make a value Null in every row.
    std::vector<bool> varSeen(def.numVarCols, false);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
    std::uint32_t varColumns = 0;
    for (const Column& c : def.columns) {
        if (c.number >= def.maxCols || numberSeen[c.number]) unreadable("column numbers clash");
        numberSeen[c.number] = true;
        const std::uint32_t size = numberSize(c.type);
        if (size != 0 && c.fixed && c.length != size) unreadable("number column of a wrong size");
        if (c.type == static_cast<std::uint8_t>(ColumnType::Decimal) && c.scale > kMaxDecimalScale)
            unreadable("decimal scale out of range");
        if (c.type == static_cast<std::uint8_t>(ColumnType::Boolean)) {
            // Its value is its null bit; Access still writes a length of 1 and an offset that
            // other columns use (MSysACEs).
            continue;
        }
        if (c.fixed) {
            if (c.length != 0) spans.emplace_back(c.fixedOffset, c.fixedOffset + c.length);
            def.fixedEnd = std::max<std::uint32_t>(def.fixedEnd, c.fixedOffset + c.length);
        } else {
            if (c.varIndex >= varSeen.size() || varSeen[c.varIndex])
                unreadable("variable slots clash");
            varSeen[c.varIndex] = true;
            ++varColumns;
        }
    }
    std::sort(spans.begin(), spans.end());
    for (std::size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second) unreadable("fixed columns overlap");
    if ((varColumns == 0) != (def.numVarCols == 0)) unreadable("variable column count disagrees");
}

}  // namespace

TableDef readTableDef(PageFile& file, std::uint32_t page, std::uint16_t codePage) {
    const Format& f = file.format();
    const std::vector<std::uint8_t> b = joinDefinition(file, page);
    const std::uint8_t* d = b.data();
    TableDef def;
    def.page = page;
    def.definedRows = u32(d + f.tdNumRows);
    const std::uint32_t numCols = u16(d + f.tdNumCols);
    def.numVarCols = u16(d + f.tdNumVarCols);
    def.maxCols = std::max<std::uint32_t>(u16(d + f.tdMaxCols), numCols);
    def.usedMapPointer = u32(d + f.tdUsedMap);
    const std::uint64_t realIdx = u32(d + f.tdNumRealIdx);
    if (numCols == 0 || numCols > kMaxColumns || def.maxCols > kMaxColumns + 1 || realIdx > 1000)
        unreadable("column or index count out of range");

    std::uint64_t at = f.tdColumns + realIdx * f.realIdxSize;
    const std::uint64_t namesAt = at + std::uint64_t{numCols} * f.colEntrySize;
    if (namesAt > b.size()) unreadable("column entries past the definition");
    std::uint64_t nameAt = namesAt;
    for (std::uint32_t i = 0; i < numCols; ++i, at += f.colEntrySize) {
        const std::uint8_t* e = d + at;
        Column c;
        c.type = e[0];
        c.number = u16(e + f.colNumber);
        c.varIndex = u16(e + f.colVarIndex);
        c.fixed = (e[f.colFlags] & kFixedColumn) != 0;
        c.fixedOffset = u16(e + f.colFixedOffset);
        c.length = u16(e + f.colLength);
        c.precision = e[f.colPrecision];
        c.scale = e[f.colScale];
        const std::uint32_t lengthSize = f.jet3 ? 1 : 2;
        if (nameAt + lengthSize > b.size()) unreadable("column name past the definition");
        const std::uint32_t nameLength = f.jet3 ? d[nameAt] : u16(d + nameAt);
        nameAt += lengthSize;
        if (nameAt + nameLength > b.size()) unreadable("column name past the definition");
        const std::string_view stored(reinterpret_cast<const char*>(d + nameAt), nameLength);
        if (f.jet3)
            appendCodePageText(stored, codePage, c.name);
        else
            appendStoredText(stored, c.name);
        nameAt += nameLength;
        def.columns.push_back(std::move(c));
    }
    std::sort(def.columns.begin(), def.columns.end(),
              [](const Column& a, const Column& z) { return a.number < z.number; });
    checkColumns(def);
    return def;
}

}  // namespace jet::reader::detail
