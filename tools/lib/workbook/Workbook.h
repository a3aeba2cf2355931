#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Error.h"
#include "Message.h"

namespace workbook {

// What a cell holds, as far as a class list cares.
enum class CellKind {
    Empty,
    Text,
    Number,
    Boolean,
    Date,     // a date or a time: a number shown through a date format
    Error,    // a formula's error value, such as #DIV/0!
    NoValue,  // a formula saved without its result
};

struct Cell {
    CellKind kind = CellKind::Empty;
    // As the spreadsheet shows it (UTF-8): numbers through their number format, with a decimal
    // comma and a no-break space between thousands, as under a Russian locale; but a number the
    // format shows with an exponent has its own digits here (123456789012, not 1,23457E+11).
    std::string text;
    // Number and Date: the value the cell holds.
    double number = 0;
};

struct Sheet {
    std::string name;
    bool hidden = false;
    // rows[r][c] is the cell in row r + 1, column c + 1. Trailing empty cells and rows are left
    // out, so rows may differ in length.
    std::vector<std::vector<Cell>> rows;
};

enum class Format { Xlsx, Ods, Xls };

struct Workbook {
    Format format = Format::Xlsx;
    std::vector<Sheet> sheets;  // in the order of the workbook's tabs
};

// Bounds on what one workbook may make us read and keep; past any of them reading stops with a
// WorkbookError. A class list of 10 000 students in 10 columns is 100 000 cells, a few MiB of XML.
// Together they keep a hostile file's cost well under 100 MB.
struct Limits {
    std::size_t partBytes = std::size_t{16} << 20;   // one XML part, inflated
    std::size_t totalBytes = std::size_t{32} << 20;  // all parts read, inflated
    std::size_t zipEntries = 10'000;                 // a workbook has a few dozen
    std::size_t sheets = 1'000;
    std::size_t cells = 1'000'000;  // cells kept, the empty ones left of a filled one too
    std::size_t cellChars = 4096;   // one cell's text; a class list needs a few hundred
    std::size_t textBytes = std::size_t{16} << 20;  // text read, and text kept in cells
    std::size_t sharedStrings = 200'000;
    std::size_t styles = 65'536;  // cell styles and number formats; Excel makes at most 64 000
    std::size_t xmlDepth = 64;
    std::size_t rows = 1'048'576;  // the largest sheet Excel and Calc make; all sheets' rows kept
    std::size_t columns = 16'384;
};

// A workbook that cannot be read, a file that is none, or a cell the list cannot take; the text is
// meant for the technician. what() gives "place: text" in English.
class WorkbookError : public jetwriter::Error {
public:
    explicit WorkbookError(jetwriter::Message text);
    WorkbookError(jetwriter::Message place, jetwriter::Message text);
    // The sheet and cell meant (see cellPlace), or an empty text.
    const jetwriter::Message& place() const { return place_; }
    const jetwriter::Message& text() const { return text_; }

private:
    jetwriter::Message place_;
    jetwriter::Message text_;
};

// What the first bytes of a file say it is.
enum class FileKind {
    Text,           // none of the others: perhaps a CSV
    Xlsx,           // an Office Open XML workbook
    Ods,            // an OpenDocument spreadsheet
    Xls,            // an OLE2 compound file: Excel 97-2003, or a workbook with a password
    Xlsb,           // an Excel binary workbook
    OtherDocument,  // a zip of another office document (text, presentation)
    Zip,            // any other zip archive
    DamagedZip,     // a zip archive that cannot be opened: damaged or cut short
    Pdf,
    Rtf,
    Markup,  // HTML or XML, such as a sheet saved as a web page
    Image,
    Archive,  // gzip, 7-Zip, RAR
};

FileKind fileKind(std::string_view bytes);

// The same from the signature alone, without opening a zip archive: FileKind::Zip for any.
FileKind signatureKind(std::string_view bytes);

// Why a file of this kind is no class list and how to save one; FileKind::Text, Xlsx, Ods and
// Xls have none (an empty text).
jetwriter::Message refusal(FileKind kind);

// Reads an .xlsx, .ods or .xls workbook from its bytes. Throws WorkbookError for a file of any
// other kind (with refusal()'s text), a damaged one, one protected by a password, or one past
// `limits`.
Workbook readWorkbook(std::string_view bytes, const Limits& limits = {});

// "C7" for row 7, column 3 (both 1-based), as both spreadsheets name cells.
std::string cellName(std::size_t row, std::size_t column);

// «sheet "Группа 1", cell C7».
jetwriter::Message cellPlace(const std::string& sheet, std::size_t row, std::size_t column);

}  // namespace workbook
