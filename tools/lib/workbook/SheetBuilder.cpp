#include "SheetBuilder.h"

namespace workbook {
namespace {

std::string number(std::size_t n) {
    return std::to_string(n);
}

}  // namespace

Sheet& SheetBuilder::addSheet(Workbook& book) {
    sheet_ = &book.sheets.emplace_back();
    return *sheet_;
}

void SheetBuilder::set(std::size_t row, std::size_t column, Cell cell) {
    setRepeated(row, column, 1, cell);
}

void SheetBuilder::setRepeated(std::size_t row, std::size_t column, std::size_t count,
                               const Cell& cell) {
    if (cell.kind == CellKind::Empty || count == 0) return;
    if (row >= limits_.rows || column >= limits_.columns || count > limits_.columns - column)
        throw WorkbookError(
            {JW_TR("jetwriter",
                   "sheet \"%1\" has a cell past row %2 or column %3, more than the spreadsheets "
                   "allow; the workbook is damaged"),
             {sheet_->name, number(limits_.rows), number(limits_.columns)}});
    auto& rows = sheet_->rows;
    if (rows.size() <= row) {
        budget_.rows(row + 1 - rows.size());
        rows.resize(row + 1);
    }
    auto& cells = rows[row];
    if (cells.size() < column + count) {
        budget_.cells(column + count - cells.size());
        cells.resize(column + count);
    }
    budget_.keptText(cell.text.size(), count);
    for (std::size_t i = 0; i < count; ++i) cells[column + i] = cell;
}

PartReader::PartReader(const std::string& part, const std::string& bytes, const Limits& limits)
    : xml_(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))),
      part_(part),
      maxDepth_(limits.xmlDepth) {
    xml_.setNamespaceProcessing(true);
}

bool PartReader::next() {
    for (;;) {
        switch (xml_.readNext()) {
            case QXmlStreamReader::StartElement:
                if (++depth_ > maxDepth_)
                    throw WorkbookError({JW_TR("jetwriter",
                                               "the workbook's part \"%1\" nests elements more "
                                               "than %2 deep; that is no class list"),
                                         {part_, number(maxDepth_)}});
                return true;
            case QXmlStreamReader::EndElement: --depth_; return true;
            case QXmlStreamReader::Characters: return true;
            case QXmlStreamReader::DTD:
                fail(JW_TR("jetwriter",
                           "the workbook's part \"%1\" declares entities (line %2), which no "
                           "workbook does; the file is damaged or made to harm"));
            case QXmlStreamReader::EndDocument: return false;
            case QXmlStreamReader::Invalid:
                throw WorkbookError(
                    {JW_TR("jetwriter",
                           "the workbook is damaged: its part \"%1\" is no valid XML (line %2: "
                           "%3); open it in the spreadsheet and save it again"),
                     {part_, number(static_cast<std::size_t>(xml_.lineNumber())),
                      xml_.errorString().toStdString()}});
            default: break;
        }
    }
}

QString PartReader::attribute(QStringView name) const {
    const QXmlStreamAttributes attributes = xml_.attributes();
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name) return a.value().toString();
    return {};
}

QString PartReader::attribute(QStringView namespaceUri, QStringView name) const {
    const QXmlStreamAttributes attributes = xml_.attributes();
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name && a.namespaceUri() == namespaceUri) return a.value().toString();
    return {};
}

void PartReader::skipElement() {
    const std::size_t depth = depth_;
    while (depth_ >= depth && next()) {
    }
}

void PartReader::fail(const char* text) const {
    throw WorkbookError({text, {part_, number(static_cast<std::size_t>(xml_.lineNumber()))}});
}

}  // namespace workbook
