#pragma once

#include <cstdint>
#include <string>

namespace trainer {

// The password dialog's two values. They outlive every dialog (the program creates them once
// and hands them on); each run of the dialog starts them afresh.
struct PasswordState {
    std::string typedPassword;  // CP1251, as fetched from the field when OK is pressed
    std::int32_t storedPassword = 0;
};

}  // namespace trainer
