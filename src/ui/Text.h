#pragma once

#include <QString>
#include <string>

// The boundary between the program's CP1251 texts and the window system's Unicode.
namespace ui {

QString toQString(const std::string& cp1251);

// A character with no CP1251 form becomes '?'.
std::string fromQString(const QString& text);

}  // namespace ui
