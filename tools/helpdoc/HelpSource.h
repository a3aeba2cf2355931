#pragma once

#include <QString>

namespace helpdoc {

// Fills the program's own texts into the help source, so that the document quotes them exactly
// as the program shows them: {{caption}} is the title of the message boxes, {{slot Name}} a slot
// of the message catalogue, {{text Name}} a text by id, each by the catalogue's name for it
// ({{slot StudentNotFound}}). Each becomes HTML: special characters escaped,
// line feeds as <br>, blanks at either end dropped (they shape the program's boxes, not the page).
// False, with the fault in *error, for a placeholder that names no text or is left unclosed.
bool expandMessages(const QString& source, QString* html, QString* error);

}  // namespace helpdoc
