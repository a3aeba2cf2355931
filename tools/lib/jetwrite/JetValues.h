#pragma once

#include <functional>
#include <string>

#include "JetPages.h"
#include "JetWriter.h"

// The caller's columns and values in the form a file of a given format stores them.
namespace jetwriter {

// Names the value or column for a message; only called when there is something to say.
using Where = std::function<std::string()>;

// The type code a column entry and a calculated column's properties give for `type`.
std::uint8_t typeCode(ColumnType type);

// A column's definition, its name stored as the format stores names. `where` names it.
jet::ColumnDef columnDefinition(const Column& column, const jet::PageFormat& f, const Where& where);

// A name (of a column or table) as the format stores it.
std::string storedName(const std::string& utf8, const jet::PageFormat& f, const Where& where);

// Text for a TEXT column, or a memo's text, as the format stores it.
std::string storedText(const std::string& utf8, const jet::PageFormat& f, bool memo,
                       const Where& where);

// A non-Null value of a column that is not a memo. A Boolean No gives nothing: its null-mask bit
// stays clear.
std::optional<std::string> storedValue(const Column& column, const Value& value,
                                       const jet::PageFormat& f, const Where& where);

// A calculated column's value as Access stores it: 16 bytes, the value's length, the value,
// 3 bytes.
std::string wrapCalculated(const std::string& value);

// A non-Null result of a calculated column that is not a memo, wrapped.
std::string calculatedValue(const Column& column, const Value& value, const jet::PageFormat& f,
                            const Where& where);

}  // namespace jetwriter
