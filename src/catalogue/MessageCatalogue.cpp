#include "MessageCatalogue.h"

#include "Cp1251.h"

#include <string_view>

namespace {

// Every text of the program, written here in UTF-8 and handed out as CP1251.
// Blanks at either end and the number of line feeds are part of each text.
constexpr std::string_view kCaption = "Сообщение программы \"Рулевион\"";

template <class Id>
struct Entry {
    Id key;
    std::string_view name;  // as the help document's source quotes the text
    std::string_view utf8;
};

constexpr Entry<SlotId> kSlots[] = {
    {slot::kNoDatabaseFile, "NoDatabaseFile",
     "ОШИБКА\n\nПрограмма не может найти файл базы данных по следующему пути:      \n\n"},
    {slot::kCannotOpenDatabase, "CannotOpenDatabase",
     "ОШИБКА\n\nПрограмма не может открыть базу данных, размещенную по следующему пути:      \n\n"},
    {slot::kNoStudentsTable, "NoStudentsTable",
     "ОШИБКА\n\nПрограмма не может найти таблицу курсантов в базе данных.      "},
    {slot::kStudentNotFound, "StudentNotFound",
     "Зачетная книжка не найдена в базе данных."
     "\n\n\nПРЕДУПРЕЖДЕНИЕ\n\n"
     "Если Вы перейдете к ездовым упражнениям, не введя корректный номер зачетной книжки, то "
     "результаты упражнения не будут внесены в базу данных, а выполнение упражнения не будет "
     "засчитано."},
    {slot::kCannotCreateRecord, "CannotCreateRecord",
     "ОШИБКА\n\nПрограмма не может открыть для записи файл \"db1.out\".   "},
    {slot::kCannotWriteRecord, "CannotWriteRecord",
     "ОШИБКА\n\nПрограмма не может сделать запись в файл \"db1.out\".   "},
    {slot::kCannotOpenStudents, "CannotOpenStudents",
     "ОШИБКА\n\nПрограмма не может открыть таблицу курсантов в базе данных.      "},
    {slot::kCannotOpenMonitor, "CannotOpenMonitor",
     "ОШИБКА\n\nПрограмма не может открыть для чтения следующий файл:    \n\n"},
    {slot::kCannotReadMonitor, "CannotReadMonitor",
     "ОШИБКА\n\nПрограмма не может прочитать следующий файл:    \n\n"},
    {slot::kWrongMonitor, "WrongMonitor",
     "ОШИБКА\n\nСледующий файл имеет неправильную структуру:    \n\n"},
    {slot::kDrivingQuestion, "DrivingQuestion",
     "ПРЕДУПРЕЖДЕНИЕ\n\nВы ввели информацию в поле зачетной книжки, но не нажали клавишу  "
     "\"OK\",  поэтому результаты упражнения не будут занесены в базу данных, а упражнение "
     "будет считаться невыполненным.\n\nВы действительно хотите перейти к ездовым "
     "упражнениям?"},
};

constexpr Entry<TextId> kTexts[] = {
    {text::kBoxTitle, "BoxTitle", kCaption},
    {text::kExitCaption, "ExitCaption", "В Ы Х О Д"},
    {text::kTrainerCaption, "TrainerCaption", "Т р е н е р"},
    {text::kHelpCaption, "HelpCaption", "П о м о щ ь"},
    {text::kCannotCreateHandOff, "CannotCreateHandOff",
     "Программа не может создать файл на диске.\n\nПри работе в Vista или Windows7 стартуйте "
     "программу от имени администратора (кликните иконку правой клавишей мышки и выберите эту "
     "опцию или установите флажок в панели Свойства/Совместимость)."},
    {text::kReturnCaption, "ReturnCaption", "В о з в р а т"},
    {text::kCancelCaption, "CancelCaption", "Отмена"},
    {text::kOkCaption, "OkCaption", "ОК"},  // Cyrillic letters
    {text::kPasswordTitle, "PasswordTitle", "Ввод пароля тренера"},
    {text::kPasswordPrompt, "PasswordPrompt", "Пожалуйста, введите пароль:"},
    {text::kWrongPassword, "WrongPassword", "Пароль неправильный"},
    {text::kCannotOpenPasswordFile, "CannotOpenPasswordFile",
     "ОШИБКА\nПрограмма не может открыть для чтения файл \"vdmdat01.bin\".   "},
    {text::kCannotReadPasswordFile, "CannotReadPasswordFile",
     "ОШИБКА\nПрограмма не может прочитать файл \"vdmdat01.bin\".   "},
    {text::kBrokenPasswordFile, "BrokenPasswordFile",
     "ОШИБКА\nНарушена структура файла \"vdmdat01.bin\".   "},
    {text::kCannotOpenHandOff, "CannotOpenHandOff",
     "ОШИБКА\nПрограмма не может открыть для записи файл \"vdm_out.txt\".   "},
    {text::kCannotWriteHandOff, "CannotWriteHandOff",
     "ОШИБКА\nПрограмма не может сделать запись в файл \"vdm_out.txt\".   "},
    {text::kRecordBookPrompt, "RecordBookPrompt", " Введите № зачетки:"},
    {text::kSignedInLabel, "SignedInLabel", " Вход для курсанта:"},
    {text::kDrivingCaption, "DrivingCaption", "Ездовые упражнения"},
    {text::kLayoutCaption, "LayoutCaption", "Раскладка:"},
    {text::kLayoutRussian, "LayoutRussian", "РУС"},
    {text::kLayoutLatin, "LayoutLatin", "ЛАТ"},
    {text::kHelpCloseCaption, "HelpCloseCaption", "Закрыть (Esc)"},
    {text::kCannotOpenHelp, "CannotOpenHelp",
     "Программа не может открыть документ помощи \"vdm03.pdf\".\n\n"
     "Позовите инструктора."},
    {text::kTrainerFailed, "TrainerFailed",
     "Программа тренера не запустилась или завершилась с ошибкой.\n\n"
     "Позовите инструктора."},
    {text::kExercisesFailed, "ExercisesFailed",
     "Ездовые упражнения не запустились или завершились с ошибкой.\n\n"
     "Позовите инструктора."},
    {text::kRetryHint, "RetryHint", "Чтобы войти заново, нажмите «В о з в р а т»"},
};

}  // namespace

MessageCatalogue::MessageCatalogue() : caption(cp1251::fromUtf8(kCaption)) {
    for (const auto& e : kSlots) slotTexts[e.key] = cp1251::fromUtf8(e.utf8);
}

const MessageCatalogue& catalogue() {
    static const MessageCatalogue instance;
    return instance;
}

namespace {
template <class Id, std::size_t N>
std::optional<Id> keyNamed(const Entry<Id> (&entries)[N], std::string_view name) {
    for (const auto& e : entries)
        if (e.name == name) return e.key;
    return std::nullopt;
}
}  // namespace

std::optional<SlotId> slotNamed(std::string_view name) {
    return keyNamed(kSlots, name);
}

std::optional<TextId> textIdNamed(std::string_view name) {
    return keyNamed(kTexts, name);
}

std::vector<std::string_view> slotNames() {
    std::vector<std::string_view> names;
    for (const auto& e : kSlots) names.push_back(e.name);
    return names;
}

std::vector<std::string_view> textNames() {
    std::vector<std::string_view> names;
    for (const auto& e : kTexts) names.push_back(e.name);
    return names;
}

std::string messageText(TextId id) {
    for (const auto& e : kTexts)
        if (e.key == id) return cp1251::fromUtf8(e.utf8);
    return {};
}
