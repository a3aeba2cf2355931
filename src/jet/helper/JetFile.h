#pragma once

#include "JetReader.h"
#include "Protocol.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The helper will not parse a file it could not restrict itself before.
struct SandboxRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The helper's side of one database file: answers the program's requests with our own reader.
// Nothing here trusts the file; the process it runs in is the containment, and once the file is
// open that process can do little more than read it.
class JetFile {
public:
    JetFile();
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    jet::protocol::Reply handle(const jet::protocol::Request& request);

private:
    using Reply = jet::protocol::Reply;

    // A recordset: its table, scanned once when it was opened, and the columns asked for.
    struct Cursor {
        jet::reader::Table table;
        std::vector<std::size_t> columns;  // the table's column for each one asked for
        std::vector<jet::protocol::ColumnKind> kinds;
        std::uint32_t rows = 0;
    };

    Reply open(const std::string& path);
    Reply describeTable(const std::string& name);
    Reply openCursor(const jet::protocol::Request& request);
    Reply fetch(const jet::protocol::Request& request);
    Reply find(const jet::protocol::Request& request);
    Reply closeCursor(std::uint32_t id);

    std::optional<jet::reader::File> file_;
    bool sandboxed_ = false;
    std::map<std::uint32_t, std::unique_ptr<Cursor>> cursors_;
    std::uint32_t nextCursor_ = 1;
};
