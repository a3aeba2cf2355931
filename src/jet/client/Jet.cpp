#include "Jet.h"

#include "CaseFold.h"
#include "ErrorText.h"
#include "HelperChannel.h"

#include <climits>
#include <map>

namespace jet {
namespace {

using protocol::ColumnKind;
using protocol::ReplyType;
using protocol::Request;
using protocol::RequestType;

// The record-book numbers are read for every row; a few thousand per reply keep the pipe's round
// trips out of the scan's cost, and each reply's buffers small enough to be reused rather than
// mapped afresh (four times as many faulted in more memory than they saved in round trips).
constexpr std::uint32_t kBatchRows = 4096;

int findColumn(const std::vector<ColumnRequest>& columns, const std::string& name) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (protocol::sameName(columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

ColumnKind wireKind(FieldValue::Kind kind) {
    return kind == FieldValue::Kind::Long ? ColumnKind::Long : ColumnKind::Text;
}

FieldValue fieldOf(const protocol::Reply& reply, std::size_t i) {
    if (reply.kind == ColumnKind::Long) return {FieldValue::Kind::Long, {}, reply.numbers[i]};
    return {FieldValue::Kind::Text, reply.texts[i], 0};
}

std::size_t valueCount(const protocol::Reply& reply) {
    return reply.kind == ColumnKind::Long ? reply.numbers.size() : reply.texts.size();
}

}  // namespace

Error::Error(std::string descriptionCp1251) : Error(Code::Other, std::move(descriptionCp1251)) {}

Error::Error(Code code, std::string descriptionCp1251, std::string subjectCp1251)
    : std::runtime_error(descriptionCp1251),
      description_(std::move(descriptionCp1251)),
      code_(code),
      subject_(std::move(subjectCp1251)) {}

// ---- Database ----

Database::Database() : Database(Limits{}) {}

Database::Database(Limits limits) : limits_(std::move(limits)) {}

Database::~Database() {
    close();
}

void Database::open(const std::string& hostPath) {
    close();
    auto channel = std::make_unique<HelperChannel>(limits_);
    Request r;
    r.type = RequestType::Open;
    r.text = hostPath;
    channel->call(r, ReplyType::Done);
    channel_ = std::move(channel);
}

bool Database::isOpen() const {
    return channel_ && channel_->alive();
}

void Database::close() {
    channel_.reset();
}

// ---- TableDef ----

TableDef::TableDef(Database& db) : db_(db) {}

TableDef::~TableDef() = default;

void TableDef::open(const std::string& tableName) {
    open_ = false;
    HelperChannel* channel = db_.channel();
    if (!channel || !channel->alive()) throw makeError(Error::Code::NotOpen);
    Request r;
    r.type = RequestType::Table;
    r.text = tableName;
    channel->call(r, ReplyType::Table, tableName);
    name_ = tableName;
    helperSerial_ = channel->serial();
    open_ = true;
}

// ---- Recordset ----

struct Recordset::State {
    std::uint64_t helperSerial = 0;
    std::uint32_t cursor = 0;
    std::int32_t rowCount = 0;
    std::vector<ColumnRequest> columns;
    std::int32_t row = 0;
    bool bof = true;
    bool eof = true;
    // The first column read is taken as the one being scanned and is fetched ahead in batches;
    // any other column is fetched for the current row only.
    int scanColumn = -1;
    protocol::Reply batch;
    std::int32_t batchStart = 0;
    std::int32_t cachedRow = -1;
    std::map<int, FieldValue> rowValues;
    // The scan asks for the same column on every row; its name is matched once.
    std::string lastName;
    int lastColumn = -1;
};

Recordset::Recordset(Database& db) : db_(db) {}

Recordset::~Recordset() {
    close();
}

void Recordset::open(TableDef& table, const std::vector<ColumnRequest>& columns) {
    close();
    HelperChannel* channel = db_.channel();
    if (!table.isOpen() || &table.database() != &db_ || !channel || !channel->alive() ||
        table.helperSerial_ != channel->serial())
        throw makeError(Error::Code::NotOpen);
    if (columns.size() > protocol::kMaxColumns) throw makeError(Error::Code::Other);
    Request r;
    r.type = RequestType::Recordset;
    r.text = table.name();
    for (const ColumnRequest& c : columns) r.columns.push_back({c.name, wireKind(c.kind)});
    protocol::Reply reply = channel->call(r, ReplyType::Table, table.name());
    if (reply.rowCount > static_cast<std::uint32_t>(INT32_MAX))
        channel->abandon(Error::Code::MalformedReply);

    auto state = std::make_unique<State>();
    state->helperSerial = channel->serial();
    state->cursor = reply.cursor;
    state->rowCount = static_cast<std::int32_t>(reply.rowCount);
    state->columns = columns;
    state->bof = state->eof = state->rowCount == 0;
    state_ = std::move(state);
    open_ = true;
}

void Recordset::close() {
    if (state_) {
        HelperChannel* channel = db_.channel();
        if (channel && channel->alive() && channel->serial() == state_->helperSerial) {
            Request r;
            r.type = RequestType::CloseCursor;
            r.cursor = state_->cursor;
            try {
                channel->call(r, ReplyType::Done);
            } catch (const Error&) {
                // The cursor dies with the helper anyway.
            }
        }
    }
    state_.reset();
    open_ = false;
}

std::int32_t Recordset::recordCount() {
    if (!open_) throw makeError(Error::Code::NotOpen);
    return state_->rowCount;
}

void Recordset::moveFirst() {
    if (!open_) throw makeError(Error::Code::NotOpen);
    state_->row = 0;
    state_->bof = state_->eof = state_->rowCount == 0;
}

void Recordset::moveNext() {
    if (!open_) throw makeError(Error::Code::NotOpen);
    if (state_->eof) throw makeError(Error::Code::NoCurrentRecord);
    ++state_->row;
    state_->bof = false;
    state_->eof = state_->row >= state_->rowCount;
}

bool Recordset::isEof() const {
    return !state_ || state_->eof;
}

bool Recordset::isBof() const {
    return !state_ || state_->bof;
}

HelperChannel& Recordset::channelAtRecord() {
    if (!open_) throw makeError(Error::Code::NotOpen);
    HelperChannel* channel = db_.channel();
    if (!channel || !channel->alive() || channel->serial() != state_->helperSerial)
        throw makeError(Error::Code::NotOpen);
    if (state_->bof || state_->eof) throw makeError(Error::Code::NoCurrentRecord);
    return *channel;
}

FieldValue Recordset::value(const std::string& column) {
    HelperChannel* channel = &channelAtRecord();
    State& s = *state_;
    if (s.lastColumn < 0 || column != s.lastName) {
        s.lastColumn = findColumn(s.columns, column);
        s.lastName = column;
    }
    const int col = s.lastColumn;
    if (col < 0) throw makeError(Error::Code::ColumnNotFound, column);
    const ColumnKind kind = wireKind(s.columns[static_cast<std::size_t>(col)].kind);
    if (s.scanColumn < 0) s.scanColumn = col;

    const bool scanned = col == s.scanColumn;
    if (scanned && s.batch.type == ReplyType::Values && s.row >= s.batchStart &&
        static_cast<std::size_t>(s.row - s.batchStart) < valueCount(s.batch))
        return fieldOf(s.batch, static_cast<std::size_t>(s.row - s.batchStart));
    if (!scanned && s.cachedRow == s.row) {
        if (auto it = s.rowValues.find(col); it != s.rowValues.end()) return it->second;
    }

    Request r;
    r.type = RequestType::Fetch;
    r.cursor = s.cursor;
    r.column = static_cast<std::uint32_t>(col);
    r.start = static_cast<std::uint32_t>(s.row);
    r.count = scanned ? std::min<std::uint32_t>(kBatchRows,
                                                static_cast<std::uint32_t>(s.rowCount - s.row))
                      : 1;
    protocol::Reply reply = channel->call(r, ReplyType::Values, column);
    const std::size_t n = valueCount(reply);
    if (reply.kind != kind || n == 0 || n > r.count) channel->abandon(Error::Code::MalformedReply);

    FieldValue v = fieldOf(reply, 0);
    if (scanned) {
        s.batch = std::move(reply);
        s.batchStart = s.row;
    } else {
        if (s.cachedRow != s.row) s.rowValues.clear();
        s.cachedRow = s.row;
        s.rowValues[col] = v;
    }
    return v;
}

bool Recordset::findNext(const std::string& column, const std::string& text) {
    HelperChannel* channel = &channelAtRecord();
    State& s = *state_;
    const int col = findColumn(s.columns, column);
    if (col < 0) throw makeError(Error::Code::ColumnNotFound, column);
    if (s.columns[static_cast<std::size_t>(col)].kind != FieldValue::Kind::Text)
        throw makeError(Error::Code::Other);

    Request r;
    r.type = RequestType::Find;
    r.cursor = s.cursor;
    r.column = static_cast<std::uint32_t>(col);
    r.start = static_cast<std::uint32_t>(s.row);
    r.text = text;
    protocol::Reply reply = channel->call(r, ReplyType::Found, column);
    const bool found = reply.rowCount < static_cast<std::uint32_t>(s.rowCount);
    // The row a student signs in with is the helper's word; it must hold what was typed, and a
    // search that gave up must not have passed it on its last row.
    if (reply.texts.size() != 1 ||
        (!found && reply.rowCount != static_cast<std::uint32_t>(s.rowCount)) ||
        reply.rowCount < r.start || cp1251::equalIgnoringCase(reply.texts[0], text) != found)
        channel->abandon(Error::Code::MalformedReply);
    const auto row = found ? static_cast<std::int32_t>(reply.rowCount) : s.rowCount - 1;
    if (found) {
        // Read back by its number, apart from the search: a search that counted its rows wrong
        // would otherwise put another student's name beside the typed number.
        Request check;
        check.type = RequestType::Fetch;
        check.cursor = s.cursor;
        check.column = r.column;
        check.start = static_cast<std::uint32_t>(row);
        check.count = 1;
        protocol::Reply value = channel->call(check, ReplyType::Values, column);
        if (value.kind != ColumnKind::Text || value.texts.size() != 1 ||
            !cp1251::equalIgnoringCase(value.texts[0], text))
            channel->abandon(Error::Code::MalformedReply);
        reply.texts = std::move(value.texts);
    }
    s.row = row;
    // The value compared last is the column's value of the row the search stopped on.
    s.scanColumn = col;
    s.batch.type = ReplyType::Values;
    s.batch.kind = ColumnKind::Text;
    s.batch.numbers.clear();
    s.batch.texts = std::move(reply.texts);
    s.batchStart = s.row;
    return found;
}

}  // namespace jet
