// rulevion-jetwriter given the workbook itself, as a technician gives the school's list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CsvClassList.h"
#include "Readers.h"
#include "TempDir.h"
#include "WorkbookFiles.h"

namespace fs = std::filesystem;

namespace {

using jetwriter::Row;

ProcessResult tool(const std::vector<std::string>& args, const std::string& lang = "C") {
    std::vector<std::string> all = {"-u", "LC_ALL",   "-u",           "LC_MESSAGES",
                                    "-u", "LANGUAGE", "LANG=" + lang, jetwriterTool()};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess("env", all);
}

Row student(const char* book, const char* name, std::optional<std::string> number = {},
            std::optional<std::string> group = {}) {
    return {std::string(book),
            std::string(name),
            number ? jetwriter::Value(*number) : std::nullopt,
            group ? jetwriter::Value(*group) : std::nullopt,
            std::nullopt,
            std::nullopt};
}

// Shared strings of the xlsx cases, by index.
const std::vector<std::string> kStrings = {
    "Список группы ПДД-24/1",  // 0
    "№ п/п",                   // 1
    "ФИО",                     // 2
    "Номер зачетки",           // 3
    "Группа",                  // 4
    "Иванов Иван",             // 5
    "Ёлкина Алёна",            // 6
    "ПДД-24/1",                // 7
    "ЗК-0042",                 // 8
    "Автошкола «Руль»",        // 9
};

// Styles: s="1" is "00000", s="2" the short date, s="3" an exponent ("0.00E+00").
std::string xlsx(std::vector<XlsxBook::Sheet> sheets) {
    XlsxBook b;
    b.sheets = std::move(sheets);
    b.strings = kStrings;
    b.numberFormats = {0, 164, 14, 11};
    b.customFormats = {{164, "00000"}};
    return b.bytes();
}

// The class list as Excel keeps it: a title, an empty row, the header in row 3, the record-book
// numbers in column C; `row7` is the third student's row.
std::string groupSheet(const std::string& row7) {
    return R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>
              <row r="3"><c r="A3" t="s"><v>1</v></c><c r="B3" t="s"><v>2</v></c><c r="C3" t="s"><v>3</v></c><c r="D3" t="s"><v>4</v></c></row>
              <row r="4"><c r="A4"><v>1</v></c><c r="B4" t="s"><v>5</v></c><c r="C4" s="1"><v>123</v></c><c r="D4" t="s"><v>7</v></c></row>
              <row r="5"><c r="A5"><v>2</v></c><c r="B5" t="s"><v>6</v></c><c r="C5" t="s"><v>8</v></c><c r="D5" t="s"><v>7</v></c></row>
              <row r="7"><c r="A7"><v>3</v></c><c r="B7" t="inlineStr"><is><t>Петров Пётр</t></is></c>)" +
           row7 + R"(<c r="D7" t="s"><v>7</v></c></row>)";
}

std::string workbookFile(const char* name) {
    return readFile(fs::path(std::getenv("RV_TEST_DATA")) / "workbooks" / name);
}

std::string odsCell(const std::string& text) {
    return "<table:table-cell office:value-type=\"string\"><text:p>" + text +
           "</text:p></table:table-cell>";
}

struct Good {
    const char* name;
    std::string bytes;
    std::vector<Row> students;
    std::vector<std::string> report;  // parts of the report, in English
};

std::vector<Good> goodWorkbooks() {
    const std::vector<Row> group = {
        student("00123", "Иванов Иван", "1", "ПДД-24/1"),
        student("ЗК-0042", "Ёлкина Алёна", "2", "ПДД-24/1"),
        student("00077", "Петров Пётр", "3", "ПДД-24/1"),
    };
    return {
        {"XlsxZeroPaddedTextAndTitleRow",
         xlsx({{"Группа 1", groupSheet(R"(<c r="C7" s="1"><v>77</v></c>)")}}),
         group,
         {"Wrote 3 student(s)", "Read the workbook", ": sheet \"Группа 1\"."}},
        {"XlsxListOnTheSecondSheet",
         xlsx({{"Титул", R"(<row><c t="s"><v>9</v></c></row>)"},
               {"Группа 1", groupSheet(R"(<c r="C7" s="1"><v>77</v></c>)")}}),
         group,
         {": sheet \"Группа 1\"."}},
        {"XlsxFormulasGiveTheirSavedResults",
         xlsx({{"Группа 1",
                groupSheet(R"(<c r="C7" t="str"><f>TEXT(A7*77/3,"00000")</f><v>00077</v></c>)")}}),
         group,
         {"Wrote 3 student(s)"}},
        // Numbers held as numbers without a format lose their leading zeros in the workbook too.
        {"XlsxShortNumberAmongLongOnesIsReported",
         xlsx({{"Лист1", R"(<row><c t="s"><v>3</v></c><c t="s"><v>2</v></c></row>
                          <row><c><v>12345</v></c><c t="s"><v>5</v></c></row>
                          <row><c><v>23456</v></c><c t="s"><v>6</v></c></row>
                          <row><c><v>34567</v></c><c t="s"><v>5</v></c></row>
                          <row><c><v>123</v></c><c t="s"><v>6</v></c></row>)"}}),
         {student("12345", "Иванов Иван"), student("23456", "Ёлкина Алёна"),
          student("34567", "Иванов Иван"), student("123", "Ёлкина Алёна")},
         {"Wrote 4 student(s)",
          "sheet \"Лист1\", cell A5: the record-book number \"123\" is shorter than most (5 "
          "digits)"}},
        // Text that shows an exponent kept only what it shows: that student is left out, the
        // rest of the class written, and the report ends with who cannot sign in.
        {"XlsxTextInExponentFormLeavesOneStudentOut",
         xlsx({{"Группа 1",
                groupSheet(R"(<c r="C7" t="inlineStr"><is><t>1,23457E+11</t></is></c>)")}}),
         {group[0], group[1]},
         {"Wrote 2 student(s)", "Not written (their record-book numbers have lost their digits):",
          "sheet \"Группа 1\", cell C7: the record-book number \"1,23457E+11\" is in exponent "
          "form",
          "type the numbers again into cells formatted as text",
          "\n1 student(s) cannot sign in: row 7 (Петров Пётр).\n"}},
        // A number shown with an exponent still holds all its digits, and they are its number.
        {"XlsxNumberShownWithAnExponent",
         xlsx({{"Группа 1", groupSheet(R"(<c r="C7" s="3"><v>123456789012</v></c>)")}}),
         {group[0], group[1], student("123456789012", "Петров Пётр", "3", "ПДД-24/1")},
         {"Wrote 3 student(s)"}},
        {"OdsNumberShownWithAnExponent",
         [] {
             OdsBook b;
             b.sheets = {
                 {"Группа 1",
                  "<table:table-row>" + odsCell("StBook") + odsCell("StName") +
                      R"(</table:table-row><table:table-row><table:table-cell office:value-type="float" office:value="123456789012"><text:p>1.23457E+11</text:p></table:table-cell>)" +
                      odsCell("Иванов Иван") + "</table:table-row>"}};
             return b.bytes();
         }(),
         {student("123456789012", "Иванов Иван")},
         {"Wrote 1 student(s)"}},
        // As a school keeps it: saved by the spreadsheet as Excel 97-2003.
        {"XlsSavedByTheSpreadsheet",
         workbookFile("list.xls"),
         {student("00123", "Иванов Иван Иванович", "1", "ПДД-24/1"),
          student("123456789012", "Петрова Анна Сергеевна", "2", "ПДД-24/1"),
          student("ЗК-7", "Сидоров Пётр", "3", "ПДД-24/1"),
          student("2024017", "Ким Ольга", "4", "ПДД-24/1")},
         {"Wrote 4 student(s)", ": sheet \"Группа 1\"."}},
        {"OdsRepeatedCellsAndAHiddenSheet",
         [] {
             OdsBook b;
             b.sheets = {
                 {"Старый", "<table:table-row>" + odsCell("StBook") + "</table:table-row>", true},
                 {"Группа 2",
                  "<table:table-row>" + odsCell("Зачётная книжка") + odsCell("Курсант") +
                      odsCell("Группа") +
                      R"(</table:table-row>
                      <table:table-row><table:table-cell office:value-type="float" office:value="5"><text:p>00005</text:p></table:table-cell>)" +
                      odsCell("Сидоров<text:s/>Семён") +
                      R"(<table:table-cell table:number-columns-repeated="1021"/></table:table-row>
                      <table:table-row table:number-rows-repeated="1048574"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>)"}};
             return b.bytes();
         }(),
         {student("00005", "Сидоров Семён")},
         {"Wrote 1 student(s)", ": sheet \"Группа 2\"."}},
    };
}

TEST(WorkbookTool, EveryStudentOfTheWorkbookIsWritten) {
    for (const Good& c : goodWorkbooks()) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir / "list.xlsx", c.bytes);
        const std::string out = (dir / "db.mdb").string();
        const ProcessResult r = tool({"students", (dir / "list.xlsx").string(), out});
        ASSERT_TRUE(r.finished && r.exitCode == 0) << r.err;
        EXPECT_EQ(r.err, "");
        jetwriter::Table expected = classlist::studentsTable();
        expected.rows = c.students;
        EXPECT_EQ(mdbTool("mdb-export", {out, "Students"}), expectedMdbExport(expected));
        for (const std::string& part : c.report)
            EXPECT_NE(r.out.find(part), std::string::npos) << part << "\nin:\n" << r.out;
    }
}

struct Bad {
    const char* name;
    std::string bytes;
    const char* told;    // part of the message in English
    const char* toldRu;  // the same under a Russian locale
};

std::vector<Bad> badFiles() {
    return {
        {"DateInTheRecordBookColumn",
         xlsx({{"Группа 1", groupSheet(R"(<c r="C7" s="2"><v>45363</v></c>)")}}),
         "sheet \"Группа 1\", cell C7: a date (12.03.2024) where a record-book number belongs",
         "лист «Группа 1», ячейка C7: дата (12.03.2024) вместо номера зачетки"},
        {"FormulaErrorInTheRecordBookColumn",
         xlsx({{"Группа 1",
                groupSheet(R"(<c r="C7" t="e"><f>VLOOKUP(B7,X!A:B,2,0)</f><v>#N/A</v></c>)")}}),
         "sheet \"Группа 1\", cell C7: the formula's result is the error #N/A",
         "лист «Группа 1», ячейка C7: результат формулы — ошибка #N/A"},
        {"NumberPastFifteenDigits",
         xlsx({{"Лист1", R"(<row><c t="s"><v>3</v></c><c t="s"><v>2</v></c></row>
                          <row><c><v>1234567890123456789</v></c><c t="s"><v>5</v></c></row>)"}}),
         "sheet \"Лист1\", cell A2: a number of 19 digits where a record-book number belongs",
         "лист «Лист1», ячейка A2: число из 19 цифр вместо номера зачетки"},
        {"NoSheetWithARecordBookColumn", xlsx({{"Титул", R"(<row><c t="s"><v>9</v></c></row>)"}}),
         "no sheet of the workbook has a record-book column", "ни на одном листе книги нет"},
        {"DamagedExcelOldWorkbook",
         std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'),
         "the Excel 97-2003 workbook (.xls) is damaged and cannot be read",
         "книга Excel 97-2003 (.xls) повреждена"},
        {"ExcelOldWorkbookWithAPassword", workbookFile("password.xls"),
         "the workbook is protected by a password", "книга защищена паролем"},
        {"Bomb",
         [] {
             OdsBook b;
             b.sheets = {
                 {"Группа 1",
                  "<table:table-row>" + odsCell("StBook") + odsCell("StName") +
                      "</table:table-row><table:table-row table:number-rows-repeated="
                      "\"1048575\"><table:table-cell table:number-columns-repeated=\"16384\" "
                      "office:value-type=\"string\"><text:p>x</text:p></table:table-cell>"
                      "</table:table-row>"}};
             return b.bytes();
         }(),
         "the workbook has more than 1000000 cells", "в книге больше 1000000 ячеек"},
    };
}

TEST(WorkbookTool, WhatCannotBeReadIsToldAndNothingWritten) {
    for (const Bad& c : badFiles()) {
        for (const auto& [lang, told] :
             {std::pair{"C", c.told}, std::pair{"ru_RU.UTF-8", c.toldRu}}) {
            SCOPED_TRACE(std::string(c.name) + " " + lang);
            TempDir dir;
            writeFile(dir / "list.xlsx", c.bytes);
            const ProcessResult r =
                tool({"students", (dir / "list.xlsx").string(), (dir / "db.mdb").string()}, lang);
            ASSERT_TRUE(r.finished);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_NE(r.err.find(told), std::string::npos) << r.err;
            EXPECT_FALSE(fs::exists(dir / "db.mdb"));
        }
    }
}

}  // namespace
