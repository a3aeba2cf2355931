#include "Protocol.h"

#include "CaseFold.h"

namespace jet::protocol {
namespace {

class Writer {
public:
    void reserve(std::size_t n) { out_.reserve(n); }
    void u8(std::uint8_t v) { out_ += static_cast<char>(v); }
    void u32(std::uint32_t v) {
        const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                               static_cast<char>((v >> 16) & 0xFF),
                               static_cast<char>((v >> 24) & 0xFF)};
        out_.append(bytes, 4);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void text(std::string_view s) {
        u32(static_cast<std::uint32_t>(s.size()));
        out_.append(s);
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// Every read checks what is left; after the first short read everything fails.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    bool u8(std::uint8_t& v) {
        if (left() < 1) return fail();
        v = static_cast<std::uint8_t>(in_[pos_++]);
        return true;
    }
    bool u32(std::uint32_t& v) {
        if (left() < 4) return fail();
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return true;
    }
    bool i32(std::int32_t& v) {
        std::uint32_t u = 0;
        if (!u32(u)) return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool text(std::string& s) {
        std::string_view v;
        if (!textView(v)) return false;
        s.assign(v);
        return true;
    }
    // The text's bytes inside the payload, for building the string in place.
    bool textView(std::string_view& v) {
        std::uint32_t n = 0;
        if (!u32(n)) return false;
        if (n > left()) return fail();
        v = in_.substr(pos_, n);
        pos_ += n;
        return true;
    }
    // A count of items that each take at least minBytes cannot exceed what is left; checking it
    // first keeps a forged count from reserving memory.
    bool count(std::uint32_t& n, std::size_t minBytes) {
        if (!u32(n)) return false;
        if (static_cast<std::size_t>(n) > left() / minBytes) return fail();
        return true;
    }
    bool atEnd() const { return ok_ && pos_ == in_.size(); }

private:
    std::size_t left() const { return in_.size() - pos_; }
    bool fail() {
        ok_ = false;
        pos_ = in_.size();
        return false;
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

bool validFailure(std::uint8_t v) {
    return v >= static_cast<std::uint8_t>(Failure::CannotOpenFile) &&
           v <= static_cast<std::uint8_t>(Failure::Encrypted);
}

bool validKind(std::uint8_t v) {
    return v == static_cast<std::uint8_t>(ColumnKind::Text) ||
           v == static_cast<std::uint8_t>(ColumnKind::Long);
}

bool readColumns(Reader& in, std::vector<Column>& columns) {
    std::uint32_t n = 0;
    if (!in.count(n, textCost(0) + 1) || n > kMaxColumns) return false;
    columns.resize(n);
    for (Column& c : columns) {
        std::uint8_t kind = 0;
        if (!in.text(c.name) || !in.u8(kind) || !validKind(kind)) return false;
        c.kind = static_cast<ColumnKind>(kind);
    }
    return true;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    return cp1251::equalIgnoringCase(a, b);
}

std::string encode(const Request& r) {
    Writer w;
    w.u8(static_cast<std::uint8_t>(r.type));
    switch (r.type) {
        case RequestType::Open:
        case RequestType::Table: w.text(r.text); break;
        case RequestType::Recordset:
            w.text(r.text);
            w.u32(static_cast<std::uint32_t>(r.columns.size()));
            for (const Column& c : r.columns) {
                w.text(c.name);
                w.u8(static_cast<std::uint8_t>(c.kind));
            }
            break;
        case RequestType::Fetch:
            w.u32(r.cursor);
            w.u32(r.column);
            w.u32(r.start);
            w.u32(r.count);
            break;
        case RequestType::CloseCursor: w.u32(r.cursor); break;
        case RequestType::Find:
            w.u32(r.cursor);
            w.u32(r.column);
            w.u32(r.start);
            w.text(r.text);
            break;
    }
    return w.take();
}

std::string encode(const Reply& r) {
    Writer w;
    w.u8(static_cast<std::uint8_t>(r.type));
    switch (r.type) {
        case ReplyType::Failed:
            w.u8(static_cast<std::uint8_t>(r.failure));
            w.u32(r.column);
            w.u8(r.columnType);
            break;
        case ReplyType::Done: break;
        case ReplyType::Table:
            w.u32(r.cursor);
            w.u32(r.rowCount);
            break;
        case ReplyType::Values:
            w.u8(static_cast<std::uint8_t>(r.kind));
            if (r.kind == ColumnKind::Long) {
                w.u32(static_cast<std::uint32_t>(r.numbers.size()));
                for (std::int32_t n : r.numbers) w.i32(n);
            } else {
                // A batch holds thousands of texts; one allocation for all of them.
                std::size_t size = 6;
                for (const std::string& t : r.texts) size += textCost(t.size());
                w.reserve(size);
                w.u32(static_cast<std::uint32_t>(r.texts.size()));
                for (const std::string& t : r.texts) w.text(t);
            }
            break;
        case ReplyType::Found:
            w.u32(r.rowCount);
            w.text(r.texts.empty() ? std::string_view() : std::string_view(r.texts.front()));
            break;
    }
    return w.take();
}

std::optional<Request> decodeRequest(std::string_view payload) {
    if (payload.size() > kMaxPayload) return std::nullopt;
    Reader in(payload);
    std::uint8_t type = 0;
    if (!in.u8(type)) return std::nullopt;
    Request r;
    r.type = static_cast<RequestType>(type);
    bool ok = false;
    switch (r.type) {
        case RequestType::Open:
        case RequestType::Table: ok = in.text(r.text); break;
        case RequestType::Recordset: ok = in.text(r.text) && readColumns(in, r.columns); break;
        case RequestType::Fetch:
            ok = in.u32(r.cursor) && in.u32(r.column) && in.u32(r.start) && in.u32(r.count);
            break;
        case RequestType::CloseCursor: ok = in.u32(r.cursor); break;
        case RequestType::Find:
            ok = in.u32(r.cursor) && in.u32(r.column) && in.u32(r.start) && in.text(r.text);
            break;
        default: return std::nullopt;
    }
    if (!ok || !in.atEnd()) return std::nullopt;
    return r;
}

std::optional<Reply> decodeReply(std::string_view payload) {
    if (payload.size() > kMaxPayload) return std::nullopt;
    Reader in(payload);
    std::uint8_t type = 0;
    if (!in.u8(type)) return std::nullopt;
    Reply r;
    r.type = static_cast<ReplyType>(type);
    switch (r.type) {
        case ReplyType::Failed: {
            std::uint8_t f = 0;
            if (!in.u8(f) || !validFailure(f) || !in.u32(r.column) || !in.u8(r.columnType))
                return std::nullopt;
            r.failure = static_cast<Failure>(f);
            break;
        }
        case ReplyType::Done: break;
        case ReplyType::Table:
            if (!in.u32(r.cursor) || !in.u32(r.rowCount)) return std::nullopt;
            break;
        case ReplyType::Values: {
            std::uint8_t kind = 0;
            std::uint32_t n = 0;
            if (!in.u8(kind) || !validKind(kind)) return std::nullopt;
            r.kind = static_cast<ColumnKind>(kind);
            if (!in.count(n, 4)) return std::nullopt;
            if (r.kind == ColumnKind::Long) {
                r.numbers.resize(n);
                for (std::int32_t& v : r.numbers)
                    if (!in.i32(v)) return std::nullopt;
            } else {
                // count() has bounded n by the payload's size.
                r.texts.reserve(n);
                for (std::uint32_t i = 0; i < n; ++i) {
                    std::string_view t;
                    if (!in.textView(t)) return std::nullopt;
                    r.texts.emplace_back(t);
                }
            }
            break;
        }
        case ReplyType::Found: {
            std::string_view t;
            if (!in.u32(r.rowCount) || !in.textView(t)) return std::nullopt;
            r.texts.emplace_back(t);
            break;
        }
        default: return std::nullopt;
    }
    if (!in.atEnd()) return std::nullopt;
    return r;
}

std::string frame(std::string_view payload) {
    Writer w;
    w.u32(static_cast<std::uint32_t>(payload.size()));
    std::string out = w.take();
    out.append(payload);
    return out;
}

void FrameReader::feed(std::string_view bytes) {
    if (failed_) return;
    if (consumed_ > 0 && consumed_ == buffer_.size()) {
        buffer_.clear();
        consumed_ = 0;
    } else if (consumed_ > kMaxPayload) {
        buffer_.erase(0, consumed_);
        consumed_ = 0;
    }
    buffer_.append(bytes);
}

std::optional<std::string> FrameReader::next() {
    if (failed_ || pending() < kHeaderSize) return std::nullopt;
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < kHeaderSize; ++i)
        length |= static_cast<std::uint32_t>(static_cast<unsigned char>(buffer_[consumed_ + i]))
                  << (8 * i);
    if (length > kMaxPayload) {
        failed_ = true;
        buffer_.clear();
        consumed_ = 0;
        return std::nullopt;
    }
    if (pending() - kHeaderSize < length) return std::nullopt;
    std::string payload = buffer_.substr(consumed_ + kHeaderSize, length);
    consumed_ += kHeaderSize + length;
    return payload;
}

}  // namespace jet::protocol
