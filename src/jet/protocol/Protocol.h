#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The messages between the program and its reader helper. Each message travels as a frame: a
// 4-byte little-endian length, then that many bytes of payload. Both sides decode what the other
// sent as untrusted bytes: every length is checked against what is left, and nothing bigger than
// kMaxPayload is ever accepted or allocated.
namespace jet::protocol {

// Large enough for a batch of a few thousand record-book numbers, and for the longest value the
// helper sends (kMaxValueBytes) with room to spare.
constexpr std::size_t kMaxPayload = 1u << 20;
constexpr std::size_t kHeaderSize = 4;
// A Memo can hold far more than a name or a number ever needs; the helper cuts a text value here.
constexpr std::size_t kMaxValueBytes = 64u << 10;

// The fds the helper finds its request and reply pipes on.
constexpr int kRequestFd = 3;
constexpr int kReplyFd = 4;

// Clean failures the helper reports; the program turns each into a description for the user.
enum class Failure : std::uint8_t {
    CannotOpenFile = 1,
    NotADatabase = 2,
    TableNotFound = 3,
    TableUnreadable = 4,
    DamagedData = 5,
    BadRequest = 6,
    // The recordset's column, by its place in the request, is not in the table.
    ColumnNotFound = 7,
    // The recordset's column holds values of a kind that cannot be read in the asked form; the
    // reply names the kind by its Jet type code.
    ColumnWrongKind = 8,
    // The file's pages are encrypted with a password; nothing in it can be read.
    Encrypted = 9,
};

// The form the program reads a column's values in.
enum class ColumnKind : std::uint8_t { Text = 1, Long = 2 };

enum class RequestType : std::uint8_t {
    Open = 1,       // text: the file's path
    Table = 2,      // text: the table's name
    Recordset = 3,  // text: the table's name; columns: those to be read; the reply has a cursor
    Fetch = 4,      // cursor, column (its place among the recordset's columns), start, count
    CloseCursor = 5,
    // cursor, column (a Text one), start; text: the value sought. The helper compares the rows
    // from start on itself, so a scan for one number sends one reply, not every row's value.
    Find = 6,
};

enum class ReplyType : std::uint8_t {
    Failed = 1,  // failure, column, columnType
    Done = 2,    // nothing more to say
    Table = 3,   // cursor (0 for a table definition), rowCount
    Values = 4,  // kind, then texts or numbers for the rows start, start + 1, ...
    // rowCount: the first row from start whose value equals the text sought ignoring case, or
    // the recordset's row count when none does; texts: one, that row's value (without a match,
    // the last row's).
    Found = 5,
};

struct Column {
    std::string name;
    ColumnKind kind = ColumnKind::Text;
};

struct Request {
    RequestType type = RequestType::Open;
    std::string text;
    std::vector<Column> columns;
    std::uint32_t cursor = 0;
    std::uint32_t column = 0;
    std::uint32_t start = 0;
    std::uint32_t count = 0;
};

// A recordset reads no more columns than this; a table has at most 255.
constexpr std::size_t kMaxColumns = 255;

struct Reply {
    ReplyType type = ReplyType::Done;
    Failure failure = Failure::BadRequest;
    std::uint32_t column = 0;
    std::uint8_t columnType = 0;
    std::uint32_t cursor = 0;
    std::uint32_t rowCount = 0;
    ColumnKind kind = ColumnKind::Text;
    std::vector<std::string> texts;
    std::vector<std::int32_t> numbers;
};

// Payloads without the frame header. encode* never produces more than kMaxPayload bytes for
// what its callers send (paths, names and batches are bounded by them); decode* rejects any
// payload that is not exactly one well-formed message.
std::string encode(const Request& request);
std::string encode(const Reply& reply);
std::optional<Request> decodeRequest(std::string_view payload);
std::optional<Reply> decodeReply(std::string_view payload);

// Names of tables and columns as the engine compares them: CP1251, ignoring the case of Latin and
// Cyrillic letters.
bool sameName(std::string_view a, std::string_view b);

// Bytes an encoded text of this length adds to a payload.
constexpr std::size_t textCost(std::size_t length) {
    return 4 + length;
}

// Header plus payload.
std::string frame(std::string_view payload);

// Collects bytes as they arrive and cuts them into payloads.
class FrameReader {
public:
    void feed(std::string_view bytes);
    // The next complete payload, if any. After a header announcing more than kMaxPayload the
    // reader is failed() and yields nothing more.
    std::optional<std::string> next();
    bool failed() const { return failed_; }
    // Bytes received that do not yet make a whole frame.
    std::size_t pending() const { return buffer_.size() - consumed_; }

private:
    std::string buffer_;
    std::size_t consumed_ = 0;
    bool failed_ = false;
};

}  // namespace jet::protocol
