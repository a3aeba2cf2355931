#pragma once

#include <string>
#include <string_view>
#include <vector>

// The keyboard layouts as the X keyboard extension names them: the session sets them up
// (setxkbmap), and the root window's _XKB_RULES_NAMES property lists them in group order.
namespace session {

struct KeyboardNames {
    std::vector<std::string> layouts;  // "us", "ru": group 0, group 1, ...
    std::string options;               // "grp:alt_shift_toggle,..."
};

// The property's value: rules, model, layouts, variants and options, each ended by a NUL.
KeyboardNames parseRulesNames(std::string_view property);

// The layout of a group; empty when the group has no name.
std::string layoutOfGroup(const KeyboardNames& names, int group);

// The keys that switch the layout, as a student reads them on the keyboard ("Alt+Shift"); empty
// when the options name no switch we know.
std::string switchKeys(std::string_view options);

// The indicator's CP1251 text for a layout and its switch keys.
std::string indicatorText(const std::string& layout, const std::string& keys);

}  // namespace session
