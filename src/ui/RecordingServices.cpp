#include "RecordingServices.h"

namespace ui {

int RecordingServices::messageBox(QWidget* owner, const std::string& text,
                                  const std::string& title, unsigned type) {
    boxes.push_back({owner, title, text, type, false});
    if (onBox) onBox(boxes.back());
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if (type == kBoxDrivingQuestion) {
        ++unscriptedQuestions;
        return kAnswerNo;
    }
    return kAnswerOk;
}

void RecordingServices::engineErrorBox(const std::string& text) {
    boxes.push_back({nullptr, {}, text, 0, true});
    if (onBox) onBox(boxes.back());
}

void RecordingServices::openDocument(const std::string& fileName) {
    documents.push_back(fileName);
}

void RecordingServices::endProcess(int status) {
    endings.push_back(status);
    throw ProcessEnded{status};
}

}  // namespace ui
