#include "Translate.h"

#include <QCoreApplication>
#include <QTranslator>

#include <cstdlib>
#include <cstring>

namespace jetwriter {
namespace {

bool russianLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::strncmp(value, "ru", 2) == 0;
    }
    return false;
}

}  // namespace

std::unique_ptr<QTranslator> installTranslations() {
    if (!russianLocale()) return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/rulevion-jetwriter_ru.qm"))) return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

std::string translated(const char* text, const std::vector<std::string>& args) {
    return format(QCoreApplication::translate(kTextContext, text).toStdString(), args);
}

std::string translated(const Message& m) {
    return translated(m.text, m.args);
}

}  // namespace jetwriter
