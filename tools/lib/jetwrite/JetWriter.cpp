#include "JetWriter.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "AtomicFile.h"
#include "JetPages.h"
#include "JetText.h"
#include "JetValues.h"
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

constexpr std::size_t kMemoInlineBytes = 255;    // longer memos go to long-value pages
constexpr std::size_t kMaxMemoBytes = 0xFFFFFF;  // the memo header keeps the length in 3 bytes

std::vector<jet::ColumnDef> checkColumns(const Table& t, const jet::PageFormat& f) {
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
        defs.push_back(columnDefinition(c, f, [&] { return what; }));
    }
    return jet::layOut(std::move(defs));
}

// A table's rows as pages: its long values, then its data pages (rows in place first, the
// data of moved rows after them). Pointers between them are absolute page numbers, so the
// first page of each is given; the pages come out the same whatever those are.
struct TablePages {
    std::vector<jet::PageRows> lval;
    std::vector<jet::PageRows> data;
    std::uint32_t liveRows = 0;
};

class TableEncoder {
public:
    TableEncoder(const Table& t, const std::vector<jet::ColumnDef>& defs, const jet::PageFormat& f,
                 std::uint32_t firstLvalPage, std::uint32_t firstDataPage)
        : t_(t),
          defs_(defs),
          f_(f),
          firstLval_(firstLvalPage),
          firstData_(firstDataPage),
          lval_(f),
          primary_(f),
          moved_(f) {}

    TablePages encode() {
        TablePages out;
        if (t_.placements.size() > t_.rows.size())
            throw Error(describeTable(t_) + ": " + std::to_string(t_.placements.size()) +
                        " placements for " + std::to_string(t_.rows.size()) + " rows");
        for (const auto& [index, row] : t_.staleCopies) {
            if (index >= t_.rows.size() || !movedTwice(placement(index)))
                throw Error(rowName(index) +
                            ": a stale copy is given, but the row is not moved "
                            "twice");
        }
        for (std::size_t r = 0; r < t_.rows.size(); ++r) out.liveRows += addRow(r) ? 1 : 0;
        // Pointers to moved data are only known once the rows in place have all been laid out.
        const auto movedBase = static_cast<std::uint32_t>(firstData_ + primary_.pages().size());
        for (const Pointer& p : pointers_)
            primary_.replace(p.page, p.row,
                             jet::le32(jet::pgRow(movedBase + p.targetPage, p.targetRow)));
        out.lval = lval_.pages();
        out.data = primary_.pages();
        out.data.insert(out.data.end(), moved_.pages().begin(), moved_.pages().end());
        return out;
    }

private:
    struct Pointer {
        std::size_t page, row, targetPage, targetRow;
    };

    static bool movedTwice(RowPlacement p) {
        return p == RowPlacement::MovedTwice || p == RowPlacement::MovedTwiceStaleMarkedDeleted;
    }
    RowPlacement placement(std::size_t r) const {
        return r < t_.placements.size() ? t_.placements[r] : RowPlacement::InPlace;
    }
    std::string rowName(std::size_t r) const {
        return describeTable(t_) + ", row " + std::to_string(r + 1);
    }

    // Lays out row `r` as its placement says; true when it is live.
    bool addRow(std::size_t r) {
        const std::string bytes = rowBytes(t_.rows[r], rowName(r));
        const auto pointTo = [&](std::pair<std::size_t, std::size_t> target, std::uint16_t flags) {
            const auto at = primary_.add(std::string(4, '\0'), flags);
            pointers_.push_back({at.first, at.second, target.first, target.second});
        };
        switch (placement(r)) {
            case RowPlacement::InPlace: primary_.add(bytes); return true;
            case RowPlacement::Deleted: primary_.add(bytes, jet::kDeletedFlags); return false;
            case RowPlacement::Moved:
                pointTo(moved_.add(bytes, jet::kOverflowFlag), jet::kPointerFlag);
                return true;
            case RowPlacement::MovedTwice:
            case RowPlacement::MovedTwiceStaleMarkedDeleted: {
                const auto stale = t_.staleCopies.find(r);
                const std::string staleBytes =
                    stale == t_.staleCopies.end()
                        ? bytes
                        : rowBytes(stale->second, rowName(r) + " (stale copy)");
                moved_.add(staleBytes, placement(r) == RowPlacement::MovedTwice
                                           ? jet::kOverflowFlag
                                           : jet::kDeletedFlags);
                pointTo(moved_.add(bytes, jet::kOverflowFlag), jet::kPointerFlag);
                return true;
            }
            case RowPlacement::MovedThenDeleted:
            case RowPlacement::MovedThenDeletedCopyMarkedDeleted:
                pointTo(moved_.add(bytes, placement(r) == RowPlacement::MovedThenDeleted
                                              ? jet::kOverflowFlag
                                              : jet::kDeletedFlags),
                        jet::kDeletedFlags);
                return false;
        }
        throw Error(rowName(r) + ": unknown placement");
    }

    std::string rowBytes(const Row& row, const std::string& name) {
        if (row.size() != t_.columns.size())
            throw Error(name + ": " + std::to_string(row.size()) + " values for " +
                        std::to_string(t_.columns.size()) + " columns");
        jet::StoredRow stored(row.size());
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (!row[c]) continue;
            const Column& column = t_.columns[c];
            const Where where = [&] { return name + ", column " + quoted(column.name); };
            if (column.type == ColumnType::Memo)
                stored[c] = memo(memoText(*row[c], column.calculated, where), where);
            else if (column.calculated)
                stored[c] = calculatedValue(column, row[c], f_, where);
            else
                stored[c] = storedValue(column, row[c], f_, where);
        }
        auto bytes = jet::encodeRow(f_, defs_, stored);
        if (!bytes)
            throw Error(name + ": too many variable columns for an Access 97 row of this length");
        if (bytes->size() > f_.maxRowBytes())
            throw Error(name + ": the row takes " + std::to_string(bytes->size()) +
                        " bytes; at most " + std::to_string(f_.maxRowBytes()) + " fit a page");
        return std::move(*bytes);
    }

    // A memo's text as stored; a calculated memo keeps its wrapper inside the long value.
    std::string memoText(const std::variant<std::string, std::int32_t, double, Currency, Decimal,
                                            DateTime, bool>& value,
                         bool calculated, const Where& where) {
        const auto* s = std::get_if<std::string>(&value);
        if (!s) throw Error(where() + ": a value that is not text given for a MEMO column");
        const std::string text = storedText(*s, f_, true, where);
        return calculated ? wrapCalculated(text) : text;
    }

    // The 12-byte memo header (length and where the text is), with the text itself when short.
    std::string memo(const std::string& text, const Where& where) {
        if (text.size() > kMaxMemoBytes)
            throw Error(where() + ": the memo takes " + std::to_string(text.size()) +
                        " bytes; at most " + std::to_string(kMaxMemoBytes) + " are written");
        const auto header = [&](std::uint32_t kind, std::uint32_t pointer) {
            return jet::le32(static_cast<std::uint32_t>(text.size()) | kind << 24) +
                   jet::le32(pointer) + jet::le32(0);
        };
        if (text.size() <= kMemoInlineBytes) return jet::inlineLongValue(text);
        if (text.size() <= f_.maxRowBytes()) return header(0x40, lvalRow(text));
        // A chain: each part starts with a pointer to the next; the last part is made first.
        const std::size_t part = f_.maxRowBytes() - 4;
        std::uint32_t next = 0;
        for (std::size_t end = text.size(); end > 0;) {
            const std::size_t begin = (end - 1) / part * part;
            next = lvalRow(jet::le32(next) + text.substr(begin, end - begin));
            end = begin;
        }
        return header(0x00, next);
    }

    std::uint32_t lvalRow(std::string bytes) {
        const auto [page, row] = lval_.add(std::move(bytes));
        return jet::pgRow(firstLval_ + static_cast<std::uint32_t>(page), row);
    }

    const Table& t_;
    const std::vector<jet::ColumnDef>& defs_;
    jet::PageFormat f_;
    std::uint32_t firstLval_;
    std::uint32_t firstData_;
    jet::PagePacker lval_;
    jet::PagePacker primary_;
    jet::PagePacker moved_;
    std::vector<Pointer> pointers_;
};

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

// The properties Access keeps for a table's calculated columns: each one's result type and
// expression. Readers take a calculated column's type from here, not from its definition.
std::string calculatedProperties(const Table& t, const jet::PageFormat& f) {
    const auto calculated = [](const Column& c) { return c.calculated; };
    if (std::none_of(t.columns.begin(), t.columns.end(), calculated)) return {};
    constexpr std::uint16_t kNameList = 0x80;
    constexpr std::uint16_t kColumnProperties = 0x01;
    constexpr std::uint8_t kByteProperty = 0x02;
    constexpr std::uint8_t kMemoProperty = 0x0C;
    const auto utf16 = [&](const std::string& utf8) {
        return storedName(utf8, f, [&] { return describeTable(t); });
    };
    const auto counted = [](const std::string& stored) {
        return jet::le16(static_cast<std::uint32_t>(stored.size())) + stored;
    };
    const auto chunk = [](std::uint16_t type, const std::string& body) {
        return jet::le32(static_cast<std::uint32_t>(6 + body.size())) + jet::le16(type) + body;
    };
    const auto property = [](std::uint8_t dataType, std::uint16_t nameIndex,
                             const std::string& data) {
        return jet::le16(static_cast<std::uint32_t>(8 + data.size())) + std::string(1, '\0') +
               static_cast<char>(dataType) + jet::le16(nameIndex) +
               jet::le16(static_cast<std::uint32_t>(data.size())) + data;
    };
    std::string block("MR2\0", 4);
    block += chunk(kNameList, counted(utf16("ResultType")) + counted(utf16("Expression")));
    for (const Column& c : t.columns) {
        if (!c.calculated) continue;
        const std::string name = counted(utf16(c.name));
        std::string body = jet::le32(static_cast<std::uint32_t>(4 + name.size())) + name;
        body += property(kByteProperty, 0, std::string(1, static_cast<char>(typeCode(c.type))));
        if (!c.expression.empty()) body += property(kMemoProperty, 1, utf16(c.expression));
        block += chunk(kColumnProperties, body);
    }
    return block;
}

// A table with its rows laid out in pages, and where those pages go.
struct TablePlan {
    std::string name;
    bool system = false;
    std::vector<jet::ColumnDef> columns;
    const Table* source = nullptr;  // user tables only
    std::string properties;         // kept in the catalogue
    TablePages pages;

    std::uint32_t tdefPage = 0;
    std::uint32_t tdefPageCount = 0;
    std::uint32_t firstLvalPage = 0;
    std::uint32_t firstDataPage = 0;
    std::size_t usedMapRow = 0;  // index among all map rows; the free map follows it
    // A used map too large for one row: the bitmap page of each window that holds data pages.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> windows;

    std::uint32_t dataPageCount() const { return static_cast<std::uint32_t>(pages.data.size()); }
    std::uint32_t lvalPageCount() const { return static_cast<std::uint32_t>(pages.lval.size()); }
};

TablePlan planTable(const Table& t, const jet::PageFormat& f) {
    TablePlan p;
    p.name = t.name;
    p.source = &t;
    p.columns = checkColumns(t, f);
    p.properties = calculatedProperties(t, f);
    p.pages = TableEncoder(t, p.columns, f, 0, 0).encode();
    p.tdefPageCount = jet::tableDefinitionPageCount(f, p.columns);
    return p;
}

// ---- The catalogue: MSysObjects, one row per object -------------------------------------------

std::vector<jet::ColumnDef> catalogueColumns(const jet::PageFormat& f) {
    const std::uint16_t textBytes = f.jet3 ? 255 : 510;
    const auto col = [&](const char* name, std::uint8_t type, std::uint16_t length) {
        jet::ColumnDef c;
        c.storedName = storedName(name, f, [] { return std::string("MSysObjects"); });
        c.type = type;
        c.length = length;
        return c;
    };
    using namespace jet;
    return layOut({
        col("Id", kLong, 4),
        col("ParentId", kLong, 4),
        col("Name", kText, textBytes),
        col("Type", kInt, 2),
        col("DateCreate", kDateTime, 8),
        col("DateUpdate", kDateTime, 8),
        col("Owner", kBinary, textBytes),
        col("Flags", kLong, 4),
        col("Database", kMemo, 0),
        col("Connect", kMemo, 0),
        col("ForeignName", kText, textBytes),
        col("RmtInfoShort", kBinary, textBytes),
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
    std::string properties = {};  // an MR2 block, or nothing
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
    for (const TablePlan& t : userTables)
        entries.push_back({t.name, t.tdefPage, kTablesId, 1, 0, t.properties});
    return entries;
}

TablePages catalogueRows(const jet::PageFormat& f, const std::vector<jet::ColumnDef>& columns,
                         const std::vector<CatalogueEntry>& entries, double created) {
    const std::string date = jet::leDouble(created);
    jet::PagePacker packer(f);
    for (const CatalogueEntry& e : entries) {
        const Where where = [&] { return "table " + quoted(e.name); };
        jet::StoredRow v(columns.size());
        v[0] = jet::le32(e.id);
        v[1] = jet::le32(e.parentId);
        v[2] = storedText(e.name, f, false, where);
        v[3] = jet::le16(e.type);
        v[4] = date;
        v[5] = date;
        v[7] = jet::le32(e.flags);
        if (!e.properties.empty()) v[14] = jet::inlineLongValue(e.properties);
        std::string row = jet::encodeRow(f, columns, v).value();
        if (row.size() > f.maxRowBytes())
            throw Error(where() + ": the calculated columns' names and expressions take " +
                        std::to_string(e.properties.size()) + " bytes; at most about " +
                        std::to_string(f.maxRowBytes() - (row.size() - e.properties.size())) +
                        " fit");
        packer.add(std::move(row));
    }
    TablePages pages;
    pages.data = packer.pages();
    pages.liveRows = static_cast<std::uint32_t>(entries.size());
    return pages;
}

// ---- Where every page goes ----------------------------------------------------------------------

struct Layout {
    jet::PageFormat format;
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
        const std::size_t perPage = format.mapRowsPerPage();
        return jet::pgRow(mapPages[row / perPage], row % perPage);
    }
};

// Header, first map page, catalogue, further map pages, then each table's definition, long
// values and data pages, and last the bitmap pages of the used maps too large for one row.
void placePages(Layout& layout) {
    const jet::PageFormat& f = layout.format;
    const std::size_t mapRows = 2 + 2 * (1 + layout.users.size());
    const std::size_t mapPageCount = (mapRows + f.mapRowsPerPage() - 1) / f.mapRowsPerPage();
    std::uint64_t next = 1;
    layout.mapPages = {static_cast<std::uint32_t>(next++)};
    auto place = [&](TablePlan& t) {
        t.tdefPage = static_cast<std::uint32_t>(next);
        next += t.tdefPageCount;
        t.firstLvalPage = static_cast<std::uint32_t>(next);
        next += t.lvalPageCount();
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
        if (t.dataPageCount() < f.inlineMapReach()) continue;
        const std::uint32_t last = t.firstDataPage + t.dataPageCount() - 1;
        for (std::uint32_t w = t.firstDataPage / f.windowPages();
             w <= last / f.windowPages() && w < f.windowSlots(); ++w)
            t.windows.emplace_back(w, static_cast<std::uint32_t>(next++));
    }
    if (next > f.maxPages)
        throw Error({JW_TR("jetwriter",
                           "the database would take %1 MiB; a file of this format holds at most "
                           "%2 MiB"),
                     {std::to_string(next * f.pageSize / (1 << 20)),
                      std::to_string(std::uint64_t{f.maxPages} * f.pageSize / (1 << 20))}});
    layout.pageCount = static_cast<std::uint32_t>(next);
}

// Global map (every page number not in use, up to the first map's reach), an empty row, then
// each table's used and free maps.
std::vector<std::string> mapRows(Layout& layout) {
    const jet::PageFormat& f = layout.format;
    const std::uint32_t total = layout.pageCount;
    const std::string empty = jet::inlineMap(f, 0, 0, 0);
    std::vector<std::string> rows;
    rows.push_back(total < f.inlineMapReach()
                       ? jet::inlineMap(f, 0, total, f.inlineMapReach() - total)
                       : empty);
    rows.push_back(empty);
    for (const TablePlan* t : layout.tables()) {
        rows.push_back(t->windows.empty() ? jet::inlineMap(f, t->firstDataPage, t->firstDataPage,
                                                           t->dataPageCount())
                                          : jet::referenceMap(f, t->windows));
        rows.push_back(empty);  // no page has room: inserts take new pages
    }
    return rows;
}

// ---- Writing ------------------------------------------------------------------------------------

using PageSink = std::function<void(std::string_view)>;

void emitTable(const TablePlan& t, const Layout& layout, const PageSink& emit) {
    const jet::PageFormat& f = layout.format;
    const std::string tdef =
        jet::tableDefinition(f, t.columns, t.system, t.pages.liveRows,
                             layout.mapPointer(t.usedMapRow), layout.mapPointer(t.usedMapRow + 1));
    for (const std::string& page : jet::tableDefinitionPages(f, tdef, t.tdefPage)) emit(page);
    for (const jet::PageRows& rows : t.pages.lval) emit(jet::dataPage(f, jet::kLvalOwner, rows));
    for (const jet::PageRows& rows : t.pages.data) emit(jet::dataPage(f, t.tdefPage, rows));
}

void emitMapPage(const jet::PageFormat& f, std::size_t index, const std::vector<std::string>& maps,
                 const PageSink& emit) {
    jet::PageRows rows;
    const std::size_t first = index * f.mapRowsPerPage();
    for (std::size_t r = first; r < std::min(maps.size(), first + f.mapRowsPerPage()); ++r) {
        rows.rows.push_back(maps[r]);
        rows.flags.push_back(0);
    }
    emit(jet::dataPage(f, index == 0 ? 1 : 0, rows));  // Access marks page 1 as its own owner
}

jet::PageFormat pageFormat(const Options& options) {
    switch (options.format) {
        case Format::Jet3:
            if (options.codePage < 1 || options.codePage > 0xFFFF ||
                !encodeCodePage({U'A'}, options.codePage))
                throw Error("code page " + std::to_string(options.codePage) +
                            " is not one this system can write");
            return jet::jet3Format(static_cast<std::uint16_t>(options.codePage));
        case Format::Jet4: return jet::jet4Format();
        case Format::Ace: return jet::aceFormat();
    }
    throw Error("unknown file format");
}

// Checks and plans everything first; only then are pages handed out, in file order.
void emitDatabase(const std::vector<Table>& tables, const Options& options, const PageSink& emit) {
    checkTableNames(tables);
    Layout layout;
    layout.format = pageFormat(options);
    const jet::PageFormat& f = layout.format;
    for (const Table& t : tables) layout.users.push_back(planTable(t, f));
    const double created = jet::jetDate(options.created.value_or(std::chrono::system_clock::now()));

    TablePlan& catalogue = layout.catalogue;
    catalogue.name = "MSysObjects";
    catalogue.system = true;
    catalogue.columns = catalogueColumns(f);
    catalogue.tdefPageCount = 1;
    // Row sizes do not depend on page numbers, so pages laid out before the pages are placed
    // give the page counts; they are laid out again with the page numbers afterwards.
    catalogue.pages = catalogueRows(f, catalogue.columns, catalogueEntries(layout.users), created);
    placePages(layout);
    catalogue.pages = catalogueRows(f, catalogue.columns, catalogueEntries(layout.users), created);
    for (TablePlan& t : layout.users) {
        const auto& placed = t.source->placements;
        const bool pointers =
            t.lvalPageCount() > 0 || std::any_of(placed.begin(), placed.end(), [](RowPlacement p) {
                return p != RowPlacement::InPlace && p != RowPlacement::Deleted;
            });
        if (pointers)
            t.pages =
                TableEncoder(*t.source, t.columns, f, t.firstLvalPage, t.firstDataPage).encode();
    }
    const std::vector<std::string> maps = mapRows(layout);

    emit(jet::headerPage(f, created));
    emitMapPage(f, 0, maps, emit);
    emitTable(catalogue, layout, emit);
    for (std::size_t i = 1; i < layout.mapPages.size(); ++i) emitMapPage(f, i, maps, emit);
    for (const TablePlan& t : layout.users) emitTable(t, layout, emit);
    for (const TablePlan* t : layout.tables()) {
        for (const auto& [window, page] : t->windows)
            emit(jet::bitmapPage(f, window, t->firstDataPage, t->dataPageCount()));
    }
}

}  // namespace

Column calculatedColumn(std::string name, ColumnType type, std::string expression, int scale) {
    Column c{std::move(name), type};
    c.calculated = true;
    c.expression = std::move(expression);
    if (type == ColumnType::Decimal) {
        c.precision = 28;
        c.scale = scale;
    }
    return c;
}

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
