#pragma once

#include <QString>

#include <cstddef>
#include <string>

#include "Workbook.h"

namespace workbook {

// What reading one workbook may cost. Everything a file can make us build counts here the moment
// it is built (parts as they inflate, each piece of a cell's text as it is appended, cells,
// sheets, texts, zip entries), so a file that claims much is stopped before it costs much.
class ReadBudget {
public:
    explicit ReadBudget(const Limits& limits) : limits_(limits) {}
    ReadBudget(const ReadBudget&) = delete;
    ReadBudget& operator=(const ReadBudget&) = delete;

    const Limits& limits() const { return limits_; }

    void zipEntries(std::size_t count) const;
    // How many bytes the next part may inflate to.
    std::size_t partAllowance() const;
    [[noreturn]] void partTooLarge(const std::string& name) const;
    void inflated(std::size_t bytes) { inflated_ += bytes; }

    void sheet();
    void sharedString();
    // A relationship of the package, which names a part.
    void relationship();
    // A cell style or a number format.
    void style();
    void cells(std::size_t added);
    // Rows kept, the empty ones above a filled one too, in all sheets.
    void rows(std::size_t added);
    // Characters read into a cell that already holds `before`; throws past the cell's cap or the
    // text read in all.
    void cellText(std::size_t before, std::size_t added);
    // Text kept in cells: a text used by many cells counts for each.
    void keptText(std::size_t bytes, std::size_t times);

private:
    Limits limits_;
    std::size_t inflated_ = 0;
    std::size_t sheets_ = 0;
    std::size_t sharedStrings_ = 0;
    std::size_t relationships_ = 0;
    std::size_t styles_ = 0;
    std::size_t cells_ = 0;
    std::size_t rows_ = 0;
    std::size_t textRead_ = 0;
    std::size_t textKept_ = 0;
};

// The text of one cell, counted against the budget before each piece is added.
class CellText {
public:
    explicit CellText(ReadBudget& budget) : budget_(budget) {}

    void append(QStringView s);
    void append(QChar c, std::size_t count = 1);
    bool isEmpty() const { return text_.isEmpty(); }
    const QString& text() const { return text_; }

private:
    ReadBudget& budget_;
    QString text_;
};

}  // namespace workbook
