#include <charconv>
#include <map>

#include "NumberFormat.h"
#include "SheetBuilder.h"
#include "WorkbookParts.h"

namespace workbook {
namespace {

struct Relationship {
    QString type;
    std::string target;  // the part's name in the archive
};

std::string folderOf(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

// A relationship's target as a part name: relative to the source's folder unless it starts with
// a slash; "." and ".." resolved.
std::string resolve(const std::string& folder, const std::string& target) {
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string piece = path.substr(start, slash - start);
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        start = slash + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
    return out;
}

// The relationships of `part`, by id; none when it has no relationships part.
std::map<QString, Relationship> relationships(ZipParts& zip, const std::string& part,
                                              ReadBudget& budget) {
    const std::string folder = folderOf(part);
    const std::string relsName = folder + "_rels/" + part.substr(folder.size()) + ".rels";
    std::map<QString, Relationship> out;
    if (!zip.has(relsName)) return out;
    const std::string bytes = zip.read(relsName);
    PartReader xml(relsName, bytes, budget.limits());
    while (xml.next()) {
        if (!xml.isStart() || xml.name() != u"Relationship") continue;
        budget.relationship();
        if (xml.attribute(u"TargetMode") == u"External") continue;
        out[xml.attribute(u"Id")] = {xml.attribute(u"Type"),
                                     resolve(folder, xml.attribute(u"Target").toStdString())};
    }
    return out;
}

bool isType(const Relationship& r, QStringView kind) {
    return r.type.endsWith(kind) && r.type.size() > kind.size() &&
           r.type[r.type.size() - kind.size() - 1] == u'/';
}

// Text written as _xHHHH_ stands for that UTF-16 unit (Excel writes a carriage return so). The
// result is never longer than `s`.
QString unescaped(const QString& s) {
    if (!s.contains(u"_x")) return s;
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'_' && i + 6 < s.size() && s[i + 1] == u'x' && s[i + 6] == u'_') {
            bool ok = false;
            const uint code = s.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(static_cast<char16_t>(code));
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The text of a string item (<si> or <is>): its <t> elements, without the phonetic runs.
std::string stringItem(PartReader& xml, ReadBudget& budget) {
    const std::size_t depth = xml.depth();
    CellText text(budget);
    bool inText = false;
    while (xml.next() && xml.depth() >= depth) {
        if (xml.isStart() && xml.name() == u"rPh") {
            xml.skipElement();
        } else if (xml.isStart() && xml.name() == u"t") {
            inText = true;
        } else if (xml.isEnd() && xml.name() == u"t") {
            inText = false;
        } else if (xml.isText() && inText) {
            text.append(xml.text());
        }
    }
    return unescaped(text.text()).toStdString();
}

std::vector<std::string> sharedStrings(ZipParts& zip, const std::string& part, ReadBudget& budget) {
    std::vector<std::string> out;
    const std::string bytes = zip.read(part);
    PartReader xml(part, bytes, budget.limits());
    while (xml.next()) {
        if (!xml.isStart() || xml.name() != u"si") continue;
        budget.sharedString();
        out.push_back(stringItem(xml, budget));
    }
    return out;
}

struct NumberStyle {
    unsigned id = 0;
    std::string code = "General";
    bool date = false;
};

std::vector<NumberStyle> cellStyles(ZipParts& zip, const std::string& part, ReadBudget& budget) {
    const std::string bytes = zip.read(part);
    PartReader xml(part, bytes, budget.limits());
    std::map<unsigned, std::string> codes;
    std::vector<NumberStyle> out;
    bool inCellXfs = false;
    while (xml.next()) {
        if (xml.isStart() && xml.name() == u"numFmt") {
            budget.style();
            codes[xml.attribute(u"numFmtId").toUInt()] = xml.attribute(u"formatCode").toStdString();
        } else if (xml.isStart() && xml.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (xml.isEnd() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        } else if (inCellXfs && xml.isStart() && xml.name() == u"xf") {
            budget.style();
            NumberStyle style;
            style.id = xml.attribute(u"numFmtId").toUInt();
            out.push_back(style);
        }
    }
    for (NumberStyle& s : out) {
        const auto custom = codes.find(s.id);
        s.code = custom != codes.end() ? custom->second : std::string(builtInFormat(s.id));
        s.date = isDateFormat(s.id, s.code);
    }
    return out;
}

// "C7" as 0-based row and column; false when it is no cell reference.
bool parseReference(QStringView ref, std::size_t& row, std::size_t& column) {
    qsizetype i = 0;
    std::size_t c = 0;
    while (i < ref.size() && ref[i] >= u'A' && ref[i] <= u'Z' && i < 4)
        c = c * 26 + static_cast<std::size_t>(ref[i++].unicode() - u'A' + 1);
    std::size_t r = 0;
    const qsizetype digitsAt = i;
    while (i < ref.size() && ref[i] >= u'0' && ref[i] <= u'9' && i - digitsAt < 8)
        r = r * 10 + static_cast<std::size_t>(ref[i++].unicode() - u'0');
    if (c == 0 || r == 0 || i != ref.size()) return false;
    row = r - 1;
    column = c - 1;
    return true;
}

struct Context {
    std::vector<std::string> strings;
    std::vector<NumberStyle> styles;
    bool from1904 = false;
};

Cell cellOf(PartReader& xml, const Context& ctx, const QString& type, const NumberStyle& style,
            ReadBudget& budget) {
    const std::size_t depth = xml.depth();
    CellText valueText(budget);
    bool hasValue = false;
    bool hasFormula = false;
    std::string inline_;
    while (xml.next() && xml.depth() >= depth) {
        if (!xml.isStart()) continue;
        if (xml.name() == u"v") {
            hasValue = true;
            while (xml.next() && !xml.isEnd())
                if (xml.isText()) valueText.append(xml.text());
        } else if (xml.name() == u"f") {
            hasFormula = true;
            xml.skipElement();
        } else if (xml.name() == u"is") {
            inline_ = stringItem(xml, budget);
        } else {
            xml.skipElement();
        }
    }
    const QString& value = valueText.text();
    if (type == u"inlineStr") return {CellKind::Text, formatText(inline_, style.code)};
    // Some writers leave an empty <v/> where a formula's result was never computed.
    if (!hasValue || (type != u"str" && value.trimmed().isEmpty()))
        return {hasFormula ? CellKind::NoValue : CellKind::Empty, {}};
    if (type == u"s") {
        bool ok = false;
        const uint index = value.trimmed().toUInt(&ok);
        if (!ok || index >= ctx.strings.size())
            xml.fail(JW_TR("jetwriter",
                           "the workbook is damaged: its part \"%1\" names a text it does not "
                           "hold (line %2); open it in the spreadsheet and save it again"));
        return {CellKind::Text, formatText(ctx.strings[index], style.code)};
    }
    if (type == u"str")
        return {CellKind::Text, formatText(unescaped(value).toStdString(), style.code)};
    if (type == u"e") return {CellKind::Error, value.trimmed().toStdString()};
    if (type == u"b") return {CellKind::Boolean, value.trimmed() == u"1" ? "ИСТИНА" : "ЛОЖЬ"};
    if (type == u"d") return {CellKind::Date, value.trimmed().toStdString()};
    const std::string number = value.trimmed().toStdString();
    double v = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), v);
    if (ec != std::errc() || end != number.data() + number.size())
        xml.fail(JW_TR("jetwriter",
                       "the workbook is damaged: its part \"%1\" holds a number that is none "
                       "(line %2); open it in the spreadsheet and save it again"));
    return {style.date ? CellKind::Date : CellKind::Number,
            numberCellText(v, style.code, ctx.from1904), v};
}

void readSheet(ZipParts& zip, const std::string& part, const Context& ctx, SheetBuilder& builder,
               ReadBudget& budget) {
    const std::string bytes = zip.read(part);
    PartReader xml(part, bytes, budget.limits());
    std::size_t row = 0;
    std::size_t column = 0;
    bool anyRow = false;
    bool inData = false;
    const NumberStyle general;
    while (xml.next()) {
        if (xml.name() == u"sheetData") inData = xml.isStart();
        if (!xml.isStart() || !inData) continue;
        if (xml.name() == u"row") {
            bool ok = false;
            const std::size_t r = xml.attribute(u"r").toULongLong(&ok);
            row = ok && r > 0 ? r - 1 : (anyRow ? row + 1 : 0);
            anyRow = true;
            column = 0;
        } else if (xml.name() == u"c") {
            const QString ref = xml.attribute(u"r");
            std::size_t r = row;
            std::size_t c = column;
            if (!ref.isEmpty() && !parseReference(ref, r, c))
                xml.fail(JW_TR("jetwriter",
                               "the workbook is damaged: its part \"%1\" holds a cell name that "
                               "is none (line %2); open it in the spreadsheet and save it again"));
            row = r;
            column = c + 1;
            const QString s = xml.attribute(u"s");
            const uint styleIndex = s.toUInt();
            const NumberStyle& style =
                styleIndex < ctx.styles.size() ? ctx.styles[styleIndex] : general;
            builder.set(r, c, cellOf(xml, ctx, xml.attribute(u"t"), style, budget));
        }
    }
}

bool isTrue(const QString& v) {
    return v == u"1" || v == u"true";
}

}  // namespace

Workbook readXlsx(ZipParts& zip, ReadBudget& budget) {
    const Limits& limits = budget.limits();
    std::string workbookPart = "xl/workbook.xml";
    for (const auto& [id, r] : relationships(zip, "", budget))
        if (isType(r, u"officeDocument")) workbookPart = r.target;
    const auto rels = relationships(zip, workbookPart, budget);
    Context ctx;
    for (const auto& [id, r] : rels) {
        if (isType(r, u"sharedStrings") && zip.has(r.target))
            ctx.strings = sharedStrings(zip, r.target, budget);
        if (isType(r, u"styles") && zip.has(r.target))
            ctx.styles = cellStyles(zip, r.target, budget);
    }

    struct SheetEntry {
        std::string name;
        bool hidden;
        QString id;
    };
    std::vector<SheetEntry> entries;
    {
        const std::string bytes = zip.read(workbookPart);
        PartReader xml(workbookPart, bytes, limits);
        while (xml.next()) {
            if (!xml.isStart()) continue;
            if (xml.name() == u"workbookPr") ctx.from1904 = isTrue(xml.attribute(u"date1904"));
            if (xml.name() != u"sheet") continue;
            QString id;
            // The id is in the relationships namespace, whose name differs between the
            // transitional and the strict form.
            const QString state = xml.attribute(u"state");
            for (const QString& ns : {QStringLiteral("http://schemas.openxmlformats.org/"
                                                     "officeDocument/2006/relationships"),
                                      QStringLiteral("http://purl.oclc.org/ooxml/"
                                                     "officeDocument/relationships")})
                if (id.isEmpty()) id = xml.attribute(ns, u"id");
            // Counted here, as the entries come, rather than once the sheets are made.
            budget.sheet();
            const QString name = xml.attribute(u"name");
            CellText(budget).append(name);
            entries.push_back(
                {name.toStdString(), state == u"hidden" || state == u"veryHidden", id});
        }
    }

    Workbook book;
    book.format = Format::Xlsx;
    book.sheets.reserve(entries.size());
    SheetBuilder builder(budget);
    for (const SheetEntry& e : entries) {
        Sheet& sheet = builder.addSheet(book);
        sheet.name = e.name;
        sheet.hidden = e.hidden;
        const auto r = rels.find(e.id);
        // Chart sheets and the like hold no cells.
        if (r == rels.end() || !isType(r->second, u"worksheet")) continue;
        readSheet(zip, r->second.target, ctx, builder, budget);
    }
    return book;
}

}  // namespace workbook
