// Workbooks read into sheets of cells as the spreadsheet shows them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NumberFormat.h"
#include "Workbook.h"
#include "WorkbookFiles.h"

using workbook::Cell;
using workbook::CellKind;

namespace {

const std::string kNbsp = "\xC2\xA0";

// A cell as the tables below write it: text and numbers as shown, other kinds marked.
std::string described(const Cell& c) {
    switch (c.kind) {
        case CellKind::Empty: return "";
        case CellKind::Text:
        case CellKind::Number: return c.text;
        case CellKind::Boolean: return "<bool " + c.text + ">";
        case CellKind::Date: return "<date " + c.text + ">";
        case CellKind::Error: return "<error " + c.text + ">";
        case CellKind::NoValue: return "<no value>";
    }
    return "?";
}

using Rows = std::vector<std::vector<std::string>>;

struct ExpectedSheet {
    std::string name;
    bool hidden;
    Rows rows;
};

Rows rowsOf(const workbook::Sheet& s) {
    Rows out;
    for (const auto& row : s.rows) {
        auto& r = out.emplace_back();
        for (const Cell& c : row) r.push_back(described(c));
    }
    return out;
}

// Styles of the xlsx cases: s="1" is "00000", s="2" the short date, s="3" "0.00", s="4" text.
std::string xlsx(std::vector<XlsxBook::Sheet> sheets, std::vector<std::string> strings) {
    XlsxBook b;
    b.sheets = std::move(sheets);
    b.strings = std::move(strings);
    b.numberFormats = {0, 164, 14, 2, 49};
    b.customFormats = {{164, "00000"}};
    return b.bytes();
}

// An .ods table row of text cells.
std::string odsRow(const std::vector<std::string>& texts) {
    std::string out = "<table:table-row>";
    for (const std::string& t : texts)
        out += t.empty() ? "<table:table-cell/>"
                         : "<table:table-cell office:value-type=\"string\"><text:p>" +
                               xmlEscaped(t) + "</text:p></table:table-cell>";
    return out + "</table:table-row>";
}

struct Case {
    const char* name;
    std::string bytes;
    workbook::Format format;
    std::vector<ExpectedSheet> sheets;
};

const std::string kHeaderXlsx =
    R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c></row>)";

std::vector<Case> cases() {
    using workbook::Format;
    std::vector<Case> out;
    out.push_back(Case{
        "XlsxZeroPaddedAndPlainNumbers",
        xlsx({{"Группа 1",
               kHeaderXlsx +
                   R"(<row r="2"><c r="A2" s="1"><v>123</v></c><c r="B2" t="s"><v>2</v></c></row>
                   <row r="3"><c r="A3" s="1"><v>456789</v></c><c r="B3" s="3"><v>1.5</v></c></row>
                   <row r="4"><c r="A4"><v>2024</v></c><c r="B4"><v>123456789012</v></c></row>
                   <row r="5"><c r="A5"><v>0.30000000000000004</v></c><c r="B5" s="4"><v>77</v></c></row>)"}},
             {"Номер зачетки", "ФИО", "Иванов Иван"}),
        Format::Xlsx,
        {{"Группа 1",
          false,
          {{"Номер зачетки", "ФИО"},
           {"00123", "Иванов Иван"},
           {"456789", "1,50"},
           {"2024", "123456789012"},
           {"0,3", "77"}}}}});
    out.push_back(Case{
        "XlsxTextCellsOfEveryKind",
        xlsx(
            {{"Лист1",
              R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="inlineStr"><is><t>ЗК-7</t></is></c>
                   <c r="C1" t="inlineStr"><is><r><t>Пет</t></r><r><rPr><b/></rPr><t>ров</t></r><rPh><t>ペ</t></rPh></is></c>
                   <c r="D1" t="str"><f>A1&amp;"x"</f><v>00123x</v></c><c r="E1" t="b"><v>1</v></c></row>)"}},
            {"00123"}),
        Format::Xlsx,
        {{"Лист1", false, {{"00123", "ЗК-7", "Петров", "00123x", "<bool ИСТИНА>"}}}}});
    out.push_back(Case{
        "XlsxTitleRowsAndGapsKeepTheirPlaces",
        xlsx({{"Список",
               R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>
                   <row r="3"><c r="B3" t="s"><v>1</v></c><c r="C3" t="s"><v>2</v></c></row>
                   <row r="4"><c r="B4" s="1"><v>7</v></c><c r="C4" t="s"><v>3</v></c></row>)"}},
             {"Список группы ПДД-24/1", "№ зачетки", "ФИО", "Сидоров"}),
        Format::Xlsx,
        {{"Список",
          false,
          {{"Список группы ПДД-24/1"}, {}, {"", "№ зачетки", "ФИО"}, {"", "00007", "Сидоров"}}}}});
    out.push_back(Case{
        "XlsxTwoSheetsOneHidden",
        xlsx(
            {{"Титул", R"(<row><c t="s"><v>0</v></c></row>)"},
             {"Скрытый", R"(<row><c t="s"><v>0</v></c></row>)", true},
             {"Группа 2",
              R"(<row><c t="s"><v>1</v></c><c><v>5</v></c></row><row><c s="1"><v>9</v></c></row>)"}},
            {"Автошкола", "StBook"}),
        Format::Xlsx,
        {{"Титул", false, {{"Автошкола"}}},
         {"Скрытый", true, {{"Автошкола"}}},
         {"Группа 2", false, {{"StBook", "5"}, {"00009"}}}}});
    out.push_back(Case{
        "XlsxFormulaDateErrorAndNoValue",
        xlsx(
            {{"Группа 1",
              R"(<row r="7"><c r="A7" s="1"><f>B7+1</f><v>122</v></c><c r="B7" s="2"><v>45363</v></c>
                   <c r="C7" t="e"><f>1/0</f><v>#DIV/0!</v></c><c r="D7"><f>A7</f></c><c r="E7"><f>A7</f><v></v></c>
                   <c r="F7" s="2"/><c r="G7" t="s"><v>0</v></c></row>)"}},
            {"a_x000D_b"}),
        Format::Xlsx,
        {{"Группа 1",
          false,
          {{},
           {},
           {},
           {},
           {},
           {},
           {"00122", "<date 12.03.2024>", "<error #DIV/0!>", "<no value>", "<no value>", "",
            "a\rb"}}}}});
    // A number keeps its digits whatever the format shows; the text only says what it is.
    out.push_back(Case{
        "NumbersShownWithAnExponentKeepTheirDigits",
        [] {
            XlsxBook b;
            b.sheets = {
                {"a", R"(<row><c s="1"><v>123456789012</v></c><c s="2"><v>123456789012</v></c>
                   <c s="1"><v>0.00012</v></c><c s="2"><v>1E+20</v></c><c s="1" t="s"><v>0</v></c></row>)"}};
            b.strings = {"1,23457E+11"};
            b.numberFormats = {0, 11, 164};
            b.customFormats = {{164, "0.00000E+00;-0.00000E+00"}};
            return b.bytes();
        }(),
        Format::Xlsx,
        {{"a", false, {{"123456789012", "123456789012", "0,00012", "1E+20", "1,23457E+11"}}}}});
    out.push_back(Case{"OdsNumbersShownWithAnExponentKeepTheirDigits",
                       [] {
                           OdsBook b;
                           b.sheets = {{"a", R"(<table:table-row>
                <table:table-cell office:value-type="float" office:value="123456789012"><text:p>1.23457E+11</text:p></table:table-cell>
                <table:table-cell office:value-type="float" office:value="123456789012"><text:p>1,23457E+11</text:p></table:table-cell>
                <table:table-cell office:value-type="float" office:value="0.5"><text:p>5,00E-01</text:p></table:table-cell>
                <table:table-cell office:value-type="string"><text:p>1.23457E+11</text:p></table:table-cell>
                </table:table-row>)"}};
                           return b.bytes();
                       }(),
                       Format::Ods,
                       {{"a", false, {{"123456789012", "123456789012", "0,5", "1.23457E+11"}}}}});
    out.push_back(Case{"OdsZeroPaddedTextAndRepeats",
                       [] {
                           OdsBook b;
                           b.sheets = {
                               {"Группа 1", odsRow({"Номер зачетки", "ФИО", "Группа"}) +
                                                R"(<table:table-row table:number-rows-repeated="2">
                           <table:table-cell office:value-type="float" office:value="123"><text:p>00123</text:p></table:table-cell>
                           <table:table-cell office:value-type="string"><office:annotation><text:p>примечание</text:p></office:annotation><text:p>Иванов<text:s text:c="2"/><text:span>Иван</text:span></text:p></table:table-cell>
                           <table:table-cell table:number-columns-repeated="2" office:value-type="string"><text:p>1А</text:p></table:table-cell>
                           <table:table-cell table:number-columns-repeated="1020"/>
                         </table:table-row>
                         <table:table-row table:number-rows-repeated="1048000"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>)"}};
                           return b.bytes();
                       }(),
                       Format::Ods,
                       {{"Группа 1",
                         false,
                         {{"Номер зачетки", "ФИО", "Группа"},
                          {"00123", "Иванов  Иван", "1А", "1А"},
                          {"00123", "Иванов  Иван", "1А", "1А"}}}}});
    out.push_back(Case{"OdsTwoSheetsDatesErrorsAndMergedCells",
                       [] {
                           OdsBook b;
                           b.sheets = {{"Скрытый", odsRow({"x"}), true},
                                       {"Группа 1", odsRow({"StBook", "StName"}) +
                                                        R"x(<table:table-row>
                           <table:table-cell office:value-type="date" office:date-value="2024-03-12"><text:p>12.03.2024</text:p></table:table-cell>
                           <table:table-cell table:formula="of:=1/0" office:value-type="string" office:string-value="" calcext:value-type="error"><text:p>#DIV/0!</text:p></table:table-cell>
                           <table:table-cell table:formula="of:=X()" office:value-type="string"><text:p>Err:508</text:p></table:table-cell>
                           <table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>слитые</text:p></table:table-cell>
                           <table:covered-table-cell/>
                           <table:table-cell office:value-type="float" office:value="42"/>
                           <table:table-cell office:value-type="boolean" office:boolean-value="false"><text:p>ЛОЖЬ</text:p></table:table-cell>
                         </table:table-row>)x"}};
                           return b.bytes();
                       }(),
                       Format::Ods,
                       {{"Скрытый", true, {{"x"}}},
                        {"Группа 1",
                         false,
                         {{"StBook", "StName"},
                          {"<date 12.03.2024>", "<error #DIV/0!>", "<error Err:508>", "слитые", "",
                           "42", "<bool ЛОЖЬ>"}}}}});
    return out;
}

TEST(Workbook, ReadsEachCaseAsTheSpreadsheetShowsIt) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const workbook::Workbook book = workbook::readWorkbook(c.bytes);
        EXPECT_EQ(book.format, c.format);
        ASSERT_EQ(book.sheets.size(), c.sheets.size());
        for (std::size_t i = 0; i < c.sheets.size(); ++i) {
            EXPECT_EQ(book.sheets[i].name, c.sheets[i].name);
            EXPECT_EQ(book.sheets[i].hidden, c.sheets[i].hidden) << c.sheets[i].name;
            EXPECT_EQ(rowsOf(book.sheets[i]), c.sheets[i].rows) << c.sheets[i].name;
        }
    }
}

TEST(Workbook, NumberFormats) {
    struct Row {
        double value;
        const char* code;
        std::string shown;
    };
    const Row rows[] = {
        {123, "00000", "00123"},
        {123456, "00000", "123456"},
        {1234, "000-000", "001-234"},
        {0, "00000", "00000"},
        {1.5, "0.00", "1,50"},
        {2.675, "0.00", "2,68"},  // rounded on decimal digits, not on the binary fraction
        {0.5, "0", "1"},
        {-0.4, "0", "0"},
        {1234567.891, "#,##0.00", "1" + kNbsp + "234" + kNbsp + "567,89"},
        {12, "#,##0", "12"},
        {0.125, "0%", "13%"},
        {0, "#", ""},
        {1.5, "#.##", "1,5"},
        {-5, "0", "-5"},
        {-5, "0;(0)", "(5)"},
        {0, "0;-0;\"нет\"", "нет"},
        {1500, "0,", "2"},
        {5, "\"Гр. \"0", "Гр. 5"},
        {5, "[Red]0_)", "5 "},
        {5, "\\№0_₽*ё", "№5 "},  // an escaped, spaced or filled letter taken whole
        {1234.5, "#,##0.00 [$₽-419]", "1" + kNbsp + "234,50 ₽"},
        {12345, "0.00E+00", "1,23E+04"},
        {0.00012, "0.0E+00", "1,2E-04"},
        {12345, "##0.0E+0", "12,3E+3"},
        {123456789012, "General", "123456789012"},
        {1e20, "General", "1E+20"},
        {0.30000000000000004, "General", "0,3"},
        {-2.5, "General", "-2,5"},
        {5, "# ?/?", "5"},       // fractions show as General
        {1e308, "0%", "#NUM!"},  // a hundred times the number is past the largest double
        {5e-324, "0.0E+00", "4,94065645841247E-324"},  // 10^-324 is no double
        {45363, "dd.mm.yyyy", "12.03.2024"},
        {45363.5, "dd.mm.yyyy hh:mm", "12.03.2024 12:00"},
        {45363, "d mmmm yyyy", "12 март 2024"},
        {45363, "ddd dd.mm.yy", "Вт 12.03.24"},
        {0.75, "h:mm AM/PM", "6:00 PM"},
        {0.0006944444, "mm:ss", "01:00"},
        {1.5, "[h]:mm", "36:00"},
        {1, "dd.mm.yyyy", "01.01.1900"},
        {60, "dd.mm.yyyy", "29.02.1900"},  // the day Excel counts that the calendar lacks
        {61, "dd.mm.yyyy", "01.03.1900"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(workbook::formatNumber(r.value, r.code), r.shown) << r.value << " " << r.code;
    EXPECT_EQ(workbook::formatNumber(0, "dd.mm.yyyy", true), "01.01.1904");
    // A number cell's text: as shown, but its own digits where the format shows an exponent.
    const Row cells[] = {
        {123456789012, "0.00E+00", "123456789012"},
        {-123456789012, "0.00E+00;(0.00E+00)", "-123456789012"},
        {0.00012, "0.0E+00", "0,00012"},
        {123, "00000", "00123"},
        {1.5, "0.00", "1,50"},
        {123456789012, "General", "123456789012"},
        {45363, "dd.mm.yyyy", "12.03.2024"},
    };
    for (const Row& r : cells)
        EXPECT_EQ(workbook::numberCellText(r.value, r.code), r.shown) << r.value << " " << r.code;
    EXPECT_FALSE(workbook::pastFifteenDigits(999999999999999));
    EXPECT_TRUE(workbook::pastFifteenDigits(1e15));
    EXPECT_TRUE(workbook::pastFifteenDigits(-1e15));
    EXPECT_EQ(workbook::formatText("ПДД", "\"Гр. \"@"), "Гр. ПДД");
    EXPECT_EQ(workbook::formatText("ПДД", "0;-0;0;[Blue]@\"!\""), "ПДД!");
    EXPECT_EQ(workbook::formatText("ПДД", "0.00"), "ПДД");
}

TEST(Workbook, DateFormatsAreKnownAsDates) {
    EXPECT_TRUE(workbook::isDateFormat(14, "dd.mm.yyyy"));
    EXPECT_TRUE(workbook::isDateFormat(164, "[$-419]d mmmm yyyy"));
    EXPECT_TRUE(workbook::isDateFormat(165, "[h]:mm"));
    EXPECT_FALSE(workbook::isDateFormat(164, "00000"));
    EXPECT_FALSE(workbook::isDateFormat(164, "\"day \"0"));
    EXPECT_FALSE(workbook::isDateFormat(164, "[Red]0.00"));
    EXPECT_FALSE(workbook::isDateFormat(0, "General"));
}

TEST(Workbook, CellNames) {
    EXPECT_EQ(workbook::cellName(7, 3), "C7");
    EXPECT_EQ(workbook::cellName(1, 26), "Z1");
    EXPECT_EQ(workbook::cellName(1, 27), "AA1");
    EXPECT_EQ(workbook::cellName(1048576, 16384), "XFD1048576");
    EXPECT_EQ(jetwriter::english(workbook::cellPlace("Группа 1", 7, 3)),
              "sheet \"Группа 1\", cell C7");
}

}  // namespace
