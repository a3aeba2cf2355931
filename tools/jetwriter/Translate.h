#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Error.h"
#include "Message.h"

class QTranslator;

namespace jetwriter {

// Installs the Russian texts when the technician's locale is Russian (LC_ALL, else LC_MESSAGES,
// else LANG, as the C library chooses). Needs a QCoreApplication. Keep what it returns alive.
std::unique_ptr<QTranslator> installTranslations();

// The text in the technician's language, its arguments filled in; arguments stay as they are.
std::string translated(const char* text, const std::vector<std::string>& args = {});
std::string translated(const Message& m);
// What the system said when a file could not be read or written (an errno).
std::string systemErrorText(int err);
// The writer's failure, with what the system said.
std::string translatedError(const Error& e);

// A JW_TR_N text: %n is `count`, in the plural form the language takes for it.
std::string translatedCount(const char* text, std::size_t count,
                            const std::vector<std::string>& args = {});

}  // namespace jetwriter
