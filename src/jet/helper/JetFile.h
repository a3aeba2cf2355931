#pragma once

#include "Cp1251Encoder.h"
#include "Protocol.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct S_MdbTableDef MdbTableDef;
struct JetCursor;

// The helper's side of one database file: answers the program's requests with libmdb. Nothing
// here trusts the file; the process it runs in is the containment.
class JetFile {
public:
    JetFile();
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    jet::protocol::Reply handle(const jet::protocol::Request& request);

private:
    using Reply = jet::protocol::Reply;

    Reply open(const std::string& path);
    Reply describeTable(const std::string& name);
    Reply openCursor(const std::string& name);
    Reply fetch(const jet::protocol::Request& request);
    Reply closeCursor(std::uint32_t id);

    // Reads the named user table's definition and columns; nullptr with the failure set.
    MdbTableDef* readTable(const std::string& nameCp1251, jet::protocol::Failure& failure);
    std::vector<jet::protocol::Column> describeColumns(MdbTableDef* table);

    bool scanNext(JetCursor& c);
    bool readAt(JetCursor& c, std::uint32_t row);
    bool scannedPastEnd(JetCursor& c);
    bool appendValue(JetCursor& c, Reply& reply, std::size_t& bytes);

    struct Handle;
    std::unique_ptr<Handle> mdb_;
    std::map<std::uint32_t, std::unique_ptr<JetCursor>> cursors_;
    std::uint32_t nextCursor_ = 1;
    // The cursor whose scan page is in libmdb's page buffer; anything else that reads a page
    // clears it, and the cursor reloads its page before it scans on.
    JetCursor* pageOwner_ = nullptr;
    Cp1251Encoder encoder_;
};
