#include "HelperChannel.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

void executable(const fs::path& file, fs::perms perms = fs::perms::owner_all) {
    fs::create_directories(file.parent_path());
    writeFile(file, "#!/bin/sh\n");
    fs::permissions(file, perms);
}

struct Layout {
    const char* name;
    const char* program;
    const char* helpers[2];  // executables to create; nullptr ends the list
    const char* expected;    // relative to the folder; empty for no answer
};

// The installed layout keeps the helper out of PATH in libexec; a build folder keeps it beside
// the program; a stray non-executable file in libexec must not win over a working helper.
const Layout kLayouts[] = {
    {"Installed",
     "usr/bin/rulevion-menu",
     {"usr/libexec/rulevion/rulevion-jetread", nullptr},
     "usr/bin/../libexec/rulevion/rulevion-jetread"},
    {"InstalledAndBeside",
     "usr/bin/rulevion-menu",
     {"usr/libexec/rulevion/rulevion-jetread", "usr/bin/rulevion-jetread"},
     "usr/bin/../libexec/rulevion/rulevion-jetread"},
    {"BuildFolder",
     "build/bin/rulevion-menu",
     {"build/bin/rulevion-jetread", nullptr},
     "build/bin/rulevion-jetread"},
    {"NoHelperAnywhere", "opt/bin/rulevion-menu", {nullptr, nullptr}, "opt/bin/rulevion-jetread"},
};

void PrintTo(const Layout& l, std::ostream* os) {
    *os << l.name;
}

class HelperLookup : public ::testing::TestWithParam<Layout> {};

TEST_P(HelperLookup, FindsTheHelperFromTheProgramsPlace) {
    const Layout& layout = GetParam();
    TempDir dir;
    executable(dir / layout.program);
    for (const char* helper : layout.helpers)
        if (helper) executable(dir / helper);
    EXPECT_EQ(jet::HelperChannel::helperPathFor((dir / layout.program).string()),
              (dir / layout.expected).string());
}

INSTANTIATE_TEST_SUITE_P(Layouts, HelperLookup, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HelperLookupFile, NonExecutableFileInLibexecIsPassedOver) {
    TempDir dir;
    executable(dir / "usr/libexec/rulevion/rulevion-jetread",
               fs::perms::owner_read | fs::perms::owner_write);
    executable(dir / "usr/bin/rulevion-jetread");
    EXPECT_EQ(jet::HelperChannel::helperPathFor((dir / "usr/bin/rulevion-menu").string()),
              (dir / "usr/bin/rulevion-jetread").string());
}

TEST(HelperLookupFile, ProgramPathWithoutFolderGivesNothing) {
    EXPECT_EQ(jet::HelperChannel::helperPathFor("rulevion-menu"), "");
}

}  // namespace
