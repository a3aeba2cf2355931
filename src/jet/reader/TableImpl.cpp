#include "TableImpl.h"

#include "CalculatedValue.h"
#include "CaseFold.h"
#include "FileImpl.h"
#include "LongValue.h"
#include "NumberValue.h"
#include "TextDecoding.h"
#include "UsageMap.h"

#include <algorithm>
#include <utility>

namespace jet::reader {

using namespace detail;

namespace {

constexpr std::uint8_t kDataPage = 0x01;
// Far more students than any school has; the row list of a forged file stays inside the
// helper's memory budget (PageFile.cpp; 16 bytes a row).
constexpr std::size_t kMaxRows = 4u << 20;
// Access points a moved row's old place straight at its data; a chain longer than a few steps
// is a loop or damage.
constexpr int kMaxMoves = 4;

// Jet3's variable-offset table at a row's end: one-byte offsets, and a jump table that adds 256
// from each entry it names on. (Jet4 rows hold two-byte offsets, read in place.)
class Jet3Offsets {
public:
    bool init(const std::uint8_t* r, std::uint32_t len, std::uint32_t maskSize) {
        if (len < maskSize + 2) return false;
        r_ = r;
        const std::uint32_t rowEnd = len - 1;
        count_ = r[rowEnd - maskSize];
        jumps_ = (len - 1) / 256;
        const std::int64_t colPtr = std::int64_t{rowEnd} - maskSize - jumps_ - 1;
        if (colPtr < count_) return false;
        // The number of jumps follows from the row's size, so the last may be a dummy.
        if ((colPtr - count_) / 256 < jumps_) --jumps_;
        base_ = static_cast<std::uint32_t>(colPtr);
        jumpTable_ = rowEnd - maskSize - 1;
        return true;
    }
    std::uint32_t count() const { return count_; }
    std::uint32_t tableStart() const { return base_ - count_; }
    // The jumps that apply to entry i are those the table names at or before i, taken in
    // order while they do not go down: a row holds at most a handful, so this costs no more
    // than a Jet4 offset does whatever the column.
    std::uint32_t at(std::uint32_t i) const {
        std::uint32_t used = 0;
        std::uint8_t previous = 0;
        advance(i, used, previous);
        return r_[base_ - i] + used * 256;
    }
    // All count() + 1 offsets at once, in one pass over the row's table.
    void decode(std::uint16_t* out) const {
        std::uint32_t used = 0;
        std::uint8_t previous = 0;
        for (std::uint32_t i = 0; i <= count_; ++i) {
            advance(i, used, previous);
            out[i] = static_cast<std::uint16_t>(r_[base_ - i] + used * 256);
        }
    }

private:
    void advance(std::uint32_t i, std::uint32_t& used, std::uint8_t& previous) const {
        while (used < jumps_) {
            const std::uint8_t jump = r_[jumpTable_ - used];
            if (jump > i || jump < previous) return;
            previous = jump;
            ++used;
        }
    }

    const std::uint8_t* r_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t base_ = 0;
    std::uint32_t jumps_ = 0;
    std::uint32_t jumpTable_ = 0;
};

std::uint32_t colCountOf(const Format& f, const std::uint8_t* r) {
    return f.jet3 ? r[0] : u16(r);
}

}  // namespace

Table::Impl::Impl(std::shared_ptr<File::Impl> f, detail::TableDef d)
    : file(std::move(f)), def(std::move(d)) {
    for (const Column& c : def.columns)
        if (!c.fixed && !inNullMask(c)) varColumns_.push_back({c.number, c.varIndex});
    fullDataStart_ = file->pages.format().colCountSize + fixedEndFor(def.maxCols);
    varMask_.assign((std::size_t{def.maxCols} + 7) / 8, 0);
    for (const VarColumn& c : varColumns_) {
        fullVarSlots_ = std::max<std::uint32_t>(fullVarSlots_, c.index + 1u);
        if (c.number < def.maxCols) varMask_[c.number / 8] |= std::uint8_t(1u << (c.number % 8));
    }
}

std::uint32_t Table::Impl::fixedEndFor(std::uint32_t colCount) const {
    if (colCount >= def.maxCols) return def.fixedEnd;
    std::uint32_t end = 0;
    for (const Column& c : def.columns)
        if (c.fixed && c.number < colCount && !inNullMask(c))
            end = std::max<std::uint32_t>(end, c.fixedOffset + c.length);
    return end;
}

// Everything a value read relies on is checked here once, so a row that passes is read
// without surprises and a row that fails stops the scan.
void Table::Impl::checkRow(const Row& row) const {
    const Format& f = file->pages.format();
    if (row.size < f.colCountSize + 1) damaged("row too short");
    const std::uint32_t cc = colCountOf(f, row.data);
    if (cc == 0 || cc > def.maxCols) damaged("row's column count disagrees with the table");
    const std::uint32_t maskSize = (cc + 7) / 8;
    const std::uint32_t dataStart =
        cc == def.maxCols ? fullDataStart_ : f.colCountSize + fixedEndFor(cc);
    const std::uint8_t* mask = row.data + row.size - maskSize;
    if (def.numVarCols == 0) {
        if (std::uint64_t{dataStart} + maskSize > row.size)
            damaged("fixed columns outside the row");
        return;
    }
    if (!f.jet3) {
        // The common case, read straight from the row's end: a scan checks every row.
        if (row.size < maskSize + 4) damaged("row's variable table outside the row");
        const std::uint32_t count = u16(row.data + row.size - maskSize - 2);
        const std::int64_t tableStart =
            std::int64_t{row.size} - maskSize - 4 - 2 * std::int64_t{count};
        if (tableStart < dataStart) damaged("row's variable table outside the row");
        const std::uint8_t* entry = row.data + row.size - maskSize - 4;
        const auto last = static_cast<std::uint32_t>(tableStart);
        std::uint32_t previous = dataStart;
        for (std::uint32_t i = 0; i <= count; ++i, entry -= 2) {
            const std::uint32_t at = u16(entry);
            if (at < previous || at > last) damaged("variable columns outside the row");
            previous = at;
        }
        // Access writes a slot for every variable column a row counts, and an empty one for a
        // Null: otherwise the mask or the offsets are damaged, and a value would be taken for
        // Null or read from another's bytes.
        if (cc == def.maxCols && count >= fullVarSlots_) {
            bool allPresent = true;
            for (std::uint32_t b = 0; b < maskSize; ++b)
                allPresent &= (mask[b] & varMask_[b]) == varMask_[b];
            if (allPresent) return;
        }
        const std::uint8_t* first = row.data + row.size - maskSize - 4;
        for (const VarColumn& c : varColumns_) {
            if (c.number >= cc) continue;
            if (c.index >= count) damaged("row has no slot for a column it counts");
            if (!(mask[c.number / 8] >> (c.number % 8) & 1) &&
                u16(first - 2 * c.index) != u16(first - 2 * c.index - 2))
                damaged("a Null value holds bytes");
        }
        return;
    }
    Jet3Offsets v;
    if (!v.init(row.data, row.size, maskSize) || v.tableStart() < dataStart)
        damaged("row's variable table outside the row");
    // A one-byte count: at most 256 offsets, decoded once for the row.
    std::uint16_t offsets[257];
    v.decode(offsets);
    std::uint32_t previous = dataStart;
    for (std::uint32_t i = 0; i <= v.count(); ++i) {
        const std::uint32_t at = offsets[i];
        if (at < previous || at > v.tableStart()) damaged("variable columns outside the row");
        previous = at;
    }
    for (const VarColumn& c : varColumns_) {
        if (c.number >= cc) continue;
        if (c.index >= v.count()) damaged("row has no slot for a column it counts");
        if (!(mask[c.number / 8] >> (c.number % 8) & 1) &&
            offsets[c.index] != offsets[c.index + 1u])
            damaged("a Null value holds bytes");
    }
}

const std::uint8_t* Table::Impl::ownedDataPage(std::uint32_t number) {
    const std::uint8_t* p = file->pages.page(number);
    if (p[0] != kDataPage || u32(p + 4) != def.page)
        damaged("page of the table's rows is not its own");
    return p;
}

void Table::Impl::addMoved(const Slot& pointer) {
    const Format& f = file->pages.format();
    Slot at = pointer;
    for (int moves = 0;; ++moves) {
        if (moves >= kMaxMoves) damaged("moved row pointers loop");
        if (at.size < 4) damaged("moved row pointer too short");
        const std::uint32_t rowNumber = at.data[0];
        const std::uint32_t pageNumber = u24(at.data + 1);
        if (pageNumber == 0 || pageNumber >= file->pages.pageCount())
            damaged("moved row points past the end of the file");
        movedTargets_.push_back((pageNumber << 8) | rowNumber);
        at = slot(f, ownedDataPage(pageNumber), rowNumber);
        // The data is hidden from the scan (0x8000); hidden and a pointer (0xC000) is one more
        // step of a chain. A slot the scan reads itself would make the row count twice.
        if (at.flags == (kSlotHidden | kSlotPointer)) continue;
        if (at.flags != kSlotHidden) damaged("moved row points at a row of the scan");
        const Row row{at.data, at.size};
        checkRow(row);
        rows.push_back(row);
        return;
    }
}

void Table::Impl::addPage(std::uint32_t number) {
    const Format& f = file->pages.format();
    const std::uint8_t* p = ownedDataPage(number);
    const std::uint32_t n = slotCount(f, p);
    if (rows.size() + n > kMaxRows) damaged("more rows than the reader holds");
    // Access lays rows down from the page's end, each below the one before; a deleted row keeps
    // its place or shrinks to nothing. A slot out of that order moves the border of its
    // neighbour, whose bytes would then be read from the wrong place.
    std::uint32_t previous = f.pageSize;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t start = u16(p + f.dataRowTable + 2 * i) & kSlotOffset;
        if (start > previous || start < f.dataRowTable + 2 * n)
            damaged("rows out of order on a page");
        previous = start;
    }
    // The order checked above bounds each slot by the one before it; a live row must also hold
    // at least a byte.
    std::uint32_t end = f.pageSize;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint16_t entry = u16(p + f.dataRowTable + 2 * i);
        const std::uint32_t start = entry & kSlotOffset;
        const std::uint32_t rowEnd = std::exchange(end, start);
        const std::uint16_t flags = entry & ~kSlotOffset;
        if (flags & kSlotHidden) continue;
        if (start >= rowEnd) damaged("row bounds out of the page");
        if (flags & kSlotPointer) {
            addMoved(Slot{flags, p + start, rowEnd - start});
            continue;
        }
        const Row row{p + start, rowEnd - start};
        checkRow(row);
        rows.push_back(row);
    }
}

void Table::Impl::scan() {
    if (scanned) return;
    rows.clear();
    movedTargets_.clear();
    const std::vector<std::uint32_t> pages = usedPages(file->pages, def.usedMapPointer);
    file->pages.prefetch(pages);
    // Room for every slot up front: a list grown row by row is copied a score of times, into
    // fresh memory each time.
    std::size_t slots = 0;
    for (const std::uint32_t number : pages) {
        const std::uint8_t* p = file->pages.page(number);
        slots += std::min<std::uint32_t>(u16(p + file->pages.format().dataRowCount), 256);
    }
    rows.reserve(std::min(slots, kMaxRows));
    for (const std::uint32_t number : pages) addPage(number);
    // A moved row's data reached from two places would be two rows.
    std::sort(movedTargets_.begin(), movedTargets_.end());
    if (std::adjacent_find(movedTargets_.begin(), movedTargets_.end()) != movedTargets_.end())
        damaged("two rows point at the same moved data");
    movedTargets_.clear();
    movedTargets_.shrink_to_fit();
    scanned = true;
}

Table::Impl::Field Table::Impl::field(std::uint32_t row, std::size_t column) {
    return locate(row, column);
}

// Inlined where a value is decoded: a sign-in decodes one for every row.
[[gnu::always_inline]] inline Table::Impl::Field Table::Impl::locate(std::uint32_t row,
                                                                     std::size_t column) {
    if (!scanned) scan();
    if (row >= rows.size()) throw std::out_of_range("row number past the table's rows");
    if (column >= def.columns.size())
        throw std::out_of_range("column number past the table's columns");
    const Format& f = file->pages.format();
    const Column& c = def.columns[column];
    const Row& r = rows[row];
    Field out;
    const std::uint32_t cc = colCountOf(f, r.data);
    if (c.number >= cc) return out;  // added to the table after this row was written
    const std::uint32_t maskSize = (cc + 7) / 8;
    const std::uint8_t* mask = r.data + r.size - maskSize;
    const bool bit = (mask[c.number / 8] >> (c.number % 8)) & 1;
    if (inNullMask(c)) {
        out.present = true;
        out.truth = bit;
        return out;
    }
    if (!bit) return out;
    if (c.fixed) {
        out.present = true;
        out.data = r.data + f.colCountSize + c.fixedOffset;
        out.size = c.length;
        return out;
    }
    if (!f.jet3) {
        const std::uint8_t* entry = r.data + r.size - maskSize - 4;  // checked by the scan
        if (c.varIndex >= u16(entry + 2)) return out;
        out.present = true;
        const std::uint32_t start = u16(entry - 2 * c.varIndex);
        out.data = r.data + start;
        out.size = u16(entry - 2 * c.varIndex - 2) - start;
        return out;
    }
    Jet3Offsets v;
    v.init(r.data, r.size, maskSize);  // checked by the scan
    if (c.varIndex >= v.count()) return out;
    out.present = true;
    const std::uint32_t start = v.at(c.varIndex);
    out.data = r.data + start;
    out.size = v.at(c.varIndex + 1u) - start;
    return out;
}

Table::Impl::Field Table::Impl::unwrapped(const Column& c, Field v) {
    if (!c.calculated || !v.present) return v;
    const std::string_view inner =
        unwrapCalculated(std::string_view(reinterpret_cast<const char*>(v.data), v.size));
    v.data = reinterpret_cast<const std::uint8_t*>(inner.data());
    v.size = static_cast<std::uint32_t>(inner.size());
    return v;
}

const Column& Table::Impl::numberForm(const Column& c, Field& v) {
    if (!c.calculated || c.type != static_cast<std::uint8_t>(ColumnType::Decimal)) return c;
    decimal_ = calculatedDecimal(std::string_view(reinterpret_cast<const char*>(v.data), v.size));
    decimalColumn_ = c;
    decimalColumn_.scale = decimal_.scale;
    v.data = decimal_.stored.data();
    v.size = static_cast<std::uint32_t>(decimal_.stored.size());
    return decimalColumn_;
}

void Table::Impl::appendText(std::uint32_t row, std::size_t column, std::string& out,
                             std::size_t limit) {
    Field v = locate(row, column);
    const Column& c = def.columns[column];
    const auto type = static_cast<ColumnType>(c.type);
    const bool jet3 = file->pages.format().jet3;
    auto decode = [&](std::string_view stored) {
        if (jet3)
            appendCodePageText(stored, file->pages.codePage(), out, limit);
        else
            appendStoredText(stored, out, limit);
    };
    // A plain Text value first: a sign-in decodes one for every row.
    if (type == ColumnType::Text && !c.calculated) {
        if (v.present) decode(std::string_view(reinterpret_cast<const char*>(v.data), v.size));
        return;
    }
    if (!readableAsText(c.type)) unreadable("column of type " + typeName(c.type) + " is not text");
    if (!v.present) return;
    if (type == ColumnType::Memo) {
        if (!c.calculated) return appendLongText(file->pages, v.data, v.size, scratch, out, limit);
        // A calculated Memo's wrapper is inside its long value, its length checked whole.
        return decode(unwrapCalculated(longValue(file->pages, v.data, v.size, scratch)));
    }
    v = unwrapped(c, v);
    if (type == ColumnType::Text)
        return decode(std::string_view(reinterpret_cast<const char*>(v.data), v.size));
    const Column& as = numberForm(c, v);
    appendNumberText(as, v.data, v.size, out);
}

bool Table::Impl::textEquals(std::uint32_t row, std::size_t column, std::string_view text) {
    // A search compares the column of every row: a compressed Text value is compared as stored.
    const Field v = locate(row, column);
    const Column& c = def.columns[column];
    if (c.type == static_cast<std::uint8_t>(ColumnType::Text) && !c.calculated &&
        !file->pages.format().jet3) {
        if (!v.present) return text.empty();
        const std::string_view stored(reinterpret_cast<const char*>(v.data), v.size);
        if (const std::optional<bool> equal = storedTextEquals(stored, text)) return *equal;
    }
    // One character more than `text` already differs from it.
    compared.clear();
    appendText(row, column, compared, text.size() + 1);
    return cp1251::equalIgnoringCase(compared, text);
}

std::int32_t Table::Impl::number(std::uint32_t row, std::size_t column) {
    Field v = field(row, column);
    const Column& c = def.columns[column];
    if (!readableAsLong(c.type))
        unreadable("column of type " + typeName(c.type) + " is not a number");
    if (!v.present) return 0;
    v = unwrapped(c, v);
    const Column& as = numberForm(c, v);
    return numberValue(as, v.data, v.size);
}

}  // namespace jet::reader
