#pragma once

#include "WindowServices.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui {

// Thrown by RecordingServices::endProcess, so that a test sees where the process would have ended.
struct ProcessEnded {
    int status;
};

// A test double: records every box and document and answers boxes from a script.
class RecordingServices : public WindowServices {
public:
    struct Box {
        QWidget* owner = nullptr;
        std::string title;
        std::string text;
        unsigned type = 0;
        bool engine = false;  // the plain box of the database engine's descriptions
    };

    // The answer to the next box; a box with no scripted answer is answered OK (or No for a
    // question) and counted in unscriptedQuestions.
    void answerNext(int answer) { answers_.push_back(answer); }

    int messageBox(QWidget* owner, const std::string& text, const std::string& title,
                   unsigned type) override;
    void engineErrorBox(const std::string& text) override;
    void openDocument(const std::string& fileName) override;
    [[noreturn]] void endProcess(int status) override;

    std::vector<Box> boxes;
    std::vector<std::string> documents;
    std::vector<int> endings;
    int unscriptedQuestions = 0;
    // Called while a box is up, as a user would act then (for instance to look at the files).
    std::function<void(const Box&)> onBox;

private:
    std::deque<int> answers_;
};

}  // namespace ui
