// The messages between program and helper: what one side encodes the other decodes unchanged,
// and bytes that are not a message are refused without reading past them.
#include "Protocol.h"

#include <gtest/gtest.h>

#include <random>

using namespace jet::protocol;

namespace {

Reply valuesReply(ColumnKind kind) {
    Reply r;
    r.type = ReplyType::Values;
    r.kind = kind;
    if (kind == ColumnKind::Long)
        r.numbers = {0, -1, INT32_MIN, INT32_MAX, 42};
    else
        r.texts = {"", "12345", std::string("\xC0-100\0x", 7), std::string(300, '\xFF')};
    return r;
}

Reply tableReply() {
    Reply r;
    r.type = ReplyType::Table;
    r.cursor = 0xDEADBEEF;
    r.rowCount = 20000;
    return r;
}

Reply foundReply() {
    Reply r;
    r.type = ReplyType::Found;
    r.rowCount = 4097;
    r.texts = {std::string("\xCA-12\0", 5)};
    return r;
}

Reply failedReply(Failure f) {
    Reply r;
    r.type = ReplyType::Failed;
    r.failure = f;
    if (f == Failure::ColumnWrongKind) {
        r.column = 5;
        r.columnType = 0x08;
    }
    return r;
}

Request recordsetRequest() {
    Request r;
    r.type = RequestType::Recordset;
    r.text = "Students";
    r.columns = {{"StBook", ColumnKind::Text}, {"\xD1\xF7\xE5\xF2", ColumnKind::Long}};
    return r;
}

void expectSame(const Reply& a, const Reply& b) {
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(encode(a), encode(b));
}

TEST(Protocol, RepliesSurviveTheTrip) {
    for (const Reply& r :
         {valuesReply(ColumnKind::Text), valuesReply(ColumnKind::Long), tableReply(), foundReply(),
          failedReply(Failure::TableNotFound), failedReply(Failure::ColumnWrongKind), Reply{}}) {
        const std::optional<Reply> back = decodeReply(encode(r));
        ASSERT_TRUE(back);
        expectSame(*back, r);
    }
    const std::optional<Reply> v = decodeReply(encode(valuesReply(ColumnKind::Text)));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->texts, valuesReply(ColumnKind::Text).texts);
    const std::optional<Reply> t = decodeReply(encode(tableReply()));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->cursor, 0xDEADBEEFu);
    EXPECT_EQ(t->rowCount, 20000u);
    const std::optional<Reply> f = decodeReply(encode(failedReply(Failure::ColumnWrongKind)));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->column, 5u);
    EXPECT_EQ(f->columnType, 0x08);
    const std::optional<Reply> found = decodeReply(encode(foundReply()));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->rowCount, 4097u);
    EXPECT_EQ(found->texts, foundReply().texts);
}

TEST(Protocol, RequestsSurviveTheTrip) {
    Request open;
    open.type = RequestType::Open;
    open.text = "/mnt/c/VDM/dbtrener.mdb";
    Request fetch;
    fetch.type = RequestType::Fetch;
    fetch.cursor = 3;
    fetch.column = 5;
    fetch.start = 19999;
    fetch.count = 4096;
    Request find;
    find.type = RequestType::Find;
    find.cursor = 3;
    find.column = 1;
    find.start = 7;
    find.text = "\xEA\xE7-7";
    for (const Request& r : {open, fetch, find, recordsetRequest()}) {
        const std::optional<Request> back = decodeRequest(encode(r));
        ASSERT_TRUE(back);
        EXPECT_EQ(encode(*back), encode(r));
    }
    const std::optional<Request> back = decodeRequest(encode(recordsetRequest()));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->columns.size(), 2u);
    EXPECT_EQ(back->columns[1].name, "\xD1\xF7\xE5\xF2");
    EXPECT_EQ(back->columns[1].kind, ColumnKind::Long);
}

// Every cut of a valid message, and every message with a byte too many, is refused.
TEST(Protocol, TruncatedOrPaddedMessagesAreRefused) {
    for (const Reply& r : {valuesReply(ColumnKind::Text), valuesReply(ColumnKind::Long),
                           tableReply(), foundReply(), failedReply(Failure::ColumnWrongKind)}) {
        const std::string bytes = encode(r);
        for (std::size_t n = 0; n < bytes.size(); ++n)
            EXPECT_FALSE(decodeReply(bytes.substr(0, n))) << n;
        EXPECT_FALSE(decodeReply(bytes + '\0'));
    }
}

struct BadReply {
    const char* name;
    std::string bytes;
};

std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

TEST(Protocol, ForgedFieldsAreRefused) {
    const BadReply cases[] = {
        {"unknown type", std::string("\x09", 1)},
        {"unknown failure", std::string("\x01\x63", 2) + le32(0) + '\0'},
        {"failure zero", std::string("\x01\x00", 2) + le32(0) + '\0'},
        {"failure without its column", std::string("\x01\x07", 2)},
        {"values of kind 3", std::string("\x04\x03", 2) + le32(0)},
        {"values of unknown kind", std::string("\x04\x07", 2) + le32(0)},
        {"a billion texts", std::string("\x04\x01", 2) + le32(1000000000)},
        {"a billion numbers", std::string("\x04\x02", 2) + le32(1000000000) + le32(1)},
        {"text longer than the message",
         std::string("\x04\x01", 2) + le32(1) + le32(0xFFFFFFF0) + "abc"},
    };
    for (const BadReply& c : cases) EXPECT_FALSE(decodeReply(c.bytes)) << c.name;
    const std::string recordset = std::string("\x03", 1) + le32(1) + "S";
    std::string columns256;
    for (int i = 0; i < 256; ++i) columns256 += le32(1) + "A\x02";
    const BadReply requests[] = {
        {"a billion columns", recordset + le32(1000000000)},
        {"more columns than a table has", recordset + le32(256) + columns256},
        {"column of unknown kind", recordset + le32(1) + le32(1) + "A\x09"},
    };
    for (const BadReply& c : requests) EXPECT_FALSE(decodeRequest(c.bytes)) << c.name;
    EXPECT_TRUE(decodeRequest(recordset + le32(255) + columns256.substr(6)));
    EXPECT_FALSE(decodeRequest(std::string("\x04", 1) + le32(1)));
    EXPECT_FALSE(decodeRequest(std::string("\x00", 1)));
    EXPECT_FALSE(decodeRequest(""));
    EXPECT_FALSE(decodeReply(""));
}

TEST(Protocol, FramesAreCutWhereverTheBytesBreak) {
    const std::string a = encode(valuesReply(ColumnKind::Text));
    const std::string b = encode(tableReply());
    const std::string stream = frame(a) + frame(b) + frame("");
    for (std::size_t step : {1u, 3u, 4096u}) {
        FrameReader reader;
        std::vector<std::string> got;
        for (std::size_t i = 0; i < stream.size(); i += step) {
            reader.feed(std::string_view(stream).substr(i, step));
            while (std::optional<std::string> p = reader.next()) got.push_back(*p);
        }
        EXPECT_FALSE(reader.failed());
        EXPECT_EQ(reader.pending(), 0u);
        ASSERT_EQ(got.size(), 3u) << step;
        EXPECT_EQ(got[0], a);
        EXPECT_EQ(got[1], b);
        EXPECT_EQ(got[2], "");
    }
}

TEST(Protocol, OversizeFrameFailsTheReader) {
    FrameReader reader;
    reader.feed(le32(kMaxPayload + 1));
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.failed());
    reader.feed(frame("late"));
    EXPECT_FALSE(reader.next());

    FrameReader atCap;
    atCap.feed(le32(kMaxPayload));
    EXPECT_FALSE(atCap.next());
    EXPECT_FALSE(atCap.failed());
}

// Random mutations of valid messages: decoding either refuses or gives a message that encodes
// back to the same bytes. Run under the sanitizers this also shows no read out of bounds.
TEST(Protocol, MutatedMessagesNeverMisread) {
    std::mt19937 rng(12345);
    const std::vector<std::string> seeds = {
        encode(valuesReply(ColumnKind::Text)), encode(valuesReply(ColumnKind::Long)),
        encode(tableReply()), encode(failedReply(Failure::ColumnWrongKind)),
        encode(recordsetRequest())};
    for (int i = 0; i < 20000; ++i) {
        std::string m = seeds[rng() % seeds.size()];
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits && !m.empty(); ++e) {
            switch (rng() % 3) {
                case 0: m[rng() % m.size()] = static_cast<char>(rng()); break;
                case 1: m.resize(rng() % m.size()); break;
                default:
                    m.insert(m.begin() + static_cast<long>(rng() % (m.size() + 1)),
                             static_cast<char>(rng()));
            }
        }
        if (const std::optional<Reply> r = decodeReply(m)) {
            EXPECT_EQ(encode(*r), m);
        }
        if (const std::optional<Request> r = decodeRequest(m)) {
            EXPECT_EQ(encode(*r), m);
        }
    }
}

TEST(Protocol, NamesCompareAsTheEngineDoes) {
    EXPECT_TRUE(sameName("Students", "STUDENTS"));
    EXPECT_TRUE(
        sameName("\xC3\xF0\xF3\xEF\xEF\xE0", "\xE3\xD0\xD3\xCF\xCF\xC0"));  // Группа, гРУППА
    EXPECT_TRUE(sameName("\xA8", "\xB8"));                                  // Ё, ё
    EXPECT_FALSE(sameName("Students", "Student"));
    EXPECT_FALSE(sameName("Students ", "Students"));
}

}  // namespace
