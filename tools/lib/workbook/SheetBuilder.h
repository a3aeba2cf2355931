#pragma once

#include <QXmlStreamReader>

#include <cstddef>
#include <string>

#include "ReadBudget.h"

namespace workbook {

// Fills the sheets cell by cell and keeps the whole workbook within the budget.
class SheetBuilder {
public:
    explicit SheetBuilder(ReadBudget& budget) : budget_(budget), limits_(budget.limits()) {}

    // A new sheet at the workbook's end; the reader counts it against the budget as it finds it.
    Sheet& addSheet(Workbook& book);
    // Row and column 0-based. An empty cell is only counted where a later one fills the row.
    void set(std::size_t row, std::size_t column, Cell cell);
    // The same cell `count` times to the right, as repeated columns are written.
    void setRepeated(std::size_t row, std::size_t column, std::size_t count, const Cell& cell);

private:
    ReadBudget& budget_;
    const Limits& limits_;
    Sheet* sheet_ = nullptr;
};

// A QXmlStreamReader over one part that refuses what no workbook holds: a DTD (entities that
// expand), nesting past the limit, and malformed XML.
class PartReader {
public:
    PartReader(const std::string& part, const std::string& bytes, const Limits& limits);

    // The next start element, end element or text; false at the document's end. The bytes must
    // outlive the reader.
    bool next();
    bool isStart() const { return xml_.isStartElement(); }
    bool isEnd() const { return xml_.isEndElement(); }
    bool isText() const { return xml_.isCharacters(); }
    QStringView text() const { return xml_.text(); }
    QStringView name() const { return xml_.name(); }
    QStringView namespaceUri() const { return xml_.namespaceUri(); }
    QString attribute(QStringView name) const;
    QString attribute(QStringView namespaceUri, QStringView name) const;
    std::size_t depth() const { return depth_; }
    // Passes over the current element and all inside it.
    void skipElement();

    // Throws `text` (a JW_TR text) with the part as %1 and the line reached as %2.
    [[noreturn]] void fail(const char* text) const;

private:
    QXmlStreamReader xml_;
    std::string part_;
    std::size_t maxDepth_;
    std::size_t depth_ = 0;
};

}  // namespace workbook
