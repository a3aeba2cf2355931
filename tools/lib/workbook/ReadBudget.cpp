#include "ReadBudget.h"

#include <algorithm>
#include <limits>

namespace workbook {
namespace {

std::string number(std::size_t n) {
    return std::to_string(n);
}

std::string mib(std::size_t bytes) {
    return std::to_string(bytes >> 20);
}

// a + b, or the largest size where that overflows: a count past every limit.
std::size_t sum(std::size_t a, std::size_t b) {
    return a > std::numeric_limits<std::size_t>::max() - b ? std::numeric_limits<std::size_t>::max()
                                                           : a + b;
}

std::size_t product(std::size_t a, std::size_t b) {
    return b != 0 && a > std::numeric_limits<std::size_t>::max() / b
               ? std::numeric_limits<std::size_t>::max()
               : a * b;
}

[[noreturn]] void tooMuchText(std::size_t limit) {
    throw WorkbookError(
        {JW_TR("jetwriter",
               "the workbook's cells hold more than %1 MiB of text; that is no class list"),
         {mib(limit)}});
}

// Adds `added` to `counter`; past `limit`, throws `text` with the limit as %1.
void count(std::size_t& counter, std::size_t added, std::size_t limit, const char* text) {
    counter = sum(counter, added);
    if (counter > limit) throw WorkbookError({text, {number(limit)}});
}

}  // namespace

void ReadBudget::zipEntries(std::size_t count) const {
    if (count > limits_.zipEntries)
        throw WorkbookError({JW_TR("jetwriter",
                                   "the file is a zip archive of more than %1 parts; a workbook "
                                   "has a few dozen, so this is no class list"),
                             {number(limits_.zipEntries)}});
}

std::size_t ReadBudget::partAllowance() const {
    return std::min(limits_.partBytes,
                    limits_.totalBytes - std::min(inflated_, limits_.totalBytes));
}

void ReadBudget::partTooLarge(const std::string& name) const {
    if (limits_.totalBytes - std::min(inflated_, limits_.totalBytes) < limits_.partBytes)
        throw WorkbookError({JW_TR("jetwriter",
                                   "the workbook's parts inflate to more than %1 MiB in all; "
                                   "that is no class list (a class list of ten thousand "
                                   "students is a few MiB)"),
                             {mib(limits_.totalBytes)}});
    throw WorkbookError({JW_TR("jetwriter",
                               "the workbook's part \"%1\" inflates to more than %2 MiB; "
                               "that is no class list (a class list of ten thousand "
                               "students is a few MiB)"),
                         {name, mib(limits_.partBytes)}});
}

void ReadBudget::sheet() {
    count(sheets_, 1, limits_.sheets,
          JW_TR("jetwriter",
                "the workbook has more than %1 sheets; that is no class list. Copy the list to a "
                "new workbook and give that"));
}

void ReadBudget::sharedString() {
    count(
        sharedStrings_, 1, limits_.sharedStrings,
        JW_TR("jetwriter", "the workbook has more than %1 different texts; that is no class list"));
}

void ReadBudget::relationship() {
    count(relationships_, 1, limits_.zipEntries,
          JW_TR("jetwriter",
                "the workbook names more than %1 parts; a workbook has a few dozen, so the file is "
                "damaged or made to harm"));
}

void ReadBudget::style() {
    count(styles_, 1, limits_.styles,
          JW_TR("jetwriter",
                "the workbook has more than %1 cell styles, more than the spreadsheets make; the "
                "file is damaged or made to harm"));
}

void ReadBudget::cells(std::size_t added) {
    count(cells_, added, limits_.cells,
          JW_TR("jetwriter",
                "the workbook has more than %1 cells; that is no class list. Copy the list to a "
                "new workbook and give that"));
}

void ReadBudget::rows(std::size_t added) {
    count(rows_, added, limits_.rows,
          JW_TR("jetwriter",
                "the workbook's sheets have more than %1 rows in all; that is no class list. Copy "
                "the list to a new workbook and give that"));
}

void ReadBudget::cellText(std::size_t before, std::size_t added) {
    if (sum(before, added) > limits_.cellChars)
        throw WorkbookError({JW_TR("jetwriter",
                                   "a cell of the workbook holds more than %1 characters, where "
                                   "a class list's longest value is a few hundred; the file is "
                                   "damaged or made to harm"),
                             {number(limits_.cellChars)}});
    textRead_ = sum(textRead_, added);
    if (textRead_ > limits_.textBytes) tooMuchText(limits_.textBytes);
}

void ReadBudget::keptText(std::size_t bytes, std::size_t times) {
    textKept_ = sum(textKept_, product(bytes, times));
    if (textKept_ > limits_.textBytes) tooMuchText(limits_.textBytes);
}

void CellText::append(QStringView s) {
    budget_.cellText(static_cast<std::size_t>(text_.size()), static_cast<std::size_t>(s.size()));
    text_ += s;
}

void CellText::append(QChar c, std::size_t count) {
    budget_.cellText(static_cast<std::size_t>(text_.size()), count);
    text_ += QString(static_cast<qsizetype>(count), c);
}

}  // namespace workbook
