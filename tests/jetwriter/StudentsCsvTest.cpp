// The class-list reader: the dialect of the reference CSV files, what spreadsheets export, and
// a precise message for everything else.
#include <gtest/gtest.h>

#include <random>

#include "CaseFold.h"
#include "Cp1251.h"
#include "CsvClassList.h"
#include "NumberDamage.h"
#include "Utf8.h"

using classlist::CsvError;
using classlist::NumberDamage;
using jetwriter::Row;

namespace {

const std::string kHeader = "StBook,StName,StNum,GrNum,StCount,GrCount";

std::string cyrillic(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "Ж";
    return s;
}

// Text as "Unicode text" saves it: a byte-order mark, then UTF-16 code units.
std::string utf16(std::u16string_view text, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += littleEndian ? lo : hi;
        out += littleEndian ? hi : lo;
    }
    return out;
}

struct GoodCsv {
    const char* name;
    std::string csv;
    std::vector<Row> rows;
};

const GoodCsv kGood[] = {
    {"ReferenceDialect",
     kHeader + "\n\"12345\",\"Иванов Иван Иванович\",\"1\",\"Группа 1\",3,12\n"
               "\"ab12\",\"Сидоров Пётр\",\"3\",\"Вечерняя\",-5,15\n",
     {{"12345", "Иванов Иван Иванович", "1", "Группа 1", 3, 12},
      {"ab12", "Сидоров Пётр", "3", "Вечерняя", -5, 15}}},
    {"NullIsBareEmptyAndEmptyTextIsQuoted",
     kHeader + "\n\"N3\",\"\",\"3\",,0,3\n",
     {{"N3", "", "3", std::nullopt, 0, 3}}},
    // Spreadsheets export the unused rows of a sheet as lines of separators.
    {"LinesOfEmptyFieldsPassedOver",
     kHeader + "\n,,,,,\n1,a,2,b,3,4\n\"\",\" \",,,,\n",
     {{"1", "a", "2", "b", 3, 4}}},
    {"TitlesInAnyCaseAndOrder",
     "grcount;STNAME;stbook;Группа;StCount;№\n4;Иван;1;Г;3;2\n",
     {{"1", "Иван", "2", "Г", 3, 4}}},
    {"OnlyRequiredColumns",
     "Номер зачётки\tФ. И. О.\nA-1\tИван\n",
     {{"A-1", "Иван", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}},
    {"TextsTrimmed",
     kHeader + "\n\" 7 \", a , 2,b\t,3,4\n\t8\xC2\xA0,b,2,\"\xC2\xA0"
               "c\",3,4\n",
     {{"7", "a", "2", "b", 3, 4}, {"8", "b", "2", "c", 3, 4}}},
    {"TrailingEmptyFieldsBeyondTheHeader",
     kHeader + "\n1,a,2,b,3,4,,\n",
     {{"1", "a", "2", "b", 3, 4}}},
    {"Cp1251WhenNotUtf8",
     "StBook;StName\n1;\xC8\xE2\xE0\xED \xB8\xB9\n",
     {{"1", "Иван ё№", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}},
    {"Utf16LittleEndian",
     utf16(u"StBook\tStName\r\n1\tЖ\r\n", true),
     {{"1", "Ж", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}},

    {"UnquotedTextAsSpreadsheetsExportIt",
     kHeader + "\n00789,Ёлкина Алёна,4, Выходного дня ,17,6\n",
     {{"00789", "Ёлкина Алёна", "4", "Выходного дня", 17, 6}}},
    {"ByteOrderMarkAndCrLf",
     "\xEF\xBB\xBF" + kHeader + "\r\n\"1\",Иван,2,Г,3,4\r\n",
     {{"1", "Иван", "2", "Г", 3, 4}}},
    {"OldMacLineEnds",
     kHeader + "\r1,a,2,b,3,4\r5,c,6,d,7,8",
     {{"1", "a", "2", "b", 3, 4}, {"5", "c", "6", "d", 7, 8}}},
    {"QuotesCommasAndLineBreaksInsideQuotes",
     kHeader + "\n\"a\"\"b\",\"x, y\",\"l1\nl2\",\"\"\"\",1,2\n",
     {{"a\"b", "x, y", "l1\nl2", "\"", 1, 2}}},
    {"QuotedHeaderAndQuotedCounts",
     "\"StBook\",\"StName\",\"StNum\",\"GrNum\",\"StCount\",\"GrCount\"\n"
     "\"1\",\"n\",\"2\",\"g\",\"3\",\"-4\"\n\"2\",\"m\",\"3\",\"h\",\"\",5\n",
     {{"1", "n", "2", "g", 3, -4}, {"2", "m", "3", "h", std::nullopt, 5}}},
    {"CountsAtTheLimits",
     kHeader + "\na,b,c,d,-2147483648,2147483647\ne,f,g,h,+5,007\n",
     {{"a", "b", "c", "d", INT32_MIN, INT32_MAX}, {"e", "f", "g", "h", 5, 7}}},
    {"EmptyLinesSkippedAndNoFinalLineEnd",
     "\n\n" + kHeader + "\n\n1,a,2,b,3,4\n\r\n\n5,c,6,d,7,8",
     {{"1", "a", "2", "b", 3, 4}, {"5", "c", "6", "d", 7, 8}}},
    {"HeaderOnly", kHeader, {}},
    // Excel lists start with a title, and lines of empty fields around it.
    {"TitleLinesAboveTheHeader",
     "Список группы ПДД-24/1;;;\n;;;\n\nStBook;StName;StNum;GrNum\n1;Иван;2;ПДД-24/1\n",
     {{"1", "Иван", "2", "ПДД-24/1", std::nullopt, std::nullopt}}},
    {"TitleWithoutSeparatorsAboveASemicolonHeader",
     "Список группы\nНомер зачетки;ФИО\n1;Иван, мл.\n",
     {{"1", "Иван, мл.", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}},
    {"TitleWithACommaAboveASemicolonHeader",
     "Группа 1, весна 2024\nStBook;StName\n1;Иван\n",
     {{"1", "Иван", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}},
    // A name or a number that reads like a title further down is data, not a second header.
    {"TitleTextBelowTheHeaderIsData",
     "StBook;StName\nЗачетка;ФИО\n",
     {{"Зачетка", "ФИО", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}},
    {"TextAtFullLength",
     kHeader + "\n" + cyrillic(50) + "," + cyrillic(255) + "," + cyrillic(50) + "," +
         cyrillic(100) + ",1,2\n",
     {{cyrillic(50), cyrillic(255), cyrillic(50), cyrillic(100), 1, 2}}},
};

void PrintTo(const GoodCsv& c, std::ostream* os) {
    *os << c.name;
}

class CsvReads : public testing::TestWithParam<GoodCsv> {};

TEST_P(CsvReads, EveryValueAsWritten) {
    const jetwriter::Table t = classlist::readStudentsCsv(GetParam().csv);
    EXPECT_EQ(t.name, "Students");
    ASSERT_EQ(t.columns.size(), 6u);
    EXPECT_EQ(t.rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Csv, CsvReads, testing::ValuesIn(kGood),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadCsv {
    const char* name;
    std::string csv;
    std::size_t line;
    std::size_t column;
    const char* problem;  // part of the message
};

const std::string kRow = "\"1\",\"Иван\",\"2\",\"Г\",3,4\n";

const BadCsv kBad[] = {
    {"EmptyFile", "", 1, 0, "the file is empty"},
    {"OnlyByteOrderMarkAndBlankLines", "\xEF\xBB\xBF\n\r\n", 1, 0, "the file is empty"},
    {"TooFewFields", kHeader + "\n" + kRow + "1,2,3,4,5\n", 3, 6,
     "missing: the line has 5 fields where the header has 6"},
    {"TooManyFields", kHeader + "\n1,2,3,4,5,6,7\n", 2, 7,
     "too many fields: the line has 7 fields"},
    {"HeaderWithoutRecordBook", "StName,StNum\n", 1, 0, "there is no column StBook"},
    {"HeaderWithoutName", "Номер зачетки;Дата\n", 1, 0, "there is no column StName"},
    {"NoHeaderLine", "12345,Иванов,1,Г,3,4\n", 1, 0, "there is no column StBook"},
    {"TwoColumnsForOne", "StBook;ФИО;Курсант\n", 1, 3, "column 2 is StName too"},
    {"InvalidUtf8AfterByteOrderMark", "\xEF\xBB\xBF" + kHeader + "\n1,caf\xE9,3,4,5,6\n", 2, 2,
     "not valid UTF-8 (byte 4"},
    {"Cp1251UnassignedByte", kHeader + "\n1,2,3,4,5,6\n1,\x98,3,4,5,6\n", 3, 0,
     "neither UTF-8 nor CP1251"},
    {"Utf16CutShort",
     std::string("\xFF\xFE"
                 "S\0\n\0x",
                 7),
     2, 0, "ends in the middle of a character"},
    {"Utf16LoneSurrogate", std::string("\xFE\xFF\0S\0\n\xD8\x00\0x", 10), 2, 0,
     "lone UTF-16 surrogate"},
    {"UnterminatedQuoteAtTheEnd", kHeader + "\n" + kRow + kRow + "\"1\",\"Иван,2,Г,3,4\n", 4, 2,
     "the closing double quote is missing"},
    {"UnterminatedQuoteBeforeMoreRows",
     kHeader + "\n" + kRow + kRow + "\"1\",\"Иван,2,Г,3,4\n" + kRow + kRow, 4, 2,
     "the closing double quote seems to be missing: the quoted text runs on to line 5"},
    {"TextAfterClosingQuote", kHeader + "\n\"ab\"c,2,3,4,5,6\n", 2, 1,
     "text after the closing double quote"},
    {"QuoteInsideBareField", kHeader + "\nab\"c,2,3,4,5,6\n", 2, 1,
     "a double quote in a field that does not start with one"},
    {"CountNotANumber", kHeader + "\n1,2,3,4,abc,6\n", 2, 5, "not a whole number: \"abc\""},
    {"CountWithFraction", kHeader + "\n1,2,3,4,5,3.5\n", 2, 6, "not a whole number: \"3.5\""},
    {"CountWithSpace", kHeader + "\n1,2,3,4, 5,6\n", 2, 5, "not a whole number"},
    {"CountOnlySign", kHeader + "\n1,2,3,4,-,6\n", 2, 5, "not a whole number"},
    {"CountTooLarge", kHeader + "\n1,2,3,4,2147483648,6\n", 2, 5,
     "outside the range -2147483648 to 2147483647"},
    {"CountTooSmall", kHeader + "\n1,2,3,4,5,-2147483649\n", 2, 6, "outside the range"},
    {"CountWithManyDigits", kHeader + "\n1,2,3,4,99999999999999999999999,6\n", 2, 5,
     "outside the range"},
    {"TextTooLong", kHeader + "\n" + std::string(51, 'x') + ",2,3,4,5,6\n", 2, 1,
     "the text is 51 characters long; at most 50 fit"},
    {"CyrillicTextTooLong", kHeader + "\n1,2,3," + cyrillic(101) + ",5,6\n", 2, 4,
     "the text is 101 characters long; at most 100 fit"},
    {"NulInText", kHeader + "\n1,\"a" + std::string(1, '\0') + "b\",3,4,5,6\n", 2, 2,
     "NUL character"},
    // Line numbers count the line breaks inside quoted text and the skipped empty lines.
    {"LineCountAfterMultiLineText", kHeader + "\n1,\"a\nb\nc\",3,4,5,6\n\n1,2,3,4,x,6\n", 6, 5,
     "not a whole number"},
    {"LineCountWithCrLf", kHeader + "\r\n" + "1,2,3,4,5,6\r\n" + "1,2,3,4,5\r\n", 3, 6, "missing"},
    // The header is found below a title, and what it lacks is said on its own line.
    {"HeaderBelowATitleWithoutName", "Список\nStBook;Дата\n", 2, 0, "there is no column StName"},
    {"OnlyEmptyFields", ";;;\n;;\n", 1, 0, "there is no column StBook"},
    // Every number in exponent form: their digits are gone, and no student is left to write.
    {"EveryRecordBookInExponentForm", "StBook;StName\n2,024E+11;a\n\n2,025E+11;b\n", 2, 1,
     "the record-book number \"2,024E+11\" is in exponent form, as a spreadsheet shows a long "
     "number it holds as a number, and so is every other"},
    {"RecordBookInExponentFormWithPoint", kHeader + "\n\" 1.5e+07\",a,,,,\n", 2, 1,
     "exponent form"},
};

void PrintTo(const BadCsv& c, std::ostream* os) {
    *os << c.name;
}

class CsvRefuses : public testing::TestWithParam<BadCsv> {};

TEST_P(CsvRefuses, NamingTheLineAndColumn) {
    const BadCsv& c = GetParam();
    try {
        classlist::readStudentsCsv(c.csv);
        FAIL() << "no error";
    } catch (const CsvError& e) {
        EXPECT_EQ(e.line(), c.line) << e.what();
        EXPECT_EQ(e.column(), c.column) << e.what();
        EXPECT_NE(e.problem().find(c.problem), std::string::npos) << e.what();
        const std::string prefix = "line " + std::to_string(c.line) +
                                   (c.column ? ", column " + std::to_string(c.column) : "");
        EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Csv, CsvRefuses, testing::ValuesIn(kBad),
                         [](const auto& info) { return std::string(info.param.name); });

using Kind = classlist::ClassListNote::Kind;

struct NotesCase {
    const char* name;
    std::string csv;
    std::vector<std::pair<Kind, std::size_t>> notes;  // kind and line, in order
    const char* someText;                             // part of one of the notes
};

const NotesCase kNotes[] = {
    {"ColumnsPassedOverAndMissing",
     "StBook;Дата рождения;;ФИО\n1;2;3;4\n",
     {{Kind::ColumnPassedOver, 1},
      {Kind::ColumnPassedOver, 1},
      {Kind::ColumnMissing, 1},
      {Kind::ColumnMissing, 1},
      {Kind::CountsMissing, 1}},
     "\"Дата рождения\" is not a column of the class list"},
    {"CountsMissingIsOneQuietNote",
     "StBook;StName;StNum;GrNum;GrCount\n1;a;2;b;3\n",
     {{Kind::CountsMissing, 1}},
     "no StCount in the list; left empty"},
    {"EmptyFieldLinesButNotEmptyLines",
     kHeader + "\n\n,,,,,\n1,a,,,,\n\r\n , ,,,,\n",
     {{Kind::EmptyLine, 3}, {Kind::EmptyLine, 6}},
     "only empty fields"},
    {"OnlyPassedOverColumnsFilled",
     "StBook;StName;Дата\n;;01.01\n1;a;\n",
     {{Kind::ColumnPassedOver, 1},
      {Kind::ColumnMissing, 1},
      {Kind::ColumnMissing, 1},
      {Kind::CountsMissing, 1},
      {Kind::EmptyLine, 2}},
     "only columns that are passed over are filled"},
    {"LinesAboveTheHeaderNamed",
     "Список группы ПДД-24/1;;;\n;;;\n\nStBook;StName;StCount;GrCount\n1;a;;\n",
     {{Kind::AboveHeader, 1},
      {Kind::AboveHeader, 2},
      {Kind::ColumnMissing, 4},
      {Kind::ColumnMissing, 4}},
     "\"Список группы ПДД-24/1\" above the header, passed over"},
    {"NamesAndGroupsTrimmed",
     kHeader + "\n1,Иван ,2, Г1,3,4\n",
     {{Kind::BlanksTrimmed, 2}, {Kind::BlanksTrimmed, 2}},
     "blanks around the group \" Г1\" removed"},
    {"BlanksTrimmedAndNoNumber",
     kHeader + "\n 1,a,,,,\n,b,,,,\n\"  \",c,,,,\n",
     {{Kind::BlanksTrimmed, 2},
      {Kind::NoRecordBook, 3},
      {Kind::BlanksTrimmed, 4},
      {Kind::NoRecordBook, 4}},
     "blanks around the record-book number \" 1\" removed"},
    {"DuplicatesWithBothLines",
     kHeader + "\nab1,a,,,,\nx,b,,,,\nAB1 ,c,,,,\nab1,d,,,,\n",
     {{Kind::BlanksTrimmed, 4}, {Kind::Duplicate, 4}, {Kind::Duplicate, 5}},
     "the record-book number \"AB1\" is on line 2 already (letter case aside); only the "
     "student on line 2 can sign in"},
};

// Numbers as Excel saves a column it holds as numbers, among sound ones.
struct DamageCase {
    const char* name;
    std::vector<std::string> numbers;
    std::vector<std::pair<std::size_t, NumberDamage>> damaged;  // index and kind
};

const DamageCase kDamage[] = {
    {"LeadingZerosLost",
     {"00123", "00124", "125", "00126", "7"},
     {{2, NumberDamage::LeadingZerosLost}, {4, NumberDamage::LeadingZerosLost}}},
    {"DecimalZeroWithPointOrComma",
     {"2024.0", "2025,00", "2026.5", "2027,"},
     {{0, NumberDamage::DecimalZero}, {1, NumberDamage::DecimalZero}}},
    {"ExponentForm",
     {"1,23457E+11", "1.2e-05", "12E4", "1E+", "E+5", "1,2,3E+4"},
     {{0, NumberDamage::ExponentForm}, {1, NumberDamage::ExponentForm}}},
    // No usual length: too few numbers, or no length most of them share.
    {"TwoLongOneShort", {"00123", "00124", "125"}, {}},
    {"NoMajority", {"1", "22", "333", "4444", "55555", "55555"}, {}},
    {"LettersAreNotNumbers", {"ЗК-00123", "ЗК-00124", "ЗК-00125", "ЗК-1", "A1"}, {}},
};

TEST(CsvNumberDamage, PatternsOfASpreadsheetsNumbers) {
    for (const DamageCase& c : kDamage) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string_view> numbers(c.numbers.begin(), c.numbers.end());
        std::vector<std::pair<std::size_t, NumberDamage>> got;
        for (const auto& d : classlist::findNumberDamage(numbers))
            got.emplace_back(d.index, d.damage);
        EXPECT_EQ(got, c.damaged);
    }
}

// In a class list: each damaged number noted on its line, and counted among the students who
// may not sign in with them those without a number and the duplicates, each line once.
TEST(CsvNumberDamage, NotedLineByLineAndCounted) {
    const classlist::ClassList list = classlist::readClassList(
        "StBook;StName\n00123;a\n00124;b\n125;c\n00126;d\n2024,0;e\n;f\n00123;g\n");
    std::vector<std::pair<Kind, std::size_t>> got;
    for (const auto& n : list.notes) got.emplace_back(n.kind, n.line);
    const std::vector<std::pair<Kind, std::size_t>> expected = {
        {Kind::ColumnMissing, 1}, {Kind::ColumnMissing, 1}, {Kind::CountsMissing, 1},
        {Kind::NoRecordBook, 7},  {Kind::Duplicate, 8},     {Kind::DamagedNumber, 4},
        {Kind::DamagedNumber, 6},
    };
    EXPECT_EQ(got, expected);
    EXPECT_EQ(list.table.rows.size(), 7u);
    // The one without a number and the duplicate cannot sign in at all; two more may not.
    EXPECT_EQ(classlist::studentsLockedOut(list).size(), 2u);
    EXPECT_EQ(classlist::studentsAtRisk(list), 2u);
    const std::string text = english(list.notes[5].text);
    EXPECT_NE(text.find("\"125\" is shorter than most (5 digits)"), std::string::npos) << text;
}

// A spreadsheet that held long numbers as numbers saves them in exponent form: those students'
// digits are gone and they are not written, the rest of the class is; who cannot sign in is
// named by line and name, in the order of the lines.
TEST(CsvNumberDamage, ExponentRowsLeftOutTheRestWritten) {
    const classlist::ClassList list = classlist::readClassList(
        "StBook;StName\n202400000001;Иванов\n2,024E+11;Петров\n;Сидоров\n"
        "202400000003;Орлов\n 1.5e+07 ;Котов\n");
    ASSERT_EQ(list.table.rows.size(), 3u);
    EXPECT_EQ(std::get<std::string>(*list.table.rows[0][0]), "202400000001");
    EXPECT_EQ(std::get<std::string>(*list.table.rows[2][0]), "202400000003");
    std::vector<std::pair<std::size_t, std::string>> lockedOut;
    for (const auto& n : classlist::studentsLockedOut(list))
        lockedOut.emplace_back(n.line, n.student);
    const std::vector<std::pair<std::size_t, std::string>> expected = {
        {3, "Петров"}, {4, "Сидоров"}, {6, "Котов"}};
    EXPECT_EQ(lockedOut, expected);
    EXPECT_EQ(classlist::studentsAtRisk(list), 0u);
    const auto lost = std::find_if(list.notes.begin(), list.notes.end(),
                                   [](const auto& n) { return n.kind == Kind::DigitsLost; });
    ASSERT_NE(lost, list.notes.end());
    EXPECT_EQ(lost->column, 1u);
    EXPECT_NE(english(lost->text).find("\"2,024E+11\" is in exponent form"), std::string::npos);
}

void PrintTo(const NotesCase& c, std::ostream* os) {
    *os << c.name;
}

class CsvNotes : public testing::TestWithParam<NotesCase> {};

TEST_P(CsvNotes, SayWhatWasPassedOverOrIsDoubtful) {
    const classlist::ClassList list = classlist::readClassList(GetParam().csv);
    std::vector<std::pair<Kind, std::size_t>> got;
    bool textFound = false;
    for (const auto& n : list.notes) {
        got.emplace_back(n.kind, n.line);
        textFound |= english(n.text).find(GetParam().someText) != std::string::npos;
    }
    EXPECT_EQ(got, GetParam().notes);
    EXPECT_TRUE(textFound);
}

INSTANTIATE_TEST_SUITE_P(Csv, CsvNotes, testing::ValuesIn(kNotes),
                         [](const auto& info) { return std::string(info.param.name); });

// Only the first of two numbers the sign-in takes for equal can sign in; the reader must call
// them duplicates exactly then, whatever the letters.
TEST(CsvDuplicates, FoundWithTheSignInsFold) {
    const std::vector<std::string> numbers = {"ab1", "AB1", "Ab1 x", "ЗК-1", "зк-1", "Ёж",
                                              "ёж",  "еж",  "ЯЯ",    "яя",   "ß1",   "SS1",
                                              "Ї9",  "ї9",  "Ђ",     "ђ",    "1",    "01"};
    for (const std::string& a : numbers) {
        for (const std::string& b : numbers) {
            const std::string csv = "StBook,StName\n\"" + a + "\",x\n\"" + b + "\",y\n";
            const classlist::ClassList list = classlist::readClassList(csv);
            ASSERT_EQ(list.table.rows.size(), 2u);
            const bool noted = std::any_of(list.notes.begin(), list.notes.end(),
                                           [](const auto& n) { return n.kind == Kind::Duplicate; });
            EXPECT_EQ(noted, cp1251::equalIgnoringCase(cp1251::fromUtf8(a), cp1251::fromUtf8(b)))
                << a << " / " << b;
        }
    }
}

TEST(CsvSpreadsheets, EncodingAndSeparatorAreFound) {
    const struct {
        std::string bytes;
        classlist::Encoding encoding;
        char separator;
    } cases[] = {
        {"StBook,StName\n1,a\n", classlist::Encoding::Utf8, ','},
        {"\xEF\xBB\xBFStBook;StName\n1;a,b\n", classlist::Encoding::Utf8WithBom, ';'},
        {"\"St,Book\"\tStBook\tStName\t;x\n", classlist::Encoding::Utf8, '\t'},
        {"\xB9;\xD4\xC8\xCE;x,y;StBook\n", classlist::Encoding::Cp1251, ';'},
        {utf16(u"StBook\tStName\n", true), classlist::Encoding::Utf16Le, '\t'},
        {utf16(u"StBook;StName\n", false), classlist::Encoding::Utf16Be, ';'},
    };
    for (const auto& c : cases) {
        const classlist::ClassList list = classlist::readClassList(c.bytes);
        EXPECT_EQ(list.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(list.separator, c.separator) << c.bytes;
    }
}

TEST(CsvMessages, NameTheColumnByItsHeader) {
    try {
        classlist::readStudentsCsv(kHeader + "\n1,2,3,4,5,x\n");
        FAIL() << "no error";
    } catch (const CsvError& e) {
        EXPECT_STREQ(
            e.what(),
            "line 2, column 6 (GrCount): not a whole number: \"x\"; write digits only, or leave "
            "it empty");
    }
}

// Whatever the bytes, the reader either gives rows that the writer accepts or a CsvError;
// nothing else escapes and nothing is read out of bounds (the sanitizer builds check that).
TEST(CsvRobustness, MutatedInputGivesRowsOrACsvError) {
    const std::string seedText = kHeader + "\r\n\"А-100\",\"Петрова \"\"Анна\"\"\",2,,0,8\n" +
                                 "ab12,,3,\"Вечер\nняя\",-5,15\n,,,,,\n";
    static const char kBytes[] = "\",\r\n\0-+09aЖ\xD0\xEF\xBB\xBF\xFF";
    const std::string alphabet(kBytes, sizeof kBytes - 1);
    std::mt19937 rng(20240601);
    std::size_t accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string s = seedText;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = s.empty() ? 0 : rng() % s.size();
            const char c = alphabet[rng() % alphabet.size()];
            switch (rng() % 4) {
                case 0:
                    if (!s.empty()) s[at] = c;
                    break;
                case 1: s.insert(at, 1, c); break;
                case 2:
                    if (!s.empty()) s.erase(at, 1 + rng() % 4);
                    break;
                default: s.resize(at); break;
            }
        }
        try {
            const jetwriter::Table t = classlist::readStudentsCsv(s);
            ++accepted;
            for (const Row& row : t.rows) {
                ASSERT_EQ(row.size(), 6u);
                for (std::size_t c = 0; c < 4; ++c) {
                    if (!row[c]) continue;
                    const auto& text = std::get<std::string>(*row[c]);
                    ASSERT_TRUE(jetwriter::decodeUtf8(text).has_value()) << s;
                }
            }
            ASSERT_NO_THROW(jetwriter::databaseBytes({t})) << s;
        } catch (const CsvError&) {
        }
    }
    // Both outcomes must really occur, or the mutations test nothing.
    EXPECT_GT(accepted, 100u);
    EXPECT_LT(accepted, 19900u);
}

}  // namespace
