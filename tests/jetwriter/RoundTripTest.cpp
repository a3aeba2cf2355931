// Databases from the writer, read back by two independent readers: mdbtools (the library the
// station itself uses) and the npm package mdb-reader.
#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>

#include <climits>
#include <functional>

#include "CsvClassList.h"
#include "JetWriter.h"
#include "Readers.h"
#include "TempDir.h"

using jetwriter::Column;
using jetwriter::ColumnType;
using jetwriter::Row;
using jetwriter::Table;

namespace {

const char* const kSurnames[] = {"Иванов", "Петрова", "Сидоров", "Ёлкина", "Кузнецов", "Müller"};
const char* const kNames[] = {"Иван", "Анна", "Пётр", "Алёна", "Дмитрий", "Zoë"};

Row studentRow(int i) {
    Row row = {std::string("B") + std::to_string(100000 + i),
               std::string(kSurnames[i % 6]) + " " + kNames[(i / 6) % 6] + " " + std::to_string(i),
               std::to_string(i % 25 + 1),
               "Группа " + std::to_string(i / 25 + 1),
               i % 50 - 10,
               25};
    if (i % 7 == 3) row[1] = std::nullopt;
    if (i % 11 == 5) row[3] = std::string();
    if (i % 13 == 6) row[5] = std::nullopt;
    return row;
}

Table students(std::vector<Row> rows) {
    Table t = classlist::studentsTable();
    t.rows = std::move(rows);
    return t;
}

Table manyStudents(int n) {
    Table t = classlist::studentsTable();
    for (int i = 0; i < n; ++i) t.rows.push_back(studentRow(i));
    return t;
}

std::string repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct RoundTripCase {
    const char* name;
    std::function<std::vector<Table>()> tables;
    bool mdbtoolsReadsAll = true;  // false: text libmdb cannot give back (outside UCS-2)
};

const RoundTripCase kCases[] = {
    {"CyrillicInEveryColumn",
     [] {
         return std::vector<Table>{students({
             {"ЗК-2024/5", "Кузнецов Дмитрий Ёжиков", "пятый", "Группа 2Б", 1, 10},
             {"А-100", "Петрова Анна Сергеевна", "№ 2", "Утренняя-2", 0, 8},
         })};
     }},
    {"EmptyTextsAndNulls",
     [] {
         return std::vector<Table>{students({
             {"", "", "", "", std::nullopt, std::nullopt},
             {std::nullopt, std::nullopt, std::nullopt, std::nullopt, 0, 0},
             {"N3", "", "3", std::nullopt, 0, 3},
             {std::nullopt, "Петров Пётр", std::nullopt, "", std::nullopt, 3},
         })};
     }},
    {"Int32Extremes",
     [] {
         return std::vector<Table>{students({
             {"min", "x", "1", "g", INT32_MIN, INT32_MAX},
             {"max", "y", "2", "g", INT32_MAX, INT32_MIN},
             {"neg", "z", "3", "g", -1, -5},
         })};
     }},
    {"NoRows", [] { return std::vector<Table>{students({})}; }},
    {"OneRow",
     [] {
         return std::vector<Table>{students({{"12345", "Иванов Иван", "1", "Г1", 3, 12}})};
     }},
    {"LatinCompressedAndCyrillicWide",
     [] {
         return std::vector<Table>{students({
             {"12345", "Ivanov Ivan", "ab", "Group 1", 1, 1},
             {"00789", "Ёлкина Алёна", "Ж", "Группа 1", 2, 2},
             {"café", "Ab Пр x", "G2", "Zoë Müller", 3, 3},
         })};
     }},
    {"TextAtFullLength",
     [] {
         return std::vector<Table>{students({
             {repeated("Ж", 50), repeated("Щ", 255), repeated("я", 50), repeated("Ю", 100), 7, 7},
             {repeated("z", 50), repeated("a", 255), repeated("0", 50), repeated("é", 100), 8, 8},
         })};
     }},
    {"QuotesCommasLineBreaks",
     [] {
         return std::vector<Table>{students({
             {"a\"b", "x,y", "line1\nline2", "\"quoted\"", 1, 2},
             {"tab\there", "\xEF\xBB\xBFПр",
              "\xEF\xBB\xBF"
              "abc",
              "  spaces  ", 3, 4},
         })};
     }},
    {"TwoTables",
     [] {
         Table groups{"Groups",
                      {{"GrNum", ColumnType::Text, 100}, {"GrCount", ColumnType::Long}},
                      {{"Группа 1", 12}, {"Группа 2Б", 10}, {std::nullopt, std::nullopt}}};
         return std::vector<Table>{manyStudents(600), groups};
     }},
    {"FiftyThousandRows", [] { return std::vector<Table>{manyStudents(50000)}; }},
    {"OnlyLongColumns",
     [] {
         return std::vector<Table>{Table{"Numbers",
                                         {{"A", ColumnType::Long}, {"B", ColumnType::Long}},
                                         {{1, std::nullopt}, {std::nullopt, -2}, {INT32_MIN, 0}}}};
     }},
    {"OnlyTextColumns",
     [] {
         return std::vector<Table>{Table{
             "Words", {{"W", ColumnType::Text, 10}}, {{"один"}, {std::nullopt}, {""}, {"two"}}}};
     }},
    {"ColumnsBeyondOnePage",
     [] {
         // 150 columns with long names: the table definition spans several pages, and the
         // null mask is 19 bytes.
         Table t{"Wide", {}, {}};
         for (int c = 0; c < 150; ++c) {
             const std::string name = "Колонка_номер_" + std::to_string(c) + "_с_длинным_именем";
             t.columns.push_back({name, c % 3 == 2 ? ColumnType::Long : ColumnType::Text, 20});
         }
         for (int r = 0; r < 3; ++r) {
             Row row;
             for (int c = 0; c < 150; ++c) {
                 if ((c + r) % 5 == 0)
                     row.push_back(std::nullopt);
                 else if (c % 3 == 2)
                     row.push_back(c * 1000 + r);
                 else
                     row.push_back("з" + std::to_string(c) + "-" + std::to_string(r));
             }
             t.rows.push_back(row);
         }
         return std::vector<Table>{t};
     }},
    {"SeventyTables",
     [] {
         // More usage-map rows than one page holds, and a catalogue over two pages.
         std::vector<Table> tables;
         for (int i = 0; i < 70; ++i) {
             tables.push_back(Table{"Таблица_" + std::to_string(i),
                                    {{"Name", ColumnType::Text, 30}, {"N", ColumnType::Long}},
                                    {{"строка " + std::to_string(i), i}}});
         }
         return tables;
     }},
    {"OutsideUcs2",
     [] {
         return std::vector<Table>{students({{"x😀y", "𝄞 music", "1", "g", 1, 1}})};
     },
     false},
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

std::string asText(const QJsonValue& v) {
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}

class RoundTrip : public testing::TestWithParam<RoundTripCase> {};

QJsonArray columnsJson(const Table& t) {
    QJsonArray out;
    for (const Column& c : t.columns) {
        const bool text = c.type == ColumnType::Text;
        out.append(QJsonObject{{"name", QString::fromStdString(c.name)},
                               {"type", text ? "text" : "long"},
                               {"size", text ? 2 * c.maxChars : 4}});
    }
    return out;
}

TEST_P(RoundTrip, BothReadersGiveBackEveryValue) {
    const std::vector<Table> tables = GetParam().tables();
    TempDir dir;
    const std::string file = (dir / "test.mdb").string();
    jetwriter::writeDatabase(file, tables);

    std::string names;
    QJsonArray jsonNames;
    for (const Table& t : tables) {
        names += t.name + "\n";
        jsonNames.append(QString::fromStdString(t.name));
    }
    EXPECT_EQ(mdbTool("mdb-ver", {file}), "JET4\n");
    EXPECT_EQ(mdbTool("mdb-tables", {"-1", file}), names);
    for (const Table& t : tables) {
        EXPECT_EQ(mdbTool("mdb-count", {file, t.name}), std::to_string(t.rows.size()) + "\n");
        if (GetParam().mdbtoolsReadsAll) {
            EXPECT_EQ(mdbTool("mdb-export", {file, t.name}), expectedMdbExport(t)) << t.name;
        }
    }

    const QJsonObject read = readWithMdbReader(file);
    EXPECT_EQ(read["tables"].toArray(), jsonNames);
    EXPECT_EQ(read["password"], QJsonValue::Null);
    for (const Table& t : tables) {
        const QJsonObject got = read["data"][QString::fromStdString(t.name)].toObject();
        EXPECT_EQ(got["columns"].toArray(), columnsJson(t)) << t.name;
        EXPECT_EQ(got["rowCount"].toInteger(), static_cast<qint64>(t.rows.size())) << t.name;
        const QJsonArray rows = got["rows"].toArray();
        const QJsonArray expected = expectedJsonRows(t);
        ASSERT_EQ(rows.size(), expected.size()) << t.name;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i], expected[i])
                << t.name << ", row " << i + 1 << ": " << asText(rows[i]) << " instead of "
                << asText(expected[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Writer, RoundTrip, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
