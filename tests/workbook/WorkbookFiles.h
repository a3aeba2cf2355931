#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Workbook.h"

// Small workbooks made for the tests, written with the same zip library the reader uses.

struct ZipEntry {
    std::string name;
    std::string bytes;
    bool stored = false;  // kept as it is, not deflated (as the mimetype of an .ods must be)
};

std::string zipOf(const std::vector<ZipEntry>& entries);

// An .xlsx with one worksheet per sheet. Each sheet gives the XML inside <sheetData>; cells name
// shared strings by index and styles by their index in `numberFormats` (the cellXfs).
struct XlsxBook {
    struct Sheet {
        std::string name;
        std::string sheetData;
        bool hidden = false;
    };
    std::vector<Sheet> sheets;
    std::vector<std::string> strings;
    std::vector<unsigned> numberFormats = {0};                    // cellXfs: numFmtId of each style
    std::vector<std::pair<unsigned, std::string>> customFormats;  // numFmtId >= 164, code
    bool from1904 = false;

    std::string bytes() const;
};

// An .ods with one table per sheet; each gives the XML inside <table:table>.
struct OdsBook {
    struct Sheet {
        std::string name;
        std::string rows;
        bool hidden = false;
    };
    std::vector<Sheet> sheets;

    std::string bytes() const;
};

// XML text: & < > " escaped.
std::string xmlEscaped(const std::string& text);

// What reading `bytes` as a workbook says: the refusal's text, or "read" when it was read.
std::string readingOf(const std::string& bytes, const workbook::Limits& limits = {});
