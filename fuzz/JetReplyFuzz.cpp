// The program reads its reader helper's replies as hostile bytes: the helper has just had a
// damaged or forged database file in its hands. Whatever arrives on the pipe, cutting it into
// frames and decoding them must not crash, must not read past the bytes, and must never yield a
// message that claims more than the bytes hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "Protocol.h"

using namespace jet::protocol;

namespace {

void checkReply(std::string_view payload) {
    const std::optional<Reply> reply = decodeReply(payload);
    if (!reply) return;
    // Only exactly one well-formed message is accepted, so it encodes back to the same bytes.
    FUZZ_CHECK(encode(*reply) == payload);
    std::size_t held = 0;
    for (const std::string& t : reply->texts) held += textCost(t.size());
    held += 4 * reply->numbers.size();
    FUZZ_CHECK(held <= payload.size());
    switch (reply->type) {
        case ReplyType::Failed:
            FUZZ_CHECK(reply->failure >= Failure::CannotOpenFile &&
                       reply->failure <= Failure::Encrypted);
            FUZZ_CHECK(payload.size() == 7);
            break;
        case ReplyType::Done: FUZZ_CHECK(payload.size() == 1); break;
        case ReplyType::Table: FUZZ_CHECK(payload.size() == 9); break;
        case ReplyType::Values:
            FUZZ_CHECK(reply->kind == ColumnKind::Text || reply->kind == ColumnKind::Long);
            FUZZ_CHECK(reply->kind == ColumnKind::Text ? reply->numbers.empty()
                                                       : reply->texts.empty());
            break;
        case ReplyType::Found:
            FUZZ_CHECK(reply->texts.size() == 1 && reply->numbers.empty());
            FUZZ_CHECK(payload.size() == 9 + reply->texts[0].size());
            break;
        default: FUZZ_CHECK(!"a reply of an unknown type was accepted");
    }
}

// The helper's side decodes the program's requests the same way.
void checkRequest(std::string_view payload) {
    const std::optional<Request> request = decodeRequest(payload);
    if (!request) return;
    FUZZ_CHECK(encode(*request) == payload);
    std::size_t held = textCost(request->text.size());
    for (const Column& c : request->columns) {
        FUZZ_CHECK(c.kind == ColumnKind::Text || c.kind == ColumnKind::Long);
        held += textCost(c.name.size()) + 1;
    }
    FUZZ_CHECK(held <= payload.size());
    FUZZ_CHECK(request->columns.size() <= kMaxColumns);
}

// The bytes as they might come off the pipe, in pieces whose sizes the bytes themselves choose.
void checkFrames(std::string_view bytes) {
    FrameReader frames;
    std::size_t fed = 0;
    std::size_t taken = 0;
    for (std::size_t piece = 0; fed < bytes.size(); ++piece) {
        const std::size_t size =
            std::min<std::size_t>(bytes.size() - fed, (bytes[piece % bytes.size()] & 0x3F) + 1);
        frames.feed(bytes.substr(fed, size));
        fed += size;
        while (std::optional<std::string> payload = frames.next()) {
            FUZZ_CHECK(payload->size() <= kMaxPayload);
            // A payload is the bytes right after its header, unchanged.
            FUZZ_CHECK(bytes.substr(taken + kHeaderSize, payload->size()) == *payload);
            taken += kHeaderSize + payload->size();
            FUZZ_CHECK(taken <= fed);
            checkReply(*payload);
        }
        if (frames.failed()) {
            FUZZ_CHECK(!frames.next());
            return;
        }
        FUZZ_CHECK(taken + frames.pending() == fed);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkReply(bytes);
    checkRequest(bytes);
    checkFrames(bytes);
    return 0;
}
