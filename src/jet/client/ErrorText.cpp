#include "ErrorText.h"

#include "Cp1251.h"

namespace jet {
namespace {

const char* utf8Text(Error::Code code) {
    using C = Error::Code;
    switch (code) {
        case C::CannotOpenFile:
            return "ОШИБКА\n\nФайл базы данных не найден или не может быть открыт для чтения.";
        // The student is told no more about an encrypted file than about any other he cannot
        // use; the station's check tells the technician what to do.
        case C::NotADatabase:
        case C::Encrypted: return "ОШИБКА\n\nФайл не является базой данных или поврежден.";
        case C::TableNotFound: return "ОШИБКА\n\nТаблица \"%\" не найдена в базе данных.";
        case C::TableUnreadable:
            return "ОШИБКА\n\nТаблица \"%\" в базе данных повреждена или не может быть прочитана.";
        case C::ColumnNotFound: return "ОШИБКА\n\nСтолбец \"%\" отсутствует в таблице.";
        case C::ColumnWrongKind:
            return "ОШИБКА\n\nСтолбец \"%\" имеет тип \"$\": программа не может прочитать его "
                   "значения.";
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

// The kinds as Access names them in its table designer.
const char* kindName(std::uint8_t jetType) {
    switch (jetType) {
        case 0x01: return "Логический";
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x06:
        case 0x07:
        case 0x10: return "Числовой";
        case 0x05: return "Денежный";
        case 0x08: return "Дата/время";
        case 0x09:
        case 0x11: return "Двоичный";
        case 0x0A: return "Текстовый";
        case 0x0B: return "Поле объекта OLE";
        case 0x0C: return "Поле MEMO";
        case 0x0F: return "Код репликации";
        case 0x12: return "Вложение";
    }
    return "неизвестный";
}

void fill(std::string& text, char mark, const std::string& with) {
    if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, 1, with);
}

}  // namespace

std::string errorText(Error::Code code, const std::string& nameCp1251, std::uint8_t jetType) {
    std::string text = cp1251::fromUtf8(utf8Text(code));
    // The kind first: a name may hold any character.
    if (code == Error::Code::ColumnWrongKind) fill(text, '$', cp1251::fromUtf8(kindName(jetType)));
    fill(text, '%', nameCp1251);
    return text;
}

Error makeError(Error::Code code, const std::string& nameCp1251, std::uint8_t jetType) {
    return Error(code, errorText(code, nameCp1251, jetType), nameCp1251);
}

}  // namespace jet
