#include "CommandLine.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace app {
namespace {

struct Texts {
    const char* help;
    const char* unknownOption;  // %s: the option
    const char* extraArgument;  // %s: the argument
    const char* tryHelp;
    const char* writeFailed;
};

const Texts kEnglish = {
    "Usage: rulevion-menu [--help | --version]\n"
    "\n"
    "The start menu of a driving-simulator station. The station's shell starts it in the\n"
    "station folder; on its panel a student signs in with his record-book number and the\n"
    "instructor reaches his tools with a password. The program leaves its decision in\n"
    "vdm_out.txt: 0 leave, 1 return, 2 the trainer's tools, 5 the driving exercises.\n"
    "At start it removes the previous student's result files db*.out.\n"
    "\n"
    "Environment:\n"
    "  VDM_DRIVES  folder of the Windows drives: drive C: is $VDM_DRIVES/c (default /mnt)\n"
    "  RULEVION_SESSION=1  set by the station's X session: the panel fills the screen\n"
    "  RULEVION_FAILED     trainer or exercises: set by the station's shell after that\n"
    "                      command failed; the panel says so in a box\n"
    "  RULEVION_FATAL_FD   set by the station's shell: the pipe on which the program tells\n"
    "                      it that it ended through an error, for the shell's log\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Exit status: 0, the decision is in vdm_out.txt; 2, a wrong command line.\n"
    "See rulevion-menu(1).\n",
    "rulevion-menu: unknown option '%s'\n",
    "rulevion-menu: unexpected argument '%s': the program works in the current folder\n",
    "Try 'rulevion-menu --help'.\n",
    "rulevion-menu: cannot write to standard output\n",
};

const Texts kRussian = {
    "Использование: rulevion-menu [--help | --version]\n"
    "\n"
    "Стартовое меню тренажера. Оболочка станции запускает программу в папке станции;\n"
    "на ее панели курсант входит по номеру зачетки, а инструктор открывает свои\n"
    "средства по паролю. Решение программа оставляет в vdm_out.txt: 0 выход,\n"
    "1 возврат, 2 средства тренера, 5 ездовые упражнения.\n"
    "При запуске она удаляет файлы результатов предыдущего курсанта db*.out.\n"
    "\n"
    "Переменные окружения:\n"
    "  VDM_DRIVES  папка дисков Windows: диск C: — это $VDM_DRIVES/c (по умолчанию /mnt)\n"
    "  RULEVION_SESSION=1  задает X-сеанс тренажера: панель на весь экран\n"
    "  RULEVION_FAILED     trainer или exercises: задает оболочка тренажера, когда эта\n"
    "                      команда не удалась; панель сообщает об этом\n"
    "  RULEVION_FATAL_FD   задает оболочка тренажера: канал, по которому программа\n"
    "                      сообщает ей, что завершилась из-за ошибки (для журнала)\n"
    "\n"
    "Параметры:\n"
    "  -h, --help  показать эту справку и выйти\n"
    "  --version   показать версию и выйти\n"
    "\n"
    "Код завершения: 0, решение в vdm_out.txt; 2, неверная командная строка.\n"
    "Подробнее: man rulevion-menu.\n",
    "rulevion-menu: неизвестный параметр «%s»\n",
    "rulevion-menu: лишний аргумент «%s»: программа работает в текущей папке\n",
    "Справка: rulevion-menu --help\n",
    "rulevion-menu: не удается записать в стандартный вывод\n",
};

// Russian only where the terminal shows UTF-8: the texts exist in no other encoding, and English
// reads better than mojibake.
bool russianTerminal() {
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    if (!locale) return false;
    const std::string_view value(locale);
    if (value.substr(0, 3) != "ru_" && value.substr(0, 3) != "ru.") return false;
    const auto dot = value.find('.');
    if (dot == std::string_view::npos) return false;
    std::string codeset(value.substr(dot + 1, value.find('@', dot) - dot - 1));
    for (char& c : codeset) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return codeset == "utf-8" || codeset == "utf8";
}

// An argument is echoed in the error; control characters would reach the terminal as commands.
std::string printable(const char* argument) {
    std::string text(argument);
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) c = '?';
    }
    return text;
}

// A help text lost to a full disk or a closed pipe is a failure, not a success.
int answer(const Texts& texts, const char* text) {
    const bool written = std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0;
    if (written) return 0;
    std::fputs(texts.writeFailed, stderr);
    return 1;
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char** argv) {
    if (argc <= 1) return std::nullopt;
    const Texts& texts = russianTerminal() ? kRussian : kEnglish;
    bool help = false;
    // Every argument is checked before any is answered: a mistyped command line does nothing.
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            help = true;
        } else if (std::strcmp(arg, "--version") != 0) {
            std::fprintf(stderr, arg[0] == '-' ? texts.unknownOption : texts.extraArgument,
                         printable(arg).c_str());
            std::fputs(texts.tryHelp, stderr);
            return 2;
        }
    }
    if (help) return answer(texts, texts.help);
    return answer(texts, "rulevion-menu " RULEVION_VERSION "\n");
}

}  // namespace app
