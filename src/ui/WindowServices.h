#pragma once

#include <string>

class QWidget;

// The one seam between the logic and the window system: message boxes, opening a document and
// ending the process. Dialogs are handed an instance; tests hand them a recording one.
namespace ui {

// Message box types, as the flags of the station's window system combine them; a type of their
// own, so that no text id or answer is taken for one.
enum class BoxType : unsigned {
    kBoxError = 0x30,              // OK, exclamation
    kBoxSignInError = 0x40030,     // OK, exclamation, topmost
    kBoxDrivingQuestion = 0x40124  // Yes/No with No as default, question, topmost
};
using enum BoxType;

// Buttons a box returns.
enum BoxAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // A modal box; owner null means no owner. Texts are CP1251. Returns the button pressed.
    virtual int messageBox(QWidget* owner, const std::string& text, const std::string& title,
                           BoxType type) = 0;

    // The framework's plain OK box with the application's default title, used for the
    // database engine's own error descriptions.
    virtual void engineErrorBox(const std::string& text) = 0;

    // Opens a document of the current directory with the desktop's viewer; the result is ignored.
    virtual void openDocument(const std::string& fileName) = 0;

    // Ends the process at once with the given status.
    [[noreturn]] virtual void endProcess(int status) = 0;
};

}  // namespace ui
