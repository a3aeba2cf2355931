#include "RecordingServices.h"

#include "Child.h"
#include "Cp1251.h"

#include <gtest/gtest.h>

namespace ui {

int RecordingServices::nextAnswer(const Box& box) {
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    ADD_FAILURE() << "a box the test did not expect: \"" << cp1251::toUtf8(box.text) << "\"";
    return box.type == kBoxDrivingQuestion ? kAnswerNo : kAnswerOk;
}

int RecordingServices::messageBox(QWidget* owner, const std::string& text, const std::string& title,
                                  BoxType type) {
    boxes.push_back({owner, title, text, type, false});
    if (onBox) onBox(boxes.back());
    return nextAnswer(boxes.back());
}

void RecordingServices::engineErrorBox(const std::string& text) {
    boxes.push_back({nullptr, {}, text, {}, true});
    if (onBox) onBox(boxes.back());
    nextAnswer(boxes.back());
}

void RecordingServices::openDocument(const std::string& fileName) {
    documents.push_back(fileName);
}

void RecordingServices::endProcess(int status) {
    if (onEnd) onEnd(status);
    endChild(status);
}

}  // namespace ui
