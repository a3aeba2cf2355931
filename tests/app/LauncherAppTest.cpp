#include "LauncherApp.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QTimer>

namespace {

// Counts its life so the test can see it was run once and destroyed before run returned.
class CountingPanel : public QDialog {
public:
    CountingPanel(int& runs, bool& destroyed) : runs_(runs), destroyed_(destroyed) {}
    ~CountingPanel() override { destroyed_ = true; }
    int exec() override {
        ++runs_;
        QTimer::singleShot(0, this, &QDialog::reject);
        return QDialog::exec();
    }

private:
    int& runs_;
    bool& destroyed_;
};

TEST(LauncherApp, RunsThePanelOnceThenDestroysIt) {
    int runs = 0;
    int made = 0;
    bool destroyed = false;
    app::LauncherApp app([&] {
        ++made;
        return std::make_unique<CountingPanel>(runs, destroyed);
    });
    app.run();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(destroyed);
}

}  // namespace
