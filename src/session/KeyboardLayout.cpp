#include "KeyboardLayout.h"

#include "MessageCatalogue.h"

#include <cctype>
#include <utility>

namespace session {

namespace {

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

KeyboardNames parseRulesNames(std::string_view property) {
    std::vector<std::string> fields = split(property, '\0');
    fields.resize(5);
    KeyboardNames names;
    if (!fields[2].empty()) names.layouts = split(fields[2], ',');
    names.options = std::move(fields[4]);
    return names;
}

std::string layoutOfGroup(const KeyboardNames& names, int group) {
    if (group < 0 || static_cast<std::size_t>(group) >= names.layouts.size()) return {};
    return names.layouts[static_cast<std::size_t>(group)];
}

std::string switchKeys(std::string_view options) {
    static constexpr std::pair<std::string_view, std::string_view> kSwitches[] = {
        {"grp:alt_shift_toggle", "Alt+Shift"},   {"grp:lalt_lshift_toggle", "Alt+Shift"},
        {"grp:ctrl_shift_toggle", "Ctrl+Shift"}, {"grp:lctrl_lshift_toggle", "Ctrl+Shift"},
        {"grp:ctrl_alt_toggle", "Ctrl+Alt"},     {"grp:caps_toggle", "Caps Lock"},
        {"grp:win_space_toggle", "Win+Space"},   {"grp:alt_space_toggle", "Alt+Space"},
        {"grp:shifts_toggle", "Shift+Shift"},    {"grp:menu_toggle", "Menu"},
    };
    for (const std::string& option : split(options, ','))
        for (const auto& [name, keys] : kSwitches)
            if (option == name) return std::string(keys);
    return {};
}

std::string indicatorText(const std::string& layout, const std::string& keys) {
    std::string shown;
    if (layout == "ru") {
        shown = messageText(text::kLayoutRussian);
    } else if (layout == "us" || layout == "gb") {
        shown = messageText(text::kLayoutLatin);
    } else {
        for (const char c : layout)
            shown += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string line = messageText(text::kLayoutCaption) + " " + shown;
    if (!keys.empty()) line += " (" + keys + ")";
    return line;
}

}  // namespace session
