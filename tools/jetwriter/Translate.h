#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Message.h"

class QTranslator;

namespace jetwriter {

// Installs the Russian texts when the technician's locale is Russian (LC_ALL, else LC_MESSAGES,
// else LANG, as the C library chooses). Needs a QCoreApplication. Keep what it returns alive.
std::unique_ptr<QTranslator> installTranslations();

// The text in the technician's language, its arguments filled in; arguments stay as they are.
std::string translated(const char* text, const std::vector<std::string>& args = {});
std::string translated(const Message& m);

}  // namespace jetwriter
