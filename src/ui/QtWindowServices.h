#pragma once

#include "WindowServices.h"

namespace ui {

// The window system's own boxes and document viewer.
class QtWindowServices : public WindowServices {
public:
    int messageBox(QWidget* owner, const std::string& text, const std::string& title,
                   BoxType type) override;
    void engineErrorBox(const std::string& text) override;
    void openDocument(const std::string& fileName) override;
    [[noreturn]] void endProcess(int status) override;
};

}  // namespace ui
