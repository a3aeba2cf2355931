// Excel 97-2003 workbooks (.xls) as a spreadsheet saves them: read into the same sheets and the
// same class list as the .xlsx and .ods the same spreadsheet saved from the same list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "Workbook.h"
#include "WorkbookClassList.h"
#include "WorkbookFiles.h"

namespace {

std::string workbookFile(const char* name) {
    return readFile(std::filesystem::path(std::getenv("RV_TEST_DATA")) / "workbooks" / name);
}

using Rows = std::vector<std::vector<std::string>>;

// What a reader's sheets say: name, then each cell as kind and text.
std::vector<std::pair<std::string, Rows>> sheetsOf(const workbook::Workbook& book) {
    std::vector<std::pair<std::string, Rows>> out;
    for (const workbook::Sheet& s : book.sheets) {
        Rows rows;
        for (const auto& row : s.rows) {
            auto& r = rows.emplace_back();
            for (const workbook::Cell& c : row)
                r.push_back(std::to_string(static_cast<int>(c.kind)) + ":" + c.text);
        }
        out.emplace_back(s.name, rows);
    }
    return out;
}

TEST(Xls, ReadsAsTheSameSheetsAsTheXlsxAndOdsOfTheSameList) {
    const workbook::Workbook xls = workbook::readWorkbook(workbookFile("list.xls"));
    EXPECT_EQ(xls.format, workbook::Format::Xls);
    ASSERT_EQ(xls.sheets.size(), 2u);
    EXPECT_EQ(xls.sheets[1].rows.at(4).at(1).text, "123456789012");  // shown as 1,23457E+11
    EXPECT_EQ(xls.sheets[1].rows.at(4).at(1).kind, workbook::CellKind::Number);
    for (const char* other : {"list.xlsx", "list.ods"}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(sheetsOf(xls), sheetsOf(workbook::readWorkbook(workbookFile(other))));
    }
}

TEST(Xls, GivesTheSameClassListAsTheXlsx) {
    std::string xlsSheet;
    std::string xlsxSheet;
    const classlist::ClassList xls =
        workbook::readWorkbookClassList(workbookFile("list.xls"), xlsSheet);
    const classlist::ClassList xlsx =
        workbook::readWorkbookClassList(workbookFile("list.xlsx"), xlsxSheet);
    EXPECT_EQ(xlsSheet, "Группа 1");
    EXPECT_EQ(xlsSheet, xlsxSheet);
    EXPECT_EQ(xls.table.rows, xlsx.table.rows);
    EXPECT_EQ(xls.table.rows.size(), 4u);
}

TEST(Xls, PasswordsAndDamageAreToldApart) {
    const std::string list = workbookFile("list.xls");
    const std::string ole(list.substr(0, 512));  // the compound file's header alone
    std::string encryptedXlsx = ole;
    for (const char c : std::string("EncryptedPackage")) encryptedXlsx += {c, '\0'};
    struct Row {
        const char* name;
        std::string bytes;
        const char* told;
    };
    const Row rows[] = {
        {"xls with a password", workbookFile("password.xls"),
         "the workbook is protected by a password"},
        {"xlsx with a password", encryptedXlsx, "the workbook is protected by a password"},
        {"cut in half", list.substr(0, list.size() / 2),
         "the Excel 97-2003 workbook (.xls) is damaged and cannot be read"},
        {"header alone", ole, "the Excel 97-2003 workbook (.xls) is damaged and cannot be read"},
        {"signature alone", list.substr(0, 8),
         "the Excel 97-2003 workbook (.xls) is damaged and cannot be read"},
    };
    for (const Row& r : rows)
        EXPECT_NE(readingOf(r.bytes).find(r.told), std::string::npos) << r.name;
}

// The same budget as the other formats: past a limit, reading stops with its message.
TEST(Xls, ReadWithinTheLimits) {
    const std::string list = workbookFile("list.xls");
    workbook::Limits few;
    few.cells = 20;
    EXPECT_NE(readingOf(list, few).find("more than 20 cells"), std::string::npos);
    few = {};
    few.sheets = 1;
    EXPECT_NE(readingOf(list, few).find("more than 1 sheets"), std::string::npos);
    few = {};
    few.cellChars = 20;  // "Петрова Анна Сергеевна" is 22
    EXPECT_NE(readingOf(list, few).find("more than 20 characters"), std::string::npos);
}

}  // namespace
