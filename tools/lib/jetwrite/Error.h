#pragma once

#include <stdexcept>
#include <string>

#include "Message.h"

namespace jetwriter {

// Every failure of the writer: bad input, or a file that could not be written. The message is
// meant for the person who runs the tool: what() in English, text() and systemError() for the
// tool to say in his language.
class Error : public std::runtime_error {
public:
    // A fault of the caller's making, which no technician's input reaches: English only.
    explicit Error(const std::string& english);
    // `systemError`: the errno that made it fail, 0 for none.
    explicit Error(Message text, int systemError = 0);

    const Message& text() const { return text_; }
    int systemError() const { return systemError_; }

private:
    Message text_;
    int systemError_ = 0;
};

}  // namespace jetwriter
