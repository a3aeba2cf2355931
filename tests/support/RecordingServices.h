#pragma once

#include "WindowServices.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace ui {

// A test double: records every box and document and answers boxes from a script.
class RecordingServices : public WindowServices {
public:
    struct Box {
        QWidget* owner = nullptr;
        std::string title;
        std::string text;
        BoxType type{};
        bool engine = false;  // the plain box of the database engine's descriptions
    };

    // The answer to the next box. Every box takes one, the engine's plain box too; a box with
    // no answer left fails the test with its text (and is answered OK, or No to a question).
    void answerNext(int answer) { answers_.push_back(answer); }
    // OK to each of the next n boxes.
    void answerOk(std::size_t n = 1) { answers_.insert(answers_.end(), n, kAnswerOk); }

    int messageBox(QWidget* owner, const std::string& text, const std::string& title,
                   BoxType type) override;
    void engineErrorBox(const std::string& text) override;
    void openDocument(const std::string& fileName) override;
    // Really ends the process, as the program's own services do, so that nothing unwinds
    // through Qt's event handlers: for a child process only (runWithDeadline or a death test).
    // onEnd gets a last look first, for instance to report the boxes to the parent.
    [[noreturn]] void endProcess(int status) override;

    std::vector<Box> boxes;
    std::vector<std::string> documents;
    // Called while a box is up, as a user would act then (for instance to look at the files).
    std::function<void(const Box&)> onBox;
    std::function<void(int status)> onEnd;

private:
    int nextAnswer(const Box& box);

    std::deque<int> answers_;
};

}  // namespace ui
