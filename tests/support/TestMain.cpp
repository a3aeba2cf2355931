#include <QApplication>
#include <gtest/gtest.h>

// One QApplication for the whole test binary; death tests fork after it exists.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
