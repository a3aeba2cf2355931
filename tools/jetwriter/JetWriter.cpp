#include "JetWriter.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "AtomicFile.h"
#include "JetPages.h"
#include "JetText.h"
#include "Utf8.h"

namespace jetwriter {
namespace {

constexpr std::size_t kMaxColumns = 255;  // readers take the column number from one byte
constexpr std::size_t kMaxNameChars = 64;

constexpr std::uint32_t kCatalogueTdefPage = 2;  // where every reader looks for it
constexpr std::uint32_t kTablesId = 0x0F000001;
constexpr std::uint32_t kContainersId = 0x0F000000;
constexpr std::uint32_t kSystemFlag = 0x80000000;

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// ---- The caller's tables, checked and encoded ---------------------------------------------------

// Case folding for uniqueness checks, as far as Jet's General order folds: ASCII, Latin-1 and
// Cyrillic letters.
std::u32string foldCase(const std::vector<char32_t>& cps) {
    std::u32string out;
    for (char32_t c : cps) {
        if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c += 0x20;
        else if (c >= 0x410 && c <= 0x42F)
            c += 0x20;
        else if (c >= 0x400 && c <= 0x40F)
            c += 0x50;
        out.push_back(c);
    }
    return out;
}

// Checks a table or column name as Access would accept it; returns its folded form.
std::u32string checkName(const std::string& name, const std::string& what) {
    const auto cps = decodeUtf8(name);
    if (!cps) throw Error(what + ": the name is not valid UTF-8");
    if (cps->empty()) throw Error(what + ": the name is empty");
    if (utf16Length(*cps) > kMaxNameChars)
        throw Error(what + ": the name is longer than " + std::to_string(kMaxNameChars) +
                    " characters");
    if (cps->front() == U' ') throw Error(what + ": the name starts with a space");
    for (char32_t c : *cps) {
        if (c < 0x20 || c == 0x7F || c == U'.' || c == U'!' || c == U'`' || c == U'[' || c == U']')
            throw Error(what +
                        ": the name holds a character not allowed in names (control "
                        "characters and . ! ` [ ])");
    }
    return foldCase(*cps);
}

std::string describeTable(const Table& t) {
    return "table " + quoted(t.name);
}

// `where` names the value for a message; it is only built when there is something to say.
using Where = std::function<std::string()>;

std::string storedText(const std::string& text, const Column& column, const Where& where) {
    const auto cps = decodeUtf8(text);
    if (!cps) throw Error(where() + ": the text is not valid UTF-8");
    const std::size_t length = utf16Length(*cps);
    if (length > static_cast<std::size_t>(column.maxChars))
        throw Error(where() + ": the text is " + std::to_string(length) +
                    " characters long; the column holds " + std::to_string(column.maxChars));
    if (std::find(cps->begin(), cps->end(), U'\0') != cps->end())
        throw Error(where() + ": the text holds a NUL character");
    auto bytes = encodeJetText(*cps);
    if (!bytes)
        throw Error(where() +
                    ": text that starts with U+FEFF cannot also hold a character "
                    "whose low byte is 0 (such as U+0100)");
    return *bytes;
}

std::vector<jet::ColumnDef> checkColumns(const Table& t) {
    const std::string table = describeTable(t);
    if (t.columns.empty()) throw Error(table + ": a table needs at least one column");
    if (t.columns.size() > kMaxColumns)
        throw Error(table + ": more than " + std::to_string(kMaxColumns) + " columns");
    std::vector<std::u32string> seen;
    std::vector<jet::ColumnDef> defs;
    for (const Column& c : t.columns) {
        const std::string what = table + ", column " + quoted(c.name);
        std::u32string folded = checkName(c.name, what);
        if (std::find(seen.begin(), seen.end(), folded) != seen.end())
            throw Error(what + ": two columns have this name");
        seen.push_back(std::move(folded));
        jet::ColumnDef d;
        d.name = c.name;
        if (c.type == ColumnType::Long) {
            d.type = jet::kLong;
            d.length = 4;
        } else {
            if (c.maxChars < 1 || c.maxChars > 255)
                throw Error(what + ": a text column holds 1 to 255 characters, not " +
                            std::to_string(c.maxChars));
            d.type = jet::kText;
            d.length = static_cast<std::uint16_t>(2 * c.maxChars);  // stored in bytes
        }
        defs.push_back(std::move(d));
    }
    return jet::layOut(std::move(defs));
}

jet::EncodedRows encodeRows(const Table& t, const std::vector<jet::ColumnDef>& defs) {
    jet::EncodedRows out;
    jet::StoredRow stored(t.columns.size());
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const Row& row = t.rows[r];
        const auto rowName = [&] { return describeTable(t) + ", row " + std::to_string(r + 1); };
        if (row.size() != t.columns.size())
            throw Error(rowName() + ": " + std::to_string(row.size()) + " values for " +
                        std::to_string(t.columns.size()) + " columns");
        for (std::size_t c = 0; c < row.size(); ++c) {
            const Column& column = t.columns[c];
            const Where where = [&] { return rowName() + ", column " + quoted(column.name); };
            stored[c].reset();
            if (!row[c]) continue;
            if (column.type == ColumnType::Long) {
                const auto* v = std::get_if<std::int32_t>(&*row[c]);
                if (!v) throw Error(where() + ": text given for a LONG column");
                stored[c] = jet::le32(static_cast<std::uint32_t>(*v));
            } else {
                const auto* s = std::get_if<std::string>(&*row[c]);
                if (!s) throw Error(where() + ": a number given for a TEXT column");
                stored[c] = storedText(*s, column, where);
            }
        }
        const std::size_t length = jet::appendRow(out, defs, stored);
        if (length > jet::kMaxRowBytes)
            throw Error(rowName() + ": the row takes " + std::to_string(length) +
                        " bytes; at most " + std::to_string(jet::kMaxRowBytes) + " fit a page");
    }
    return out;
}

void checkTableNames(const std::vector<Table>& tables) {
    std::vector<std::u32string> seen;
    for (const Table& t : tables) {
        std::u32string folded = checkName(t.name, describeTable(t));
        if (folded.rfind(U"msys", 0) == 0)
            throw Error(describeTable(t) +
                        ": names starting with MSys are kept for the database's own tables");
        if (std::find(seen.begin(), seen.end(), folded) != seen.end())
            throw Error(describeTable(t) + ": two tables have this name");
        seen.push_back(std::move(folded));
    }
}

// A table with its rows encoded, and the pages they take.
struct TablePlan {
    std::string name;
    bool system = false;
    std::vector<jet::ColumnDef> columns;
    jet::EncodedRows rows;
    std::vector<jet::Span> spans;

    std::uint32_t tdefPage = 0;
    std::uint32_t tdefPageCount = 0;
    std::uint32_t firstDataPage = 0;
    std::size_t usedMapRow = 0;  // index among all map rows; the free map follows it
    // A used map too large for one row: the bitmap page of each window that holds data pages.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> windows;

    std::uint32_t dataPageCount() const { return static_cast<std::uint32_t>(spans.size()); }
};

TablePlan planTable(const Table& t) {
    TablePlan p;
    p.name = t.name;
    p.columns = checkColumns(t);
    p.rows = encodeRows(t, p.columns);
    p.spans = jet::packRows(p.rows);
    p.tdefPageCount = jet::tableDefinitionPageCount(p.columns);
    return p;
}

// ---- The catalogue: MSysObjects, one row per object -------------------------------------------

std::vector<jet::ColumnDef> catalogueColumns() {
    const auto col = [](const char* name, std::uint8_t type, std::uint16_t length) {
        jet::ColumnDef c;
        c.name = name;
        c.type = type;
        c.length = length;
        return c;
    };
    using namespace jet;
    return layOut({
        col("Id", kLong, 4),
        col("ParentId", kLong, 4),
        col("Name", kText, 510),
        col("Type", kInt, 2),
        col("DateCreate", kDateTime, 8),
        col("DateUpdate", kDateTime, 8),
        col("Owner", kBinary, 510),
        col("Flags", kLong, 4),
        col("Database", kMemo, 0),
        col("Connect", kMemo, 0),
        col("ForeignName", kText, 510),
        col("RmtInfoShort", kBinary, 510),
        col("RmtInfoLong", kOle, 0),
        col("Lv", kOle, 0),
        col("LvProp", kOle, 0),
        col("LvModule", kOle, 0),
        col("LvExtra", kOle, 0),
    });
}

struct CatalogueEntry {
    std::string name;
    std::uint32_t id;
    std::uint32_t parentId;
    std::uint16_t type;  // 1 table, 3 container
    std::uint32_t flags;
};

// The containers Access keeps, the catalogue itself, and each table under "Tables" with the
// page of its definition as its id.
std::vector<CatalogueEntry> catalogueEntries(const std::vector<TablePlan>& userTables) {
    std::vector<CatalogueEntry> entries = {
        {"Tables", kTablesId, kContainersId, 3, kSystemFlag},
        {"Databases", 0x0F000002, kContainersId, 3, kSystemFlag},
        {"Relationships", 0x0F000003, kContainersId, 3, kSystemFlag},
        {"MSysObjects", kCatalogueTdefPage, kTablesId, 1, kSystemFlag},
    };
    for (const TablePlan& t : userTables) entries.push_back({t.name, t.tdefPage, kTablesId, 1, 0});
    return entries;
}

jet::EncodedRows catalogueRows(const std::vector<jet::ColumnDef>& columns,
                               const std::vector<CatalogueEntry>& entries, double created) {
    const std::string date = jet::leDouble(created);
    jet::EncodedRows rows;
    for (const CatalogueEntry& e : entries) {
        jet::StoredRow v(columns.size());
        v[0] = jet::le32(e.id);
        v[1] = jet::le32(e.parentId);
        v[2] = encodeJetText(decodeUtf8(e.name).value()).value();
        v[3] = jet::le16(e.type);
        v[4] = date;
        v[5] = date;
        v[7] = jet::le32(e.flags);
        jet::appendRow(rows, columns, v);
    }
    return rows;
}

// ---- Where every page goes ----------------------------------------------------------------------

struct Layout {
    TablePlan catalogue;
    std::vector<TablePlan> users;
    std::vector<std::uint32_t> mapPages;  // the pages holding usage-map rows
    std::uint32_t pageCount = 0;

    std::vector<TablePlan*> tables() {
        std::vector<TablePlan*> all = {&catalogue};
        for (TablePlan& t : users) all.push_back(&t);
        return all;
    }
    std::uint32_t mapPointer(std::size_t row) const {
        return jet::pgRow(mapPages[row / jet::kMapRowsPerPage], row % jet::kMapRowsPerPage);
    }
};

// Header, first map page, catalogue, further map pages, then each table's definition and data
// pages, and last the bitmap pages of the used maps too large for one row.
void placePages(Layout& layout) {
    const std::size_t mapRows = 2 + 2 * (1 + layout.users.size());
    const std::size_t mapPageCount = (mapRows + jet::kMapRowsPerPage - 1) / jet::kMapRowsPerPage;
    std::uint64_t next = 1;
    layout.mapPages = {static_cast<std::uint32_t>(next++)};
    auto place = [&](TablePlan& t) {
        t.tdefPage = static_cast<std::uint32_t>(next);
        next += t.tdefPageCount;
        t.firstDataPage = static_cast<std::uint32_t>(next);
        next += t.dataPageCount();
    };
    place(layout.catalogue);
    for (std::size_t i = 1; i < mapPageCount; ++i)
        layout.mapPages.push_back(static_cast<std::uint32_t>(next++));
    for (TablePlan& t : layout.users) place(t);

    const std::vector<TablePlan*> all = layout.tables();
    for (std::size_t i = 0; i < all.size(); ++i) {
        TablePlan& t = *all[i];
        t.usedMapRow = 2 + 2 * i;
        if (t.dataPageCount() < jet::kInlineMapReach) continue;
        const std::uint32_t last = t.firstDataPage + t.dataPageCount() - 1;
        for (std::uint32_t w = t.firstDataPage / jet::kWindowPages;
             w <= last / jet::kWindowPages && w < jet::kWindowSlots; ++w)
            t.windows.emplace_back(w, static_cast<std::uint32_t>(next++));
    }
    if (next > jet::kMaxPages)
        throw Error("the database would take " + std::to_string(next * jet::kPageSize / (1 << 20)) +
                    " MiB; an Access 2000 file holds at most 2048 MiB");
    layout.pageCount = static_cast<std::uint32_t>(next);
}

// Global map (every page number not in use, up to the first map's reach), an empty row, then
// each table's used and free maps.
std::vector<std::string> mapRows(Layout& layout) {
    const std::uint32_t total = layout.pageCount;
    const std::string empty = jet::inlineMap(0, 0, 0);
    std::vector<std::string> rows;
    rows.push_back(total < jet::kInlineMapReach
                       ? jet::inlineMap(0, total, jet::kInlineMapReach - total)
                       : empty);
    rows.push_back(empty);
    for (const TablePlan* t : layout.tables()) {
        rows.push_back(t->windows.empty()
                           ? jet::inlineMap(t->firstDataPage, t->firstDataPage, t->dataPageCount())
                           : jet::referenceMap(t->windows));
        rows.push_back(empty);  // no page has room: inserts take new pages
    }
    return rows;
}

// ---- Writing
// --------------------------------------------------------------------------------------

using PageSink = std::function<void(std::string_view)>;

void emitTable(const TablePlan& t, const Layout& layout, const PageSink& emit) {
    const std::string tdef =
        jet::tableDefinition(t.columns, t.system, static_cast<std::uint32_t>(t.rows.size()),
                             layout.mapPointer(t.usedMapRow), layout.mapPointer(t.usedMapRow + 1));
    for (const std::string& page : jet::tableDefinitionPages(tdef, t.tdefPage)) emit(page);
    for (const jet::Span& s : t.spans) {
        std::vector<std::string_view> rows;
        for (std::size_t i = s.first; i < s.first + s.count; ++i) rows.push_back(t.rows.row(i));
        emit(jet::dataPage(t.tdefPage, rows));
    }
}

void emitMapPage(std::size_t index, const std::vector<std::string>& maps, const PageSink& emit) {
    std::vector<std::string_view> rows;
    const std::size_t first = index * jet::kMapRowsPerPage;
    for (std::size_t r = first; r < std::min(maps.size(), first + jet::kMapRowsPerPage); ++r)
        rows.push_back(maps[r]);
    emit(jet::dataPage(index == 0 ? 1 : 0, rows));  // Access marks page 1 as its own owner
}

// Checks and plans everything first; only then are pages handed out, in file order.
void emitDatabase(const std::vector<Table>& tables, const Options& options, const PageSink& emit) {
    checkTableNames(tables);
    Layout layout;
    for (const Table& t : tables) layout.users.push_back(planTable(t));
    const double created = jet::jetDate(options.created.value_or(std::chrono::system_clock::now()));

    TablePlan& catalogue = layout.catalogue;
    catalogue.name = "MSysObjects";
    catalogue.system = true;
    catalogue.columns = catalogueColumns();
    catalogue.tdefPageCount = 1;
    // Row sizes do not depend on the ids, so rows made before the pages are placed give the
    // page count; they are made again with the ids afterwards.
    catalogue.rows = catalogueRows(catalogue.columns, catalogueEntries(layout.users), created);
    catalogue.spans = jet::packRows(catalogue.rows);
    placePages(layout);
    catalogue.rows = catalogueRows(catalogue.columns, catalogueEntries(layout.users), created);
    const std::vector<std::string> maps = mapRows(layout);

    emit(jet::headerPage(created));
    emitMapPage(0, maps, emit);
    emitTable(catalogue, layout, emit);
    for (std::size_t i = 1; i < layout.mapPages.size(); ++i) emitMapPage(i, maps, emit);
    for (const TablePlan& t : layout.users) emitTable(t, layout, emit);
    for (const TablePlan* t : layout.tables()) {
        for (const auto& [window, page] : t->windows)
            emit(jet::bitmapPage(window, t->firstDataPage, t->dataPageCount()));
    }
}

}  // namespace

void writeDatabase(const std::filesystem::path& path, const std::vector<Table>& tables,
                   const Options& options) {
    // The file is only created once the first page is ready, so bad input leaves nothing.
    std::optional<AtomicFile> file;
    emitDatabase(tables, options, [&](std::string_view page) {
        if (!file) file.emplace(path);
        file->write(page);
    });
    file->commit();
}

std::string databaseBytes(const std::vector<Table>& tables, const Options& options) {
    std::string out;
    emitDatabase(tables, options, [&](std::string_view page) { out += page; });
    return out;
}

}  // namespace jetwriter
