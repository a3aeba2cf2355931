#include "JetFile.h"

#include "StoredText.h"

#include <mdbtools.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <charconv>

using jet::protocol::Column;
using jet::protocol::ColumnKind;
using jet::protocol::Failure;
using jet::protocol::Reply;
using jet::protocol::ReplyType;
using jet::protocol::Request;
using jet::protocol::RequestType;

namespace {

// A batch stops growing past this many bytes, well below the protocol's cap even when its last
// value is as long as the bind size allows.
constexpr std::size_t kBatchBytes = 256u << 10;

struct Position {
    std::uint32_t page;
    std::uint32_t row;
};

Reply failed(Failure f) {
    Reply r;
    r.type = ReplyType::Failed;
    r.failure = f;
    return r;
}

Reply done() {
    return Reply{};
}

ColumnKind kindOf(const MdbColumn* col) {
    switch (col->col_type) {
        case MDB_TEXT:
        case MDB_MEMO: return ColumnKind::Text;
        case MDB_LONGINT:
            // libmdb reads four bytes whatever the definition says; a different size means a
            // damaged definition.
            return col->col_size == 4 ? ColumnKind::Long : ColumnKind::Other;
        default: return ColumnKind::Other;
    }
}

}  // namespace

struct JetFile::Handle {
    MdbHandle* mdb = nullptr;
    ~Handle() {
        if (mdb) mdb_close(mdb);
    }
};

struct JetCursor {
    MdbTableDef* table = nullptr;
    std::vector<Column> columns;
    std::vector<Position> positions;  // of every row the scan has passed, in table order
    bool scanEnded = false;
    bool endChecked = false;
    MdbColumn* column = nullptr;  // the one the last fetch asked for

    ~JetCursor() {
        if (table) mdb_free_tabledef(table);
    }
};

JetFile::JetFile() = default;

JetFile::~JetFile() {
    cursors_.clear();
    mdb_.reset();
}

Reply JetFile::handle(const Request& request) {
    if (request.type == RequestType::Open) return open(request.text);
    if (!mdb_) return failed(Failure::BadRequest);
    switch (request.type) {
        case RequestType::Table: return describeTable(request.text);
        case RequestType::Recordset: return openCursor(request.text);
        case RequestType::Fetch: return fetch(request);
        case RequestType::CloseCursor: return closeCursor(request.cursor);
        default: return failed(Failure::BadRequest);
    }
}

Reply JetFile::open(const std::string& path) {
    if (mdb_) return failed(Failure::BadRequest);
    // libmdb would hang on a fifo and read a directory as an empty file; only a readable regular
    // file goes on to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failed(Failure::CannotOpenFile);
    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular) return failed(Failure::CannotOpenFile);

    auto handle = std::make_unique<Handle>();
    handle->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!handle->mdb) return failed(Failure::NotADatabase);
    if (!mdb_read_catalog(handle->mdb, MDB_TABLE)) return failed(Failure::NotADatabase);
    mdb_ = std::move(handle);
    return done();
}

MdbTableDef* JetFile::readTable(const std::string& name, Failure& failure) {
    MdbHandle* mdb = mdb_->mdb;
    MdbCatalogEntry* entry = nullptr;
    for (guint i = 0; mdb->catalog && i < mdb->catalog->len; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE &&
            jet::protocol::sameName(encoder_.encode(e->object_name), name)) {
            entry = e;
            break;
        }
    }
    if (!entry) {
        failure = Failure::TableNotFound;
        return nullptr;
    }
    pageOwner_ = nullptr;
    MdbTableDef* table = mdb_read_table(entry);
    if (!table) {
        failure = Failure::TableUnreadable;
        return nullptr;
    }
    if (!mdb_read_columns(table) || table->num_cols == 0 || table->num_rows > INT32_MAX) {
        mdb_free_tabledef(table);
        failure = Failure::TableUnreadable;
        return nullptr;
    }
    return table;
}

std::vector<Column> JetFile::describeColumns(MdbTableDef* table) {
    std::vector<Column> out;
    for (guint i = 0; i < table->columns->len; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        out.push_back({encoder_.encode(col->name), kindOf(col)});
    }
    return out;
}

Reply JetFile::describeTable(const std::string& name) {
    Failure failure{};
    MdbTableDef* table = readTable(name, failure);
    if (!table) return failed(failure);
    Reply r;
    r.type = ReplyType::Table;
    r.rowCount = table->num_rows;
    r.columns = describeColumns(table);
    mdb_free_tabledef(table);
    return r;
}

Reply JetFile::openCursor(const std::string& name) {
    Failure failure{};
    MdbTableDef* table = readTable(name, failure);
    if (!table) return failed(failure);
    auto c = std::make_unique<JetCursor>();
    c->table = table;
    c->columns = describeColumns(table);
    mdb_rewind_table(table);
    // A table whose definition says it is empty must really be; the definition's count is what
    // the program goes by.
    if (table->num_rows == 0 && scanNext(*c)) return failed(Failure::DamagedData);

    Reply r;
    r.type = ReplyType::Table;
    r.cursor = nextCursor_++;
    r.rowCount = table->num_rows;
    r.columns = c->columns;
    cursors_[r.cursor] = std::move(c);
    return r;
}

Reply JetFile::closeCursor(std::uint32_t id) {
    auto it = cursors_.find(id);
    if (it == cursors_.end()) return failed(Failure::BadRequest);
    if (pageOwner_ == it->second.get()) pageOwner_ = nullptr;
    cursors_.erase(it);
    return done();
}

bool JetFile::scanNext(JetCursor& c) {
    if (c.scanEnded) return false;
    MdbHandle* mdb = mdb_->mdb;
    if (c.table->cur_pg_num != 0 && pageOwner_ != &c) {
        // Something else used the page buffer since this scan last stood on its page.
        mdb->cur_pg = 0;
        if (mdb_read_pg(mdb, c.table->cur_phys_pg) != mdb->fmt->pg_size) {
            c.scanEnded = true;
            return false;
        }
    }
    pageOwner_ = &c;
    if (!mdb_fetch_row(c.table)) {
        c.scanEnded = true;
        return false;
    }
    c.positions.push_back({c.table->cur_phys_pg, c.table->cur_row - 1});
    return true;
}

bool JetFile::readAt(JetCursor& c, std::uint32_t row) {
    if (row < c.positions.size()) {
        MdbHandle* mdb = mdb_->mdb;
        const Position p = c.positions[row];
        pageOwner_ = nullptr;
        mdb->cur_pg = 0;
        return mdb_read_pg(mdb, p.page) == mdb->fmt->pg_size && mdb_read_row(c.table, p.row) == 1;
    }
    while (c.positions.size() <= row)
        if (!scanNext(c)) return false;
    return true;
}

// After the last row the definition counts, a further row means the count is wrong.
bool JetFile::scannedPastEnd(JetCursor& c) {
    if (c.endChecked) return false;
    c.endChecked = true;
    return scanNext(c);
}

// The asked column's value in the row just read, as a bound column would have received it: what
// the library makes of it, cut at its first NUL and at the bind size; a Null and an empty text
// are both empty. No column is bound, so reading a row converts none of its values.
bool JetFile::appendValue(JetCursor& c, Reply& reply, std::size_t& bytes) {
    MdbHandle* mdb = mdb_->mdb;
    const MdbColumn* col = c.column;
    if (reply.kind == ColumnKind::Text && col->col_type == MDB_TEXT && !IS_JET3(mdb)) {
        // Read from the page itself: the library's conversion to UTF-8, and ours back, cost more
        // than all the rest of a scanned row.
        std::string text;
        if (col->cur_value_len > 0) {
            const long start = col->cur_value_start;
            const long end = start + col->cur_value_len;
            if (start < 0 || end > static_cast<long>(mdb->fmt->pg_size)) return false;
            text = storedTextToCp1251(
                std::string_view(reinterpret_cast<const char*>(mdb->pg_buf) + start, end - start));
        }
        bytes += jet::protocol::textCost(text.size());
        reply.texts.push_back(std::move(text));
        return true;
    }
    char* text = nullptr;
    if (col->cur_value_len > 0) {
        text = mdb_col_to_string(mdb, mdb->pg_buf, col->cur_value_start, col->col_type,
                                 col->cur_value_len);
        if (!text) return false;
    }
    std::string_view bound = text ? std::string_view(text) : std::string_view();
    if (mdb->bind_size > 0 && bound.size() > mdb->bind_size - 1)
        bound = bound.substr(0, mdb->bind_size - 1);
    bool ok = true;
    if (reply.kind == ColumnKind::Long) {
        std::int32_t n = 0;  // a Null reads as 0
        if (!bound.empty()) {
            auto [end, ec] = std::from_chars(bound.data(), bound.data() + bound.size(), n);
            ok = ec == std::errc() && end == bound.data() + bound.size();
        }
        if (ok) {
            reply.numbers.push_back(n);
            bytes += 4;
        }
    } else {
        reply.texts.push_back(encoder_.encode(bound));
        bytes += jet::protocol::textCost(reply.texts.back().size());
    }
    g_free(text);
    return ok;
}

Reply JetFile::fetch(const Request& rq) {
    auto it = cursors_.find(rq.cursor);
    if (it == cursors_.end()) return failed(Failure::BadRequest);
    JetCursor& c = *it->second;
    const std::uint32_t rows = c.table->num_rows;
    if (rq.column >= c.columns.size() || rq.start >= rows || rq.count == 0)
        return failed(Failure::BadRequest);
    const ColumnKind kind = c.columns[rq.column].kind;
    if (kind == ColumnKind::Other) return failed(Failure::TableUnreadable);

    c.column = static_cast<MdbColumn*>(g_ptr_array_index(c.table->columns, rq.column));

    Reply r;
    r.type = ReplyType::Values;
    r.kind = kind;
    std::size_t bytes = 16;
    const std::uint32_t end = rq.start + std::min(rq.count, rows - rq.start);
    for (std::uint32_t row = rq.start; row < end && bytes < kBatchBytes; ++row) {
        if (!readAt(c, row) || !appendValue(c, r, bytes)) return failed(Failure::DamagedData);
        if (row + 1 == rows && scannedPastEnd(c)) return failed(Failure::DamagedData);
    }
    return r;
}
