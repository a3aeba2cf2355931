#include "Translate.h"

#include <QCoreApplication>
#include <QTranslator>

#include <cerrno>
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

std::string systemErrorText(int err) {
    switch (err) {
        case ENOENT: return translated(JW_TR("jetwriter", "there is no such file or folder"));
        case EACCES:
        case EPERM: return translated(JW_TR("jetwriter", "permission denied"));
        case ENOSPC: return translated(JW_TR("jetwriter", "no space left on the device"));
        case EDQUOT: return translated(JW_TR("jetwriter", "the disk quota is used up"));
        case EROFS: return translated(JW_TR("jetwriter", "the file system is read-only"));
        case EISDIR: return translated(JW_TR("jetwriter", "it is a folder"));
        case ENOTDIR: return translated(JW_TR("jetwriter", "a part of the path is not a folder"));
        case ENAMETOOLONG: return translated(JW_TR("jetwriter", "the name is too long"));
        case EIO: return translated(JW_TR("jetwriter", "input/output error"));
        default:
            return translated(JW_TR("jetwriter", "system error %1 (%2)"),
                              {std::to_string(err), std::strerror(err)});
    }
}

std::string translatedError(const Error& e) {
    std::string text = translated(e.text());
    if (e.systemError()) text += ": " + systemErrorText(e.systemError());
    return text;
}

std::string translatedCount(const char* text, std::size_t count,
                            const std::vector<std::string>& args) {
    return format(QCoreApplication::translate(kTextContext, text, nullptr, static_cast<int>(count))
                      .toStdString(),
                  args);
}

std::string translated(const Message& m) {
    return translated(m.text, m.args);
}

}  // namespace jetwriter
