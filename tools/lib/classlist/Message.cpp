#include "Message.h"

namespace jetwriter {

std::string format(const std::string& text, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string english(const Message& m) {
    return format(m.text, m.args);
}

}  // namespace jetwriter
