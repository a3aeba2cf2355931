// Linked into every instrumented program of a RULEVION_SANITIZE build, so the tests, the program
// they start and a person running either by hand all get the same settings without an environment
// of their own. Options given in ASAN_OPTIONS and the like still win.

extern "C" {

const char* __asan_default_options() {
    return "detect_leaks=1:check_initialization_order=1";
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1";
}

// Memory the system libraries keep until the process ends; none of it is ours to free.
const char* __lsan_default_suppressions() {
    return
        // The session bus connection Qt's platform plugins open and never close.
        "leak:libdbus-1.so\n"
        // Qt's accessibility cache keeps an interface per widget shown, for the whole process;
        // what is left of its stack (Qt has no frame pointers) is the guard of its QPointer.
        "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
        // Qt's PDF view keeps its page renderer's thread and its scroller's gesture state for the
        // whole process (Qt 6.4); the thread's parts are reachable only from them.
        "leak:libQt6Pdf.so\n"
        "leak:QPdfPageRenderer\n"
        "leak:QScroller::grabGesture\n"
        "leak:QThread::QThread\n"
        "leak:QWaitCondition::QWaitCondition\n";
}
}
