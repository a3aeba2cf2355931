#pragma once

#include <array>
#include <cstdint>
#include <string>

// The texts the program shows, as CP1251 bytes.
class MessageCatalogue {
public:
    static constexpr int kSlotCount = 200;

    MessageCatalogue();

    std::string caption;
    std::array<std::string, kSlotCount> slots;
};

// The one program-wide catalogue, complete before the application starts.
const MessageCatalogue& catalogue();

// A fresh copy of the text of id; the empty string for an id without a text.
std::string messageText(std::int32_t id);
