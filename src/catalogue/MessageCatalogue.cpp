#include "MessageCatalogue.h"

#include "Cp1251.h"

#include <string_view>

namespace {

// Every text of the program, written here in UTF-8 and handed out as CP1251.
// Blanks at either end and the number of line feeds are part of each text.
constexpr std::string_view kCaption = "Сообщение программы \"Рулевион\"";

struct Entry {
    std::int32_t key;
    std::string_view utf8;
};

constexpr Entry kSlots[] = {
    {slot::kNoDatabaseFile,
     "ОШИБКА\n\nПрограмма не может найти файл базы данных по следующему пути:      \n\n"},
    {slot::kCannotOpenDatabase,
     "ОШИБКА\n\nПрограмма не может открыть базу данных, размещенную по следующему пути:      \n\n"},
    {slot::kNoStudentsTable,
     "ОШИБКА\n\nПрограмма не может найти таблицу курсантов в базе данных.      "},
    {slot::kStudentNotFound,
     "Зачетная книжка не найдена в базе данных."
     "\n\n\nПРЕДУПРЕЖДЕНИЕ\n\n"
     "Если Вы перейдете к ездовым упражнениям, не введя корректный номер зачетной книжки, то "
     "результаты упражнения не будут внесены в базу данных, а выполнение упражнения не будет "
     "засчитано."},
    {slot::kCannotCreateRecord,
     "ОШИБКА\n\nПрограмма не может открыть для записи файл \"db1.out\".   "},
    {slot::kCannotWriteRecord,
     "ОШИБКА\n\nПрограмма не может сделать запись в файл \"db1.out\".   "},
    {slot::kCannotOpenStudents,
     "ОШИБКА\n\nПрограмма не может открыть таблицу курсантов в базе данных.      "},
    {slot::kCannotOpenMonitor,
     "ОШИБКА\n\nПрограмма не может открыть для чтения следующий файл:    \n\n"},
    {slot::kCannotReadMonitor, "ОШИБКА\n\nПрограмма не может прочитать следующий файл:    \n\n"},
    {slot::kWrongMonitor, "ОШИБКА\n\nСледующий файл имеет неправильную структуру:    \n\n"},
    {slot::kDrivingQuestion,
     "ПРЕДУПРЕЖДЕНИЕ\n\nВы ввели информацию в поле зачетной книжки, но не нажали клавишу  "
     "\"OK\",  поэтому результаты упражнения не будут занесены в базу данных, а упражнение "
     "будет считаться невыполненным.\n\nВы действительно хотите перейти к ездовым "
     "упражнениям?"},
};

constexpr Entry kTexts[] = {
    {text::kBoxTitle, kCaption},
    {text::kExitCaption, "В Ы Х О Д"},
    {text::kTrainerCaption, "Т р е н е р"},
    {text::kHelpCaption, "П о м о щ ь"},
    {text::kCannotCreateHandOff,
     "Программа не может создать файл на диске.\n\nПри работе в Vista или Windows7 стартуйте "
     "программу от имени администратора (кликните иконку правой клавишей мышки и выберите эту "
     "опцию или установите флажок в панели Свойства/Совместимость)."},
    {text::kReturnCaption, "В о з в р а т"},
    {text::kCancelCaption, "Отмена"},
    {text::kOkCaption, "ОК"},  // Cyrillic letters
    {text::kPasswordTitle, "Ввод пароля тренера"},
    {text::kPasswordPrompt, "Пожалуйста, введите пароль:"},
    {text::kWrongPassword, "Пароль неправильный"},
    {text::kCannotOpenPasswordFile,
     "ОШИБКА\nПрограмма не может открыть для чтения файл \"vdmdat01.bin\".   "},
    {text::kCannotReadPasswordFile,
     "ОШИБКА\nПрограмма не может прочитать файл \"vdmdat01.bin\".   "},
    {text::kBrokenPasswordFile, "ОШИБКА\nНарушена структура файла \"vdmdat01.bin\".   "},
    {text::kCannotOpenHandOff,
     "ОШИБКА\nПрограмма не может открыть для записи файл \"vdm_out.txt\".   "},
    {text::kCannotWriteHandOff,
     "ОШИБКА\nПрограмма не может сделать запись в файл \"vdm_out.txt\".   "},
    {text::kRecordBookPrompt, " Введите № зачетки:"},
    {text::kSignedInLabel, " Вход для курсанта:"},
    {text::kDrivingCaption, "Ездовые упражнения"},
};

}  // namespace

MessageCatalogue::MessageCatalogue() : caption(cp1251::fromUtf8(kCaption)) {
    for (const Entry& e : kSlots) slotTexts[static_cast<size_t>(e.key)] = cp1251::fromUtf8(e.utf8);
}

const MessageCatalogue& catalogue() {
    static const MessageCatalogue instance;
    return instance;
}

std::string messageText(std::int32_t id) {
    for (const Entry& e : kTexts)
        if (e.key == id) return cp1251::fromUtf8(e.utf8);
    return {};
}
