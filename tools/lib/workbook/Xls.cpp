// Excel 97-2003 workbooks (.xls), read through FreeXL. FreeXL reads from a path and sizes its
// tables by what the file declares, so it runs in a child process under memory and CPU limits,
// with the file in an anonymous memory file; the child sends the sheets back, built within the
// same budget as .xlsx and .ods.
#include <fcntl.h>
#include <freexl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "AddressSanitizer.h"
#include "NumberFormat.h"
#include "SheetBuilder.h"
#include "WorkbookParts.h"

namespace workbook {
namespace {

using jetwriter::Message;

// What FreeXL may use in the child besides what the process has: a class list's workbook is a
// few hundred KiB.
constexpr std::size_t kChildMemory = std::size_t{128} << 20;
constexpr rlim_t kChildCpuSeconds = 10;
// The sheets sent back: within the budget's cells and text, with room for their framing.
constexpr std::size_t kMaxReply = std::size_t{64} << 20;

[[noreturn]] void damaged(const std::string& why) {
    throw WorkbookError({JW_TR("jetwriter",
                               "the Excel 97-2003 workbook (.xls) is damaged and cannot be read "
                               "(%1); open it in the spreadsheet and save it again"),
                         {why}});
}

[[noreturn]] void passwordProtected() {
    throw WorkbookError({JW_TR("jetwriter",
                               "the workbook is protected by a password; save it again "
                               "without one"),
                         {}});
}

bool holdsUtf16(std::string_view bytes, std::string_view ascii) {
    std::string wide;
    for (const char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return bytes.find(wide) != std::string_view::npos;
}

std::string freexlError(int code) {
    return "FreeXL " + std::to_string(code);
}

// FreeXL writes dates as 2024-03-12 and times after a blank; shown as the other readers show
// them under a Russian locale.
std::string shownDate(const char* text) {
    const std::string s = text ? text : "";
    if (s.size() >= 10 && s[4] == '-' && s[7] == '-')
        return s.substr(8, 2) + "." + s.substr(5, 2) + "." + s.substr(0, 4) + s.substr(10);
    return s;
}

Cell cellOf(const FreeXL_CellValue& v, ReadBudget& budget) {
    switch (v.type) {
        case FREEXL_CELL_INT:
            return {CellKind::Number, generalNumber(v.value.int_value), double(v.value.int_value)};
        case FREEXL_CELL_DOUBLE:
            // No format comes with the value: its own digits, as General shows them.
            return {CellKind::Number, generalNumber(v.value.double_value), v.value.double_value};
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT: {
            const QString text = QString::fromUtf8(v.value.text_value ? v.value.text_value : "");
            CellText(budget).append(text);
            return {CellKind::Text, text.toStdString()};
        }
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: return {CellKind::Date, shownDate(v.value.text_value)};
        default: return {};
    }
}

// The child's work: the workbook from the file FreeXL opens at `path`.
Workbook readWithFreexl(const std::string& path, ReadBudget& budget) {
    const void* handle = nullptr;
    const int opened = freexl_open(path.c_str(), &handle);
    if (opened != FREEXL_OK) {
        if (handle) freexl_close(handle);
        damaged(freexlError(opened));
    }
    struct Close {
        const void* h;
        ~Close() { freexl_close(h); }
    } close{handle};
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK ||
        info != FREEXL_BIFF_PLAIN)
        passwordProtected();
    unsigned int sheets = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK)
        damaged("sheet count");
    Workbook book;
    book.format = Format::Xls;
    SheetBuilder builder(budget);
    for (unsigned int s = 0; s < sheets; ++s) {
        budget.sheet();
        Sheet& sheet = builder.addSheet(book);
        const char* name = nullptr;
        const auto index = static_cast<unsigned short>(s);
        if (freexl_get_worksheet_name(handle, index, &name) != FREEXL_OK ||
            freexl_select_active_worksheet(handle, index) != FREEXL_OK)
            damaged("sheet " + std::to_string(s + 1));
        const QString shownName = QString::fromUtf8(name ? name : "");
        CellText(budget).append(shownName);
        sheet.name = shownName.toStdString();
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
            damaged("sheet " + std::to_string(s + 1));
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                    damaged(cellName(r + 1, c + 1u));
                builder.set(r, c, cellOf(value, budget));
            }
    }
    return book;
}

// The sheets and errors the child sends, framed by lengths.
class Writer {
public:
    void number(std::uint64_t n) { out_.append(reinterpret_cast<const char*>(&n), sizeof n); }
    void text(const std::string& s) {
        number(s.size());
        out_ += s;
    }
    void message(const Message& m) {
        // A message's text is a literal of this program, at the same address in the parent,
        // which fork copied.
        number(reinterpret_cast<std::uintptr_t>(m.text));
        number(m.args.size());
        for (const std::string& a : m.args) text(a);
    }
    std::string& bytes() { return out_; }

private:
    std::string out_;
};

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    std::uint64_t number() {
        std::uint64_t n = 0;
        if (in_.size() < sizeof n) damaged("reply");
        std::memcpy(&n, in_.data(), sizeof n);
        in_.remove_prefix(sizeof n);
        return n;
    }
    std::string text() {
        const std::uint64_t n = number();
        if (n > in_.size()) damaged("reply");
        std::string s(in_.substr(0, n));
        in_.remove_prefix(n);
        return s;
    }
    Message message() {
        Message m;
        m.text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(number()));
        const std::uint64_t n = number();
        for (std::uint64_t i = 0; i < n && i < 10; ++i) m.args.push_back(text());
        return m;
    }
    bool done() const { return in_.empty(); }

private:
    std::string_view in_;
};

void writeBook(Writer& w, const Workbook& book) {
    w.number(book.sheets.size());
    for (const Sheet& s : book.sheets) {
        w.text(s.name);
        w.number(s.rows.size());
        for (const auto& row : s.rows) {
            w.number(row.size());
            for (const Cell& c : row) {
                w.number(static_cast<std::uint64_t>(c.kind));
                w.text(c.text);
                std::uint64_t bits = 0;
                std::memcpy(&bits, &c.number, sizeof bits);
                w.number(bits);
            }
        }
    }
}

Workbook readBook(Reader& r, const Limits& limits) {
    Workbook book;
    book.format = Format::Xls;
    const std::uint64_t sheets = r.number();
    if (sheets > limits.sheets) damaged("reply");
    for (std::uint64_t s = 0; s < sheets; ++s) {
        Sheet& sheet = book.sheets.emplace_back();
        sheet.name = r.text();
        const std::uint64_t rows = r.number();
        if (rows > limits.rows) damaged("reply");
        for (std::uint64_t i = 0; i < rows; ++i) {
            auto& row = sheet.rows.emplace_back();
            const std::uint64_t cells = r.number();
            if (cells > limits.columns) damaged("reply");
            for (std::uint64_t c = 0; c < cells; ++c) {
                Cell& cell = row.emplace_back();
                const std::uint64_t kind = r.number();
                if (kind > static_cast<std::uint64_t>(CellKind::NoValue)) damaged("reply");
                cell.kind = static_cast<CellKind>(kind);
                cell.text = r.text();
                const std::uint64_t bits = r.number();
                std::memcpy(&cell.number, &bits, sizeof bits);
            }
        }
    }
    return book;
}

void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

#ifndef RV_ADDRESS_SANITIZER
std::size_t addressSpace() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}
#endif

[[noreturn]] void child(int out, std::string_view bytes, const Limits& limits) {
#ifndef RV_ADDRESS_SANITIZER  // its shadow memory takes more address space than any limit
    const rlim_t memory = addressSpace() + kChildMemory;
    const rlimit as{memory, memory};
    setrlimit(RLIMIT_AS, &as);
#endif
    const rlimit cpu{kChildCpuSeconds, kChildCpuSeconds};
    setrlimit(RLIMIT_CPU, &cpu);
    Writer w;
    int status = 0;
    try {
        const int fd = memfd_create("workbook.xls", MFD_CLOEXEC);
        if (fd < 0) damaged(std::strerror(errno));
        writeAll(fd, std::string(bytes));
        ReadBudget budget(limits);
        const Workbook book = readWithFreexl("/proc/self/fd/" + std::to_string(fd), budget);
        w.bytes() += 'W';
        writeBook(w, book);
    } catch (const WorkbookError& e) {
        w.bytes() = "E";
        w.message(e.place());
        w.message(e.text());
    } catch (...) {
        status = 1;
    }
    writeAll(out, w.bytes());
    _exit(status);
}

}  // namespace

Workbook readXls(std::string_view bytes, const Limits& limits) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) damaged(std::strerror(errno));
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        damaged(std::strerror(errno));
    }
    if (pid == 0) {
        close(fds[0]);
        child(fds[1], bytes, limits);
    }
    close(fds[1]);
    std::string reply;
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (reply.size() + static_cast<std::size_t>(n) > kMaxReply) {
            kill(pid, SIGKILL);
            break;
        }
        reply.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || reply.empty()) {
        // An encrypted .xlsx is a compound file too, holding its package encrypted.
        if (holdsUtf16(bytes, "EncryptedPackage")) passwordProtected();
        throw WorkbookError(
            {JW_TR("jetwriter",
                   "the Excel 97-2003 workbook (.xls) could not be read within %1 "
                   "MiB and %2 seconds: it is damaged or made to harm; open it in "
                   "the spreadsheet and save it again"),
             {std::to_string(kChildMemory >> 20), std::to_string(kChildCpuSeconds)}});
    }
    Reader r(std::string_view(reply).substr(1));
    if (reply[0] == 'E') {
        Message place = r.message();
        Message text = r.message();
        // FreeXL finds no workbook in an encrypted .xlsx; that is a password, not damage.
        if (holdsUtf16(bytes, "EncryptedPackage")) passwordProtected();
        if (place.text[0] == '\0') throw WorkbookError(std::move(text));
        throw WorkbookError(std::move(place), std::move(text));
    }
    Workbook book = readBook(r, limits);
    if (!r.done()) damaged("reply");
    return book;
}

}  // namespace workbook
