#pragma once

#include "BenchData.h"

#include <string>

// The measured figures, each a Google Benchmark of its own. Every one reports its wall time per
// iteration (manual time) and these counters, averaged per iteration:
//   cpu_ms         user + system CPU, the reader helper's or the child program's included
//   rss_kb         peak resident memory of the program measured (process figures only)
//   helper_rss_kb  peak resident memory of the reader helper (the panel's sign-in)
namespace bench {

struct Match {
    const char* label;  // "first", "middle", "last"
    const Student StudentsFile::*student;
};
inline constexpr Match kMatches[] = {
    {"first", &StudentsFile::first},
    {"middle", &StudentsFile::middle},
    {"last", &StudentsFile::last},
};

// Names of the figures, as the table looks them up.
std::string signInName(const StudentsFile& f, const char* match);
std::string scanName(const StudentsFile& f);
std::string peerName(const char* peer, const StudentsFile& f);
inline constexpr const char* kHelperStart = "helper-start";
inline constexpr const char* kPanelStart = "startup/panel";
inline constexpr const char* kDialogStart = "startup/dialog";
// The bare dialog with parts of the panel: where the panel's start-up goes. "@BMP" stands for
// the panel's picture saved as an uncompressed BMP in the data folder.
struct DialogParts {
    const char* name;
    const char* label;
    const char* args[3];
};
inline constexpr DialogParts kDialogParts[] = {
    {"startup/dialog+text", "Bare dialog + one line of text in the panel's font", {"--text"}},
    {"startup/dialog+picture", "Bare dialog + the panel's picture (PNG)", {"--picture"}},
    {"startup/dialog+picture+text",
     "Bare dialog + the picture + the line of text",
     {"--picture", "--text"}},
    {"startup/dialog+bmp+text",
     "Bare dialog + the picture as a BMP + the line of text",
     {"--picture-file", "@BMP", "--text"}},
};
std::string panelSignInName(const StudentsFile& f);

// Registers every figure; the panel's size is measured first, for the bare dialog.
void registerFigures(const BenchData& data);

}  // namespace bench
