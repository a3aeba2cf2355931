#pragma once

#include "SignInState.h"
#include "StudentLookup.h"

#include <string>

class QWidget;

namespace ui {
class WindowServices;
}

using signin::DatabaseObjects;

namespace panel {

// The panel's controls as the sign-in sees them; texts are CP1251.
class SignInView {
public:
    virtual ~SignInView() = default;
    virtual QWidget* owner() = 0;
    virtual std::string entryText() = 0;
    virtual void setEntryText(const std::string& text) = 0;
    virtual void setLabelText(const std::string& text) = 0;
};

// The OK button: reads the entry and, once per run, finds the student, writes db1.out and shows
// who signed in. Every failure but "not found" ends the process through the fatal exit.
void onSignIn(ui::WindowServices& services, SignInView& view, SignInState& state,
              DatabaseObjects& db);

}  // namespace panel
