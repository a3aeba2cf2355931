#include "Properties.h"

#include "Bytes.h"
#include "CaseFold.h"
#include "TextDecoding.h"

namespace jet::reader::detail {

namespace {

constexpr std::uint16_t kNameList = 0x80;
constexpr std::uint16_t kColumnValues = 0x01;
constexpr std::uint8_t kByteType = 0x02;

// A bounded cursor over the block: every read is checked against its end first.
struct Cursor {
    const std::uint8_t* at;
    const std::uint8_t* end;
    std::size_t left() const { return static_cast<std::size_t>(end - at); }
    const std::uint8_t* take(std::size_t n) {
        if (n > left()) damaged("property block cut short");
        const std::uint8_t* p = at;
        at += n;
        return p;
    }
    std::uint16_t u16v() { return u16(take(2)); }
    std::uint32_t u32v() { return u32(take(4)); }
    Cursor sub(std::size_t n) {
        const std::uint8_t* p = take(n);
        return {p, p + n};
    }
    std::string name() {
        const std::uint16_t length = u16v();
        std::string out;
        appendStoredText(std::string_view(reinterpret_cast<const char*>(take(length)), length),
                         out);
        return out;
    }
};

}  // namespace

std::vector<std::pair<std::string, std::uint8_t>> calculatedResultTypes(std::string_view block) {
    std::vector<std::pair<std::string, std::uint8_t>> out;
    const auto* data = reinterpret_cast<const std::uint8_t*>(block.data());
    Cursor c{data, data + block.size()};
    // Jet3's "KKD" blocks come from files that have no calculated columns.
    const std::uint8_t* magic = c.take(4);
    if (magic[0] != 'M' || magic[1] != 'R' || magic[2] != '2' || magic[3] != 0)
        damaged("property block of an unknown kind");
    std::vector<std::string> names;
    while (c.left() > 0) {
        const std::uint32_t length = c.u32v();
        const std::uint16_t type = c.u16v();
        if (length < 6) damaged("property chunk too short");
        Cursor chunk = c.sub(length - 6);
        if (type == kNameList) {
            names.clear();
            while (chunk.left() > 0) names.push_back(chunk.name());
            continue;
        }
        if (chunk.left() == 0) continue;
        const std::uint32_t nameBlock = chunk.u32v();
        if (nameBlock < 4) damaged("property map name too short");
        Cursor mapName = chunk.sub(nameBlock - 4);
        const std::string owner = mapName.left() > 0 ? mapName.name() : std::string();
        while (chunk.left() > 0) {
            const std::uint16_t valueLength = chunk.u16v();
            if (valueLength < 8) damaged("property value too short");
            Cursor value = chunk.sub(valueLength - 2u);
            value.take(1);  // flags
            const std::uint8_t dataType = *value.take(1);
            const std::uint16_t nameIndex = value.u16v();
            const std::uint16_t dataSize = value.u16v();
            const std::uint8_t* bytes = value.take(dataSize);
            if (nameIndex >= names.size()) damaged("property of no name");
            if (type == kColumnValues && dataType == kByteType && dataSize == 1 &&
                cp1251::equalIgnoringCase(names[nameIndex], "ResultType"))
                out.emplace_back(owner, bytes[0]);
        }
    }
    return out;
}

}  // namespace jet::reader::detail
