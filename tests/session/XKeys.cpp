// Real key events for the session test, as a keyboard sends them: key codes pressed and
// released through XTEST, with nothing else touched. xdotool sets the keyboard group it wants
// for each key and restores the old one afterwards, so it can neither switch layouts with
// Alt+Shift nor show that a switch took place.
//
//   rv_xkeys group              prints the active keyboard group (0: the first layout)
//   rv_xkeys press KEY...       each KEY a keysym name of the first layout, or several joined
//                               by "+", pressed in order and released in reverse
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool press(Display* display, const std::string& chord) {
    std::vector<KeyCode> codes;
    std::size_t start = 0;
    while (start <= chord.size()) {
        std::size_t end = chord.find('+', start);
        if (end == std::string::npos) end = chord.size();
        const std::string name = chord.substr(start, end - start);
        const KeySym sym = XStringToKeysym(name.c_str());
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
        if (code == 0) {
            std::fprintf(stderr, "rv_xkeys: no key for %s\n", name.c_str());
            return false;
        }
        codes.push_back(code);
        start = end + 1;
    }
    for (const KeyCode code : codes) XTestFakeKeyEvent(display, code, True, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    XSync(display, False);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: rv_xkeys group | press KEY...\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("rv_xkeys: no display\n", stderr);
        return 1;
    }
    int status = 0;
    if (std::strcmp(argv[1], "group") == 0) {
        XkbStateRec state{};
        XkbGetState(display, XkbUseCoreKbd, &state);
        std::printf("%d\n", state.group);
    } else if (std::strcmp(argv[1], "press") == 0) {
        for (int i = 2; i < argc && status == 0; ++i)
            if (!press(display, argv[i])) status = 1;
    } else {
        std::fprintf(stderr, "rv_xkeys: unknown command %s\n", argv[1]);
        status = 2;
    }
    XCloseDisplay(display);
    return status;
}
