#pragma once

#include "SignIn.h"

#include <QWidget>
#include <string>

// The panel's controls as the sign-in sees them, for tests that run the sign-in without a panel.
class FakeSignInView : public panel::SignInView {
public:
    QWidget widget;
    std::string entry;
    std::string label = "label before sign-in";

    QWidget* owner() override { return &widget; }
    std::string entryText() override { return entry; }
    void setEntryText(const std::string& text) override { entry = text; }
    void setLabelText(const std::string& text) override { label = text; }
};
