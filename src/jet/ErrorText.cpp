#include "ErrorText.h"

#include "Cp1251.h"

namespace jet {
namespace {

const char* utf8Text(Error::Code code) {
    using C = Error::Code;
    switch (code) {
        case C::CannotOpenFile:
            return "ОШИБКА\n\nФайл базы данных не найден или не может быть открыт для чтения.";
        case C::NotADatabase: return "ОШИБКА\n\nФайл не является базой данных или поврежден.";
        case C::TableNotFound: return "ОШИБКА\n\nТаблица \"%\" не найдена в базе данных.";
        case C::TableUnreadable:
            return "ОШИБКА\n\nТаблица \"%\" в базе данных повреждена или не может быть прочитана.";
        case C::ColumnNotFound:
            return "ОШИБКА\n\nСтолбец \"%\" отсутствует в таблице или имеет неверный тип.";
        case C::DamagedData: return "ОШИБКА\n\nДанные в файле базы данных повреждены.";
        case C::NotOpen: return "ОШИБКА\n\nБаза данных или таблица не открыта.";
        case C::NoCurrentRecord: return "ОШИБКА\n\nНет текущей записи.";
        case C::HelperMissing:
            return "ОШИБКА\n\nНе удается запустить программу чтения базы данных.";
        case C::HelperTimedOut:
            return "ОШИБКА\n\nЧтение базы данных не закончилось за отведенное время.\nФайл базы "
                   "данных "
                   "поврежден или не может быть прочитан.";
        case C::HelperCrashed:
        case C::MalformedReply:
        case C::Other: break;
    }
    return "ОШИБКА\n\nФайл базы данных поврежден или не может быть прочитан.";
}

}  // namespace

std::string errorText(Error::Code code, const std::string& nameCp1251) {
    std::string text = cp1251::fromUtf8(utf8Text(code));
    if (const auto at = text.find('%'); at != std::string::npos) text.replace(at, 1, nameCp1251);
    return text;
}

Error makeError(Error::Code code, const std::string& nameCp1251) {
    return Error(code, errorText(code, nameCp1251));
}

}  // namespace jet
