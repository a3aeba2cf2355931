#include "JetFile.h"

#include "Sandbox.h"

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using jet::protocol::ColumnKind;
using jet::protocol::Failure;
using jet::protocol::Reply;
using jet::protocol::ReplyType;
using jet::protocol::Request;
using jet::protocol::RequestType;
namespace reader = jet::reader;

namespace {

// Off only in a build for profiling under valgrind, which cannot run a seccomp filter; the
// program's own builds and its package always have it.
#ifdef RULEVION_HELPER_WITHOUT_SANDBOX
constexpr bool kSandbox = false;
#else
constexpr bool kSandbox = true;
#endif

// A batch stops growing past this many bytes, well below the protocol's cap even when its last
// value is as long as a value may be.
constexpr std::size_t kBatchBytes = 256u << 10;

Reply failed(Failure f, std::uint32_t column = 0, std::uint8_t columnType = 0) {
    Reply r;
    r.type = ReplyType::Failed;
    r.failure = f;
    r.column = column;
    r.columnType = columnType;
    return r;
}

Reply done() {
    return Reply{};
}

Failure failureOf(const reader::ReadError& e) {
    switch (e.failure()) {
        case reader::Failure::CannotOpenFile: return Failure::CannotOpenFile;
        case reader::Failure::NotADatabase: return Failure::NotADatabase;
        case reader::Failure::TableNotFound: return Failure::TableNotFound;
        case reader::Failure::TableUnreadable: return Failure::TableUnreadable;
        case reader::Failure::Encrypted:
            // For whoever reads the helper's output; the program words its own messages.
            std::fputs(
                "rulevion-jetread: the database is encrypted: save it without a password "
                "in Access (File, Info, Decrypt)\n",
                stderr);
            return Failure::Encrypted;
        case reader::Failure::DamagedData: break;
    }
    return Failure::DamagedData;
}

bool readableAs(ColumnKind kind, std::uint8_t type) {
    return kind == ColumnKind::Long ? reader::readableAsLong(type) : reader::readableAsText(type);
}

}  // namespace

JetFile::JetFile() = default;

JetFile::~JetFile() = default;

Reply JetFile::handle(const Request& request) {
    try {
        if (request.type == RequestType::Open) return open(request.text);
        if (!file_) return failed(Failure::BadRequest);
        switch (request.type) {
            case RequestType::Table: return describeTable(request.text);
            case RequestType::Recordset: return openCursor(request);
            case RequestType::Fetch: return fetch(request);
            case RequestType::Find: return find(request);
            case RequestType::CloseCursor: return closeCursor(request.cursor);
            default: return failed(Failure::BadRequest);
        }
    } catch (const reader::ReadError& e) {
        return failed(failureOf(e));
    }
}

Reply JetFile::open(const std::string& path) {
    // One file per helper: after the first, it could not open another.
    if (sandboxed_) return failed(Failure::BadRequest);
    // A fifo would hold the open and a directory reads as nothing; only a readable regular file
    // goes on to the reader.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failed(Failure::CannotOpenFile);
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(Failure::CannotOpenFile);
    }
    // Open, not a byte of it parsed yet: from here on the helper can only read this file.
    if (kSandbox &&
        !jet::helper::enterSandbox(jet::protocol::kRequestFd, jet::protocol::kReplyFd, fd)) {
        ::close(fd);
        throw SandboxRefused("the system refused the sandbox");
    }
    sandboxed_ = true;
    file_.emplace(fd);
    return done();
}

Reply JetFile::describeTable(const std::string& name) {
    const reader::Table table = file_->table(name);
    Reply r;
    r.type = ReplyType::Table;
    r.rowCount = table.definedRowCount();
    return r;
}

Reply JetFile::openCursor(const Request& rq) {
    auto c = std::make_unique<Cursor>(Cursor{file_->table(rq.text), {}, {}, 0});
    const std::vector<reader::Column>& columns = c->table.columns();
    for (std::size_t i = 0; i < rq.columns.size(); ++i) {
        const jet::protocol::Column& asked = rq.columns[i];
        std::size_t at = 0;
        while (at < columns.size() && !jet::protocol::sameName(columns[at].name, asked.name)) ++at;
        if (at == columns.size())
            return failed(Failure::ColumnNotFound, static_cast<std::uint32_t>(i));
        if (!readableAs(asked.kind, columns[at].type))
            return failed(Failure::ColumnWrongKind, static_cast<std::uint32_t>(i),
                          columns[at].type);
        c->columns.push_back(at);
        c->kinds.push_back(asked.kind);
    }
    // The definition's count and the rows really there must agree: a difference means pages or
    // rows went missing or appeared, and the program goes by the rows it can read.
    c->rows = c->table.rowCount();
    if (c->rows != c->table.definedRowCount()) return failed(Failure::DamagedData);

    Reply r;
    r.type = ReplyType::Table;
    r.cursor = nextCursor_++;
    r.rowCount = c->rows;
    cursors_[r.cursor] = std::move(c);
    return r;
}

Reply JetFile::closeCursor(std::uint32_t id) {
    if (cursors_.erase(id) == 0) return failed(Failure::BadRequest);
    return done();
}

// Values of one column for consecutive rows. The row number names the row, so every column of
// a row comes from that very row.
Reply JetFile::fetch(const Request& rq) {
    auto it = cursors_.find(rq.cursor);
    if (it == cursors_.end()) return failed(Failure::BadRequest);
    Cursor& c = *it->second;
    if (rq.column >= c.columns.size() || rq.start >= c.rows || rq.count == 0)
        return failed(Failure::BadRequest);
    const std::size_t column = c.columns[rq.column];

    Reply r;
    r.type = ReplyType::Values;
    r.kind = c.kinds[rq.column];
    std::size_t bytes = 16;
    const std::uint32_t end = rq.start + std::min(rq.count, c.rows - rq.start);
    // No more values than the byte budget lets in, whatever count was asked for.
    const std::size_t most =
        std::min<std::size_t>(end - rq.start, kBatchBytes / jet::protocol::textCost(0) + 1);
    if (r.kind == ColumnKind::Long)
        r.numbers.reserve(most);
    else
        r.texts.reserve(most);
    for (std::uint32_t row = rq.start; row < end && bytes < kBatchBytes; ++row) {
        if (r.kind == ColumnKind::Long) {
            r.numbers.push_back(c.table.number(row, column));
            bytes += 4;
        } else {
            // Decoded straight into the reply, no further than a value may be sent.
            std::string& text = r.texts.emplace_back();
            c.table.textInto(row, column, text, jet::protocol::kMaxValueBytes);
            bytes += jet::protocol::textCost(text.size());
        }
    }
    return r;
}

Reply JetFile::find(const Request& rq) {
    auto it = cursors_.find(rq.cursor);
    if (it == cursors_.end()) return failed(Failure::BadRequest);
    Cursor& c = *it->second;
    if (rq.column >= c.columns.size() || rq.start >= c.rows ||
        c.kinds[rq.column] != ColumnKind::Text)
        return failed(Failure::BadRequest);
    const std::size_t column = c.columns[rq.column];
    Reply r;
    r.type = ReplyType::Found;
    std::string& text = r.texts.emplace_back();
    // The value sent back is decoded as a fetch would send it; a text a value may not be is
    // never found.
    if (rq.text.size() <= jet::protocol::kMaxValueBytes)
        for (std::uint32_t row = rq.start; row < c.rows; ++row)
            if (c.table.textEquals(row, column, rq.text)) {
                c.table.textInto(row, column, text, jet::protocol::kMaxValueBytes);
                r.rowCount = row;
                return r;
            }
    r.rowCount = c.rows;
    c.table.textInto(c.rows - 1, column, text, jet::protocol::kMaxValueBytes);
    return r;
}
