#pragma once

#include <stdexcept>

namespace jetwriter {

// Every failure of the writer: bad input, or a file that could not be written. The message is
// meant for the person who runs the tool.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace jetwriter
