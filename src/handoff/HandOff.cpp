#include "HandOff.h"

#include "MessageCatalogue.h"
#include "StationFile.h"
#include "WindowServices.h"

#include <QDialog>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace handoff {

namespace {

enum class WriteResult { Written, CannotOpen, CannotWrite };

// One byte, then the close, both checked: a full disk must not leave the shell an empty file
// while the program believes it handed over.
WriteResult writeCode(char code) {
    std::FILE* file = stationfolder::openStationFile(kHandOffFile, "w");
    if (!file) return WriteResult::CannotOpen;
    const bool written = std::fputc(code, file) != EOF;
    const bool closed = std::fclose(file) == 0;
    return written && closed ? WriteResult::Written : WriteResult::CannotWrite;
}

}  // namespace

void handOffAndClose(ui::WindowServices& services, QDialog& panel, HandOffCode code) {
    if (writeCode(static_cast<char>(code)) != WriteResult::Written) {
        services.messageBox(&panel, messageText(text::kCannotCreateHandOff),
                            messageText(text::kBoxTitle), ui::kBoxError);
        fatalExit(services);
    }
    // done() rather than reject(): the panel routes its own reject (Esc, close box) here.
    panel.done(QDialog::Rejected);
}

void handOffExitCode(ui::WindowServices& services) {
    switch (writeCode(static_cast<char>(HandOffCode::Leave))) {
    case WriteResult::Written: return;
    case WriteResult::CannotOpen:
        services.messageBox(nullptr, messageText(text::kCannotOpenHandOff),
                            messageText(text::kBoxTitle), ui::kBoxError);
        break;
    case WriteResult::CannotWrite:
        services.messageBox(nullptr, messageText(text::kCannotWriteHandOff),
                            messageText(text::kBoxTitle), ui::kBoxError);
        break;
    }
    fatalExit(services);
}

int fatalEndDescriptor() {
    static const int fd = [] {
        const char* value = std::getenv(shellcontract::kFatalEndVariable);
        if (!value || !*value) return -1;
        char* end = nullptr;
        const long number = std::strtol(value, &end, 10);
        // Only a pipe the shell handed down: never a file or terminal a stray value names.
        struct stat st {};
        if (*end || number < 3 || number > 1023 || fstat(static_cast<int>(number), &st) != 0 ||
            !S_ISFIFO(st.st_mode))
            return -1;
        // Not passed on to what the program starts.
        fcntl(static_cast<int>(number), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(number);
    }();
    return fd;
}

void tellShellOfFatalEnd(shellcontract::FatalEnd how) {
    const int fd = fatalEndDescriptor();
    if (fd < 0) return;
    const char byte = static_cast<char>(how);
    const ssize_t ignored = write(fd, &byte, 1);
    (void)ignored;
}

void fatalExit(ui::WindowServices& services) {
    tellShellOfFatalEnd(shellcontract::FatalEnd::ErrorBox);
    writeCode(static_cast<char>(HandOffCode::Return));
    services.endProcess(0);
    std::_Exit(0);  // a window-services object that returned still must not let the caller run on
}

}  // namespace handoff
