#pragma once

#include "WindowServices.h"

#include <memory>

class QMessageBox;

namespace ui {

// The window system's own boxes and document viewer.
class QtWindowServices : public WindowServices {
public:
    int messageBox(QWidget* owner, const std::string& text, const std::string& title,
                   BoxType type) override;
    void engineErrorBox(const std::string& text) override;
    void openDocument(const std::string& fileName) override;
    [[noreturn]] void endProcess(int status) override;

    // The box messageBox shows, made but not shown: the tests draw it to compare with the screen.
    static std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, const std::string& text,
                                                       const std::string& title, BoxType type);
};

}  // namespace ui
