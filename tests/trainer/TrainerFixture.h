#pragma once

#include "PasswordState.h"
#include "RecordingServices.h"
#include "TempDir.h"
#include "TrainerPasswordDialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

// The bytes of a password file: magic and password little-endian, then anything.
std::string passwordFileBytes(std::uint32_t magic, std::int32_t password,
                              const std::string& tail = {});

// Runs the dialog as the panel does: construct with no parent, run modally, destroy, and hand
// back the result. `act` runs once the dialog is the active modal window; a dialog that is
// still open five seconds later is rejected and the test fails, so nothing hangs.
int runDialog(ui::WindowServices& services, trainer::PasswordState& state,
              const std::function<void(trainer::TrainerPasswordDialog&)>& act);

// A station folder of its own for each test, with the font the layouts are measured in.
class TrainerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();

    TempDir dir;
    ScopedCwd cwd{dir.path()};
    ui::RecordingServices services;
    trainer::PasswordState state;

    void writePasswordFile(std::int32_t password);
    bool handedOver() const;  // whether vdm_out.txt exists
};
