#include <gtest/gtest.h>
#include <QApplication>

#include <cstdlib>

// One QApplication for the whole test binary; death tests fork after it exists. Tests are
// headless whoever starts them (ctest, test discovery at build time, or by hand).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    unsetenv("QT_QPA_PLATFORMTHEME");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
