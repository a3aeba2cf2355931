#include "Text.h"

#include "Cp1251.h"

#include <QList>

namespace ui {

QString toQString(const std::string& cp1251) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1251.size()));
    for (const char c : cp1251) out.append(QChar(static_cast<char16_t>(cp1251::toCodePoint(static_cast<unsigned char>(c)))));
    return out;
}

std::string fromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (const char32_t cp : text.toUcs4()) {
        const int byte = cp1251::fromCodePoint(cp);
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

}  // namespace ui
