#include "BenchData.h"

#include "Processes.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bench {
namespace {

const char* const kSurnames[] = {"Иванов",  "Смирнов", "Кузнецов", "Попов",   "Васильев",
                                 "Петров",  "Соколов", "Михайлов", "Новиков", "Фёдоров",
                                 "Морозов", "Волков",  "Алексеев", "Лебедев", "Семёнов"};
const char* const kFirstNames[] = {"Иван",   "Пётр",   "Сергей",  "Алексей", "Дмитрий",
                                   "Андрей", "Михаил", "Николай", "Юрий",    "Олег",
                                   "Егор",   "Артём",  "Фёдор"};
const char* const kPatronymics[] = {"Иванович",  "Петрович",   "Сергеевич", "Алексеевич",
                                    "Андреевич", "Николаевич", "Юрьевич"};

template <std::size_t N>
const char* pick(const char* const (&list)[N], int i) {
    return list[static_cast<std::size_t>(i) % N];
}

// Row i (1-based) of a generated class list.
Student generated(int i) {
    char book[16];
    std::snprintf(book, sizeof book, "%07d", 1000000 + i);
    return {book, std::string(pick(kSurnames, i)) + " " + pick(kFirstNames, i / 15) + " " +
                      pick(kPatronymics, i / 195)};
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

fs::path databaseUnder(const fs::path& drives) {
    return drives / "c" / "dat_ulmo" / "as_dbase" / "trener" / "01" / "dbtrener.mdb";
}

StudentsFile makeGenerated(const fs::path& dir, const std::string& label, int rows) {
    StudentsFile f;
    f.label = label;
    f.source = "our writer";
    f.rows = rows;
    f.drives = dir / ("drives-" + label);
    f.file = databaseUnder(f.drives);
    f.first = generated(1);
    f.middle = generated(rows / 2);
    f.last = generated(rows);
    if (fs::exists(f.file)) return f;

    fs::create_directories(f.file.parent_path());
    std::ostringstream csv;
    csv << "StBook,StName,StNum,GrNum,StCount,GrCount\n";
    for (int i = 1; i <= rows; ++i) {
        const Student s = generated(i);
        csv << '"' << s.book << "\",\"" << s.name << "\",\"" << (i - 1) % 25 + 1 << "\",\"Группа "
            << (i - 1) / 25 + 1 << "\"," << i % 50 << ",25\n";
    }
    const fs::path list = dir / ("students-" + label + ".csv");
    writeText(list, csv.str());
    ChildCommand writer;
    writer.argv = {binDir() + "/rulevion-jetwriter", "students", list.string(), f.file.string()};
    writer.stderrFile = (dir / "writer.log").string();
    if (!runChild(writer).ok())
        throw std::runtime_error("the writer failed on " + list.string() + "; see writer.log");
    return f;
}

// The name in row `row` (1-based) of a class list in the project's CSV form: its second field.
Student studentOf(const std::vector<std::string>& lines, int row) {
    const std::string& line = lines.at(static_cast<std::size_t>(row));
    const std::size_t b0 = line.find('"');
    const std::size_t b1 = line.find('"', b0 + 1);
    const std::size_t n0 = line.find('"', b1 + 1);
    const std::size_t n1 = line.find('"', n0 + 1);
    if (n1 == std::string::npos) throw std::runtime_error("unexpected class list line: " + line);
    return {line.substr(b0 + 1, b1 - b0 - 1), line.substr(n0 + 1, n1 - n0 - 1)};
}

StudentsFile independent(const fs::path& dir) {
    const fs::path source = fs::path(RV_SOURCE_DIR) / "tests/data/jet";
    std::ifstream in(source / "students_big.csv");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    StudentsFile f;
    f.label = "20k-ind";
    f.source = "independent writer";
    f.rows = static_cast<int>(lines.size()) - 1;
    if (f.rows < 2) throw std::runtime_error("cannot read students_big.csv");
    f.drives = dir / "drives-20k-ind";
    f.file = databaseUnder(f.drives);
    f.first = studentOf(lines, 1);
    f.middle = studentOf(lines, f.rows / 2);
    f.last = studentOf(lines, f.rows);
    fs::create_directories(f.file.parent_path());
    fs::copy_file(source / "students_big.mdb", f.file, fs::copy_options::overwrite_existing);
    return f;
}

}  // namespace

BenchData prepareData(const fs::path& dir) {
    BenchData data;
    data.dir = fs::absolute(dir);
    data.station = data.dir / "station";
    fs::create_directories(data.station);
    writeText(data.station / "__monitor.txt", "monitor\r\nstation 01\r\n1\r\n");
    data.files.push_back(makeGenerated(data.dir, "1k", 1000));
    data.files.push_back(makeGenerated(data.dir, "20k", 20000));
    data.files.push_back(makeGenerated(data.dir, "100k", 100000));
    data.files.push_back(independent(data.dir));
    return data;
}

}  // namespace bench
