#include <QString>

#include <map>
#include <set>

#include "NumberDamage.h"
#include "NumberFormat.h"
#include "SheetBuilder.h"
#include "WorkbookParts.h"

namespace workbook {
namespace {

const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kCalcExt =
    QStringLiteral("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");

bool is(const PartReader& xml, const QString& ns, QStringView name) {
    return xml.namespaceUri() == ns && xml.name() == name;
}

std::size_t repeats(const PartReader& xml, QStringView attribute) {
    bool ok = false;
    const qulonglong n = xml.attribute(kTable, attribute).toULongLong(&ok);
    return ok && n > 0 ? static_cast<std::size_t>(n) : 1;
}

// The text of one <text:p>, spans and links included; what is not text (frames, notes) left out.
void paragraph(PartReader& xml, CellText& out) {
    const std::size_t depth = xml.depth();
    while (xml.next() && xml.depth() >= depth) {
        if (xml.isText()) {
            out.append(xml.text());
        } else if (xml.isStart() && xml.namespaceUri() == kText) {
            if (xml.name() == u"s") {
                bool ok = false;
                const uint n = xml.attribute(kText, u"c").toUInt(&ok);
                out.append(u' ', ok ? n : 1);
            } else if (xml.name() == u"tab") {
                out.append(u'\t');
            } else if (xml.name() == u"line-break") {
                out.append(u'\n');
            } else if (xml.name() == u"note") {
                xml.skipElement();
            }
        } else if (xml.isStart() && xml.namespaceUri() != kText) {
            xml.skipElement();
        }
    }
}

bool looksLikeError(const QString& text) {
    for (const char* e : {"#NAME?", "#N/A", "#VALUE!", "#REF!", "#DIV/0!", "#NUM!", "#NULL!"})
        if (text == QLatin1String(e)) return true;
    if (!text.startsWith(u"Err:") || text.size() == 4) return false;
    for (qsizetype i = 4; i < text.size(); ++i)
        if (!text[i].isDigit()) return false;
    return true;
}

// One cell, its contents read; the reader is then at the cell's end.
Cell cellOf(PartReader& xml, ReadBudget& budget) {
    const QString type = xml.attribute(kOffice, u"value-type");
    const QString calcType = xml.attribute(kCalcExt, u"value-type");
    const QString value = xml.attribute(kOffice, u"value");
    const QString stringValue = xml.attribute(kOffice, u"string-value");
    const bool formula = !xml.attribute(kTable, u"formula").isEmpty();
    CellText(budget).append(stringValue);
    const std::size_t depth = xml.depth();
    CellText cellText(budget);
    bool hasText = false;
    while (xml.next() && xml.depth() >= depth) {
        if (!xml.isStart()) continue;
        if (is(xml, kText, u"p")) {
            if (hasText) cellText.append(u'\n');
            paragraph(xml, cellText);
            hasText = true;
        } else {
            xml.skipElement();  // notes, frames, subtables
        }
    }
    const QString& text = cellText.text();
    if (calcType == u"error" || (formula && type == u"string" && looksLikeError(text)))
        return {CellKind::Error, text.toStdString()};
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        bool ok = false;
        const double v = value.toDouble(&ok);
        // The text is as the saving spreadsheet showed it, in its locale; one that shows an
        // exponent has lost digits the value still holds.
        const std::string shown = text.toStdString();
        if (hasText && !(ok && classlist::inExponentForm(shown)))
            return {CellKind::Number, shown, v};
        return {CellKind::Number, ok ? generalNumber(v) : value.toStdString(), v};
    }
    if (type == u"date" || type == u"time") return {CellKind::Date, text.toStdString()};
    if (type == u"boolean") return {CellKind::Boolean, text.toStdString()};
    if (type == u"string" || hasText)
        return {CellKind::Text, (stringValue.isEmpty() ? text : stringValue).toStdString()};
    return {formula ? CellKind::NoValue : CellKind::Empty, {}};
}

struct RowCell {
    std::size_t column;
    std::size_t count;
    Cell cell;
};

// The cells of one row; the reader is then at the row's end.
std::vector<RowCell> rowCells(PartReader& xml, ReadBudget& budget) {
    const Limits& limits = budget.limits();
    std::vector<RowCell> out;
    const std::size_t depth = xml.depth();
    std::size_t column = 0;
    while (xml.next() && xml.depth() >= depth) {
        if (!xml.isStart()) continue;
        if (is(xml, kTable, u"table-cell") || is(xml, kTable, u"covered-table-cell")) {
            const std::size_t count = repeats(xml, u"number-columns-repeated");
            Cell cell = cellOf(xml, budget);
            if (cell.kind != CellKind::Empty) out.push_back({column, count, std::move(cell)});
            // Trailing empty cells are repeated up to the last column; only filled ones count.
            column = count > limits.columns - std::min(column, limits.columns) ? limits.columns
                                                                               : column + count;
        } else {
            xml.skipElement();
        }
    }
    return out;
}

}  // namespace

Workbook readOds(ZipParts& zip, ReadBudget& budget) {
    const Limits& limits = budget.limits();
    const std::string part = "content.xml";
    const std::string bytes = zip.read(part);
    PartReader xml(part, bytes, limits);
    Workbook book;
    book.format = Format::Ods;
    SheetBuilder builder(budget);
    std::set<QString> hiddenStyles;
    Sheet* sheet = nullptr;
    std::size_t tableDepth = 0;
    std::size_t row = 0;
    while (xml.next()) {
        if (xml.isEnd() && sheet && xml.depth() < tableDepth) sheet = nullptr;
        if (!xml.isStart()) continue;
        if (is(xml, kStyle, u"style") && xml.attribute(kStyle, u"family") == u"table") {
            const QString name = xml.attribute(kStyle, u"name");
            const std::size_t depth = xml.depth();
            while (xml.next() && xml.depth() >= depth)
                if (xml.isStart() && is(xml, kStyle, u"table-properties") &&
                    xml.attribute(kTable, u"display") == u"false")
                    hiddenStyles.insert(name);
            continue;
        }
        if (!sheet && is(xml, kTable, u"table")) {
            budget.sheet();
            sheet = &builder.addSheet(book);
            const QString name = xml.attribute(kTable, u"name");
            CellText(budget).append(name);
            sheet->name = name.toStdString();
            sheet->hidden = hiddenStyles.count(xml.attribute(kTable, u"style-name")) > 0;
            tableDepth = xml.depth();
            row = 0;
            continue;
        }
        if (sheet && is(xml, kTable, u"table-row")) {
            const std::size_t count = repeats(xml, u"number-rows-repeated");
            const std::vector<RowCell> cells = rowCells(xml, budget);
            if (!cells.empty()) {
                for (std::size_t i = 0; i < count; ++i)
                    for (const RowCell& c : cells)
                        builder.setRepeated(row + i, c.column, c.count, c.cell);
            }
            row = count > limits.rows - std::min(row, limits.rows) ? limits.rows : row + count;
        } else if (sheet && (is(xml, kTable, u"table-column") || is(xml, kTable, u"shapes") ||
                             is(xml, kTable, u"named-expressions"))) {
            xml.skipElement();
        }
    }
    return book;
}

}  // namespace workbook
