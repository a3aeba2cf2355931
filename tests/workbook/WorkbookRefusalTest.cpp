// Files that are no workbook, damaged workbooks and workbook bombs: each ends in a message that
// says what the file is or which limit it passed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Workbook.h"
#include "WorkbookFiles.h"

using workbook::FileKind;

namespace {

std::string ods(const std::string& rows) {
    OdsBook b;
    b.sheets = {{"Группа 1", rows}};
    return b.bytes();
}

std::string xlsxSheet(const std::string& sheetData, std::vector<std::string> strings = {}) {
    XlsxBook b;
    b.sheets = {{"Группа 1", sheetData}};
    b.strings = std::move(strings);
    return b.bytes();
}

TEST(WorkbookRefusal, EachKindOfFileIsKnownBySignatureAndTold) {
    struct Row {
        const char* name;
        std::string bytes;
        FileKind kind;
        const char* told;  // part of the message
    };
    const std::string xlsx = xlsxSheet("");
    const Row rows[] = {
        {"xlsb", zipOf({{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.bin", "\x83\x01"}}),
         FileKind::Xlsb, "Excel binary workbook (.xlsb)"},
        {"docx", zipOf({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", "<w/>"}}),
         FileKind::OtherDocument, "office document but no spreadsheet"},
        {"odt",
         zipOf({{"mimetype", "application/vnd.oasis.opendocument.text", true},
                {"content.xml", "<x/>"}}),
         FileKind::OtherDocument, "office document but no spreadsheet"},
        {"zip", zipOf({{"list.csv", "StBook,StName\n1,a\n"}}), FileKind::Zip,
         "zip archive but neither"},
        {"cut xlsx", xlsx.substr(0, xlsx.size() / 2), FileKind::DamagedZip, "damaged or cut short"},
        {"pdf", "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n", FileKind::Pdf, "PDF document"},
        {"rtf", "{\\rtf1\\ansi Список}", FileKind::Rtf, "Rich Text"},
        {"html", "\xEF\xBB\xBF  <!DOCTYPE html><html><table>", FileKind::Markup, "web page"},
        {"xml 2003", "<?xml version=\"1.0\"?><Workbook>", FileKind::Markup, "web page"},
        {"png", "\x89PNG\r\n\x1A\n", FileKind::Image, "picture"},
        {"gzip", "\x1F\x8B\x08\x00", FileKind::Archive, "compressed archive"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(workbook::fileKind(r.bytes), r.kind);
        try {
            workbook::readWorkbook(r.bytes);
            ADD_FAILURE() << "read";
        } catch (const workbook::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(r.told), std::string::npos) << e.what();
            EXPECT_STREQ(e.text().text, workbook::refusal(r.kind).text);
        }
    }
    EXPECT_EQ(workbook::fileKind(xlsx), FileKind::Xlsx);
    EXPECT_EQ(workbook::fileKind(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)),
              FileKind::Xls);
    EXPECT_EQ(workbook::fileKind(ods("")), FileKind::Ods);
    // Text that merely starts like a signature's first bytes is still text.
    for (const char* text : {"StBook;StName\r\n", "PK;ФИО\n", "<5;a\n", "%;x\n", ""})
        EXPECT_EQ(workbook::fileKind(text), FileKind::Text) << text;
}

TEST(WorkbookRefusal, DamagedWorkbooksNameThePart) {
    struct Row {
        const char* name;
        std::string bytes;
        const char* told;
    };
    const Row rows[] = {
        {"unclosed element", xlsxSheet("<row><c><v>1</v></row>"),
         "part \"xl/worksheets/sheet1.xml\" is no valid XML (line 1: "},
        {"entity declarations",
         zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                {"content.xml",
                 "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">]><x>&a;</x>"}}),
         "part \"content.xml\" declares entities (line 1)"},
        {"shared string out of range", xlsxSheet("<row><c t=\"s\"><v>3</v></c></row>", {"a"}),
         "names a text it does not hold (line 1)"},
        {"number that is none", xlsxSheet("<row><c><v>1,5</v></c></row>"),
         "holds a number that is none (line 1)"},
        {"cell name that is none", xlsxSheet("<row><c r=\"7C\"><v>1</v></c></row>"),
         "holds a cell name that is none (line 1)"},
        {"ods without content",
         zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true}}),
         "part \"content.xml\" is missing"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        try {
            workbook::readWorkbook(r.bytes);
            ADD_FAILURE() << "read";
        } catch (const workbook::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(r.told), std::string::npos) << e.what();
        }
    }
}

// Each limit with a workbook just past it, and the same workbook read under a limit just above.
TEST(WorkbookRefusal, BombsEndAtTheirLimit) {
    struct Row {
        const char* name;
        std::string bytes;
        workbook::Limits past;
        workbook::Limits within;
        const char* told;
    };
    workbook::Limits defaults;
    const auto with = [&](auto set) {
        workbook::Limits l = defaults;
        set(l);
        return l;
    };
    // Two MiB of one repeated letter deflate to a few KiB; one cell takes at most 4096 of them.
    const std::string cellText(4000, 'x');
    std::string bigRows;
    for (int i = 0; i < 525; ++i)
        bigRows += "<row><c t=\"inlineStr\"><is><t>" + cellText + "</t></is></c></row>";
    std::string sheets;
    for (int i = 0; i < 11; ++i)
        sheets += "<table:table table:name=\"s" + std::to_string(i) + "\"/>";
    std::string deep;
    for (int i = 0; i < 40; ++i) deep += "<text:span>";
    deep += "x";
    for (int i = 0; i < 40; ++i) deep += "</text:span>";
    std::vector<std::string> strings(101, "s");
    const Row rows[] = {
        {"part inflates past its limit", xlsxSheet(bigRows),
         with([](auto& l) { l.partBytes = 1 << 20; }), with([](auto& l) { l.partBytes = 3 << 20; }),
         "part \"xl/worksheets/sheet1.xml\" inflates to more than 1 MiB"},
        {"all parts past their limit", xlsxSheet(bigRows),
         with([](auto& l) { l.totalBytes = 2 << 20; }),
         with([](auto& l) { l.totalBytes = 3 << 20; }), "parts inflate to more than 2 MiB in all"},
        {"deep nesting",
         ods("<table:table-row><table:table-cell office:value-type=\"string\"><text:p>" + deep +
             "</text:p></table:table-cell></table:table-row>"),
         with([](auto& l) { l.xmlDepth = 40; }), with([](auto& l) { l.xmlDepth = 64; }),
         "nests elements more than 40 deep"},
        {"many shared strings", xlsxSheet("", strings),
         with([](auto& l) { l.sharedStrings = 100; }), with([](auto& l) { l.sharedStrings = 101; }),
         "more than 100 different texts"},
        {"repeated rows of cells",
         ods("<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell "
             "table:number-columns-repeated=\"10\" office:value-type=\"string\"><text:p>a</text:p>"
             "</table:table-cell></table:table-row>"),
         with([](auto& l) { l.cells = 9999; }), with([](auto& l) { l.cells = 10000; }),
         "more than 9999 cells"},
        {"one cell in the last column", xlsxSheet("<row r=\"9\"><c r=\"XFD9\"><v>1</v></c></row>"),
         with([](auto& l) { l.cells = 16383; }), with([](auto& l) { l.cells = 16384; }),
         "more than 16383 cells"},
        {"long text repeated",
         ods("<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell "
             "table:number-columns-repeated=\"2\" office:value-type=\"string\"><text:p>" +
             cellText + "</text:p></table:table-cell></table:table-row>"),
         with([](auto& l) { l.textBytes = 7 << 20; }), with([](auto& l) { l.textBytes = 8 << 20; }),
         "more than 7 MiB of text"},
        {"long cell of spaces",
         ods("<table:table-row><table:table-cell office:value-type=\"string\"><text:p>a"
             "<text:s text:c=\"1000\"/><text:s text:c=\"1000\"/></text:p></table:table-cell>"
             "</table:table-row>"),
         with([](auto& l) { l.cellChars = 2000; }), with([](auto& l) { l.cellChars = 2001; }),
         "a cell of the workbook holds more than 2000 characters"},
        {"long shared string", xlsxSheet("", {std::string(3000, 'x') + "_x0041_"}),
         with([](auto& l) { l.cellChars = 3006; }), with([](auto& l) { l.cellChars = 3007; }),
         "a cell of the workbook holds more than 3006 characters"},
        {"long number text", xlsxSheet("<row><c><v>" + std::string(2999, '0') + "1</v></c></row>"),
         with([](auto& l) { l.cellChars = 2999; }), with([](auto& l) { l.cellChars = 3000; }),
         "a cell of the workbook holds more than 2999 characters"},
        {"many sheets",
         zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                {"content.xml",
                 "<office:document-content "
                 "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                 "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
                 "<office:body><office:spreadsheet>" +
                     sheets +
                     "</office:spreadsheet></office:body>"
                     "</office:document-content>"}}),
         with([](auto& l) { l.sheets = 10; }), with([](auto& l) { l.sheets = 11; }),
         "more than 10 sheets"},
        {"many zip entries",
         [] {
             std::vector<ZipEntry> parts = {
                 {"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                 {"content.xml", "<x/>"}};
             for (int i = 0; i < 98; ++i) parts.push_back({"p" + std::to_string(i), ""});
             return zipOf(parts);
         }(),
         with([](auto& l) { l.zipEntries = 99; }), with([](auto& l) { l.zipEntries = 100; }),
         "zip archive of more than 99 parts"},
        {"rows in all sheets",
         [] {
             const std::string rows =
                 "<table:table-row table:number-rows-repeated=\"59\"/><table:table-row>"
                 "<table:table-cell office:value-type=\"string\"><text:p>a</text:p>"
                 "</table:table-cell></table:table-row>";
             OdsBook b;
             b.sheets = {{"1", rows}, {"2", rows}};
             return b.bytes();
         }(),
         with([](auto& l) { l.rows = 119; }), with([](auto& l) { l.rows = 120; }),
         "more than 119 rows in all"},
        {"row past the last", xlsxSheet("<row><c r=\"A1048577\"><v>1</v></c></row>"), defaults,
         with([](auto& l) { l.rows = 1048577; }), "past row 1048576 or column 16384"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        try {
            workbook::readWorkbook(r.bytes, r.past);
            ADD_FAILURE() << "read";
        } catch (const workbook::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find(r.told), std::string::npos) << e.what();
        }
        EXPECT_NO_THROW(workbook::readWorkbook(r.bytes, r.within));
    }
}

// The default limits stop a sheet of a hundred million cells in well under a second's work: it
// is a few hundred bytes, and reading ends at the millionth cell.
TEST(WorkbookRefusal, DefaultLimitsStopAHugeRepeatedSheet) {
    const std::string bomb =
        ods("<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
            "table:number-columns-repeated=\"16384\" office:value-type=\"string\"><text:p>a"
            "</text:p></table:table-cell></table:table-row>");
    EXPECT_LT(bomb.size(), 2000u);
    try {
        workbook::readWorkbook(bomb);
        ADD_FAILURE() << "read";
    } catch (const workbook::WorkbookError& e) {
        EXPECT_NE(std::string(e.what()).find("more than 1000000 cells"), std::string::npos)
            << e.what();
    }
}

}  // namespace
