#include "ColumnTitles.h"

#include <string>

#include "CaseFold.h"
#include "Cp1251.h"

namespace classlist {
namespace {

struct Title {
    std::size_t column;
    const char* utf8;
};

// The --help text and the manual pages list these; keep them in step.
constexpr Title kTitles[] = {
    {0, "StBook"},
    {0, "Номер зачетки"},
    {0, "Номер зачетной книжки"},
    {0, "Зачетная книжка"},
    {0, "№ зачетки"},
    {0, "№ зачетной книжки"},
    {0, "Зачетка"},
    {1, "StName"},
    {1, "ФИО"},
    {1, "Фамилия Имя Отчество"},
    {1, "Курсант"},
    {1, "Учащийся"},
    {2, "StNum"},
    {2, "Номер"},
    {2, "№"},
    {2, "№ п/п"},
    {2, "Номер в группе"},
    {3, "GrNum"},
    {3, "Группа"},
    {3, "Номер группы"},
    {3, "№ группы"},
    {4, "StCount"},
    {5, "GrCount"},
};

// Compared in CP1251 with the program's one case fold; a title with characters outside CP1251
// cannot match, as none of ours has any.
std::string key(std::string_view utf8) {
    std::string out;
    for (const char c : cp1251::fromUtf8(utf8)) {
        const auto b = static_cast<unsigned char>(c);
        if (b == ' ' || b == '\t' || b == 0xA0 || b == '.') continue;
        const unsigned char folded = cp1251::foldCase(b);
        out += static_cast<char>(folded == 0xB8 ? 0xE5 : folded);  // ё as е
    }
    return out;
}

}  // namespace

std::optional<std::size_t> columnForTitle(std::string_view utf8Title) {
    const std::string k = key(utf8Title);
    if (k.empty()) return std::nullopt;
    for (const Title& t : kTitles)
        if (key(t.utf8) == k) return t.column;
    return std::nullopt;
}

std::vector<std::string_view> titlesFor(std::size_t column) {
    std::vector<std::string_view> out;
    for (const Title& t : kTitles)
        if (t.column == column) out.emplace_back(t.utf8);
    return out;
}

bool columnIsRequired(std::size_t column) {
    return column <= 1;
}

}  // namespace classlist
