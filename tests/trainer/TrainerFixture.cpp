#include "TrainerFixture.h"

#include "DialogUnits.h"
#include "PasswordFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <filesystem>

std::string passwordFileBytes(std::uint32_t magic, std::int32_t password, const std::string& tail) {
    std::string bytes;
    const auto field = static_cast<std::uint32_t>(password);
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((magic >> (8 * i)) & 0xFF);
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((field >> (8 * i)) & 0xFF);
    return bytes + tail;
}

int runDialog(ui::WindowServices& services, trainer::PasswordState& state,
              const std::function<void(trainer::TrainerPasswordDialog&)>& act) {
    auto dialog = std::make_unique<trainer::TrainerPasswordDialog>(services, state);
    bool acted = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (clock.elapsed() > 5000 && dialog->isVisible()) {
            ADD_FAILURE() << (acted ? "the dialog did not end" : "the dialog never became modal");
            dialog->done(-1);
            return;
        }
        if (acted || QApplication::activeModalWidget() != dialog.get()) return;
        acted = true;
        act(*dialog);
    });
    poll.start();
    const int result = dialog->exec();
    dialog.reset();
    return result;
}

void TrainerTest::SetUpTestSuite() {
    ASSERT_TRUE(ui::installFontSubstitutes());
}

void TrainerTest::writePasswordFile(std::int32_t password) {
    writeFile(dir / trainer::kPasswordFile, passwordFileBytes(trainer::kPasswordMagic, password));
}

bool TrainerTest::handedOver() const {
    return std::filesystem::exists(dir / "vdm_out.txt");
}
