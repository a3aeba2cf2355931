// A stand-in for the reader helper that serves a tiny table Students of three rows and misbehaves
// at one request. What it does is in the name it is started under (a symlink to it):
// "<request>-<fault>", request one of open, table, recordset, fetch, find, close; or "any-<fault>"
// for a fault at every request, "start-<fault>" for one before any request. The "escape" faults
// enter the real helper's sandbox and then try what it forbids.
#include "Protocol.h"
#include "Sandbox.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace jet::protocol;

namespace {

constexpr std::uint32_t kRows = 3;

void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) _exit(9);
        done += static_cast<std::size_t>(n);
    }
}

void send(const Reply& r) {
    writeAll(kReplyFd, frame(encode(r)));
}

[[noreturn]] void hang() {
    for (;;) pause();
}

// The columns the last recordset was opened with; a fetch names one by its place among them.
std::vector<Column> gColumns;

// The text every row holds in every column: "F<row from 1>.<column>".
std::string valueAt(std::uint32_t row, std::uint32_t column) {
    return "F" + std::to_string(row + 1) + "." + std::to_string(column);
}

Reply goodReply(const Request& rq) {
    Reply r;
    switch (rq.type) {
        case RequestType::Open:
        case RequestType::CloseCursor: r.type = ReplyType::Done; break;
        case RequestType::Table:
        case RequestType::Recordset:
            r.type = ReplyType::Table;
            r.cursor = rq.type == RequestType::Recordset ? 7 : 0;
            r.rowCount = kRows;
            if (rq.type == RequestType::Recordset) gColumns = rq.columns;
            break;
        case RequestType::Fetch: {
            r.type = ReplyType::Values;
            r.kind = rq.column < gColumns.size() ? gColumns[rq.column].kind : ColumnKind::Text;
            for (std::uint32_t row = rq.start; row < kRows && row < rq.start + rq.count; ++row) {
                if (r.kind == ColumnKind::Long)
                    r.numbers.push_back(static_cast<std::int32_t>(row * 10 + rq.column));
                else
                    r.texts.push_back(valueAt(row, rq.column));
            }
            break;
        }
        case RequestType::Find: {
            r.type = ReplyType::Found;
            r.rowCount = kRows;
            for (std::uint32_t row = rq.start; row < kRows; ++row)
                if (rq.text == valueAt(row, rq.column)) {
                    r.rowCount = row;
                    break;
                }
            r.texts = {valueAt(std::min(r.rowCount, kRows - 1), rq.column)};
            break;
        }
    }
    return r;
}

const char* requestName(RequestType t) {
    switch (t) {
        case RequestType::Open: return "open";
        case RequestType::Table: return "table";
        case RequestType::Recordset: return "recordset";
        case RequestType::Fetch: return "fetch";
        case RequestType::CloseCursor: return "close";
        case RequestType::Find: return "find";
    }
    return "?";
}

void flood() {
    const std::string chunk(64 << 10, 'W');
    for (int i = 0; i < 32; ++i) {
        writeAll(1, chunk);
        writeAll(2, chunk);
    }
}

// Answers rq with the fault; returns normally when the fault lets the helper go on.
void misbehave(const std::string& fault, const Request& rq) {
    Reply good = goodReply(rq);
    if (fault == "hang") hang();
    if (fault == "segv") {
        signal(SIGSEGV, SIG_DFL);
        raise(SIGSEGV);
    }
    if (fault == "exit") _exit(3);
    if (fault == "slow") {
        sleep(3);
        return send(good);
    }
    if (fault == "oversize") {
        writeAll(kReplyFd, std::string("\xff\xff\xff\xff", 4));
        hang();
    }
    if (fault == "undecodable") return writeAll(kReplyFd, frame("\xee\x01\x02"));
    // A header that announces more than follows.
    if (fault == "truncated") {
        writeAll(kReplyFd, std::string("\x64\0\0\0\x02", 5));
        _exit(0);
    }
    if (fault == "truncatedhang") {
        writeAll(kReplyFd, std::string("\x64\0\0\0\x02", 5));
        hang();
    }
    if (fault == "wrongtype") {
        Reply r;
        r.type = rq.type == RequestType::Fetch ? ReplyType::Done : ReplyType::Values;
        return send(r);
    }
    if (fault == "extra") return writeAll(kReplyFd, frame(encode(good)) + frame(encode(good)));
    if (fault == "toomany" && good.type == ReplyType::Values) {
        good.texts.push_back("extra");
        good.numbers.push_back(1);
        return send(good);
    }
    // A match past the recordset's rows.
    if (fault == "beyond" && good.type == ReplyType::Found) {
        good.rowCount = kRows + 1;
        return send(good);
    }
    // A search that stops on the row after the match, telling that row's value or the match's.
    if ((fault == "wrongrow" || fault == "shiftedrow") && good.type == ReplyType::Found &&
        good.rowCount + 1 < kRows) {
        ++good.rowCount;
        if (fault == "wrongrow") good.texts = {valueAt(good.rowCount, rq.column)};
        return send(good);
    }
    // A search that starts at the first row, wherever it was asked to start.
    if (fault == "beforestart" && good.type == ReplyType::Found) {
        Request fromFirst = rq;
        fromFirst.start = 0;
        return send(goodReply(fromFirst));
    }
    // A search that gives up although the last row holds the value sought.
    if (fault == "gaveup" && good.type == ReplyType::Found) {
        good.rowCount = kRows;
        good.texts = {rq.text};
        return send(good);
    }
    if (fault == "empty" && good.type == ReplyType::Values) {
        good.texts.clear();
        good.numbers.clear();
        return send(good);
    }
    if (fault == "wrongkind" && good.type == ReplyType::Values) {
        Reply r;
        r.type = ReplyType::Values;
        r.kind = good.kind == ColumnKind::Long ? ColumnKind::Text : ColumnKind::Long;
        r.texts.assign(good.numbers.size() + good.texts.size(), "x");
        r.numbers.assign(r.texts.size(), 1);
        return send(r);
    }
    // A column the table lacks or cannot give in the asked form: the recordset's last one, or
    // one it never asked for.
    if (fault == "nocolumn" || fault == "datecolumn" || fault == "strangecolumn") {
        Reply r;
        r.type = ReplyType::Failed;
        r.failure = fault == "nocolumn" ? Failure::ColumnNotFound : Failure::ColumnWrongKind;
        r.column = static_cast<std::uint32_t>(rq.columns.size());
        if (fault != "strangecolumn" && r.column > 0) --r.column;
        r.columnType = 8;
        return send(r);
    }
    if (fault == "badrequest" || fault == "damaged" || fault == "encrypted") {
        Reply r;
        r.type = ReplyType::Failed;
        r.failure = fault == "damaged"     ? Failure::DamagedData
                    : fault == "encrypted" ? Failure::Encrypted
                                           : Failure::BadRequest;
        return send(r);
    }
    if (fault.starts_with("escape")) {
        // Its "database" is stdin (/dev/null); what follows must never run to the reply.
        if (!jet::helper::enterSandbox(kRequestFd, kReplyFd, 0)) _exit(7);
        if (fault == "escapeopen") ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fault == "escapeexec") execl("/bin/true", "true", static_cast<char*>(nullptr));
        if (fault == "escapesocket") socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fault == "escapeabort") std::abort();
        return send(good);
    }
    if (fault == "closeinput") {
        close(kRequestFd);
        send(good);
        hang();
    }
    if (fault == "flood") {
        flood();
        return send(good);
    }
    send(good);
}

}  // namespace

int main(int, char** argv) {
    const rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
    std::string name = argv[0];
    name = name.substr(name.rfind('/') + 1);
    const std::string at = name.substr(0, name.find('-'));
    const std::string fault = name.substr(name.find('-') + 1);
    if (at == "start") misbehave(fault, Request{});

    FrameReader frames;
    char chunk[4096];
    for (;;) {
        std::optional<std::string> payload = frames.next();
        if (!payload) {
            const ssize_t n = read(kRequestFd, chunk, sizeof chunk);
            if (n <= 0) return 0;
            frames.feed(std::string_view(chunk, static_cast<std::size_t>(n)));
            continue;
        }
        const std::optional<Request> rq = decodeRequest(*payload);
        if (!rq) return 8;
        if (at == "any" || at == requestName(rq->type))
            misbehave(fault, *rq);
        else
            send(goodReply(*rq));
    }
}
