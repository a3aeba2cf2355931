#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The program's side of the student database. No file is read in this process: each Database
// starts a reader helper of its own and every operation below is a request to it. Any failure of
// the helper (a damaged file that makes it hang, crash or answer nonsense) surfaces as a
// jet::Error at the operation where it happened.
namespace jet {

// An error of the database layer; description() is a CP1251 text for the user.
class Error : public std::runtime_error {
public:
    // What went wrong, for code that must tell the cases apart; the user sees description().
    enum class Code {
        Other,
        CannotOpenFile,
        NotADatabase,
        TableNotFound,
        TableUnreadable,
        ColumnNotFound,
        ColumnWrongKind,
        DamagedData,
        NotOpen,
        NoCurrentRecord,
        HelperMissing,
        HelperTimedOut,
        HelperCrashed,
        MalformedReply,
        // Saved with a password: its pages cannot be read without it.
        Encrypted,
    };

    explicit Error(std::string descriptionCp1251);
    Error(Code code, std::string descriptionCp1251, std::string subjectCp1251 = {});
    const std::string& description() const { return description_; }
    Code code() const { return code_; }
    // The table or column the error concerns, as the caller named it; empty where there is none.
    const std::string& subject() const { return subject_; }

private:
    std::string description_;
    Code code_ = Code::Other;
    std::string subject_;
};

// Where the helper lives and how long it may take; the defaults suit a station.
struct Limits {
    // Per reply, and no reply does more than open the file or read a few thousand rows: the
    // longest measured on 100,000 rows took under 10 ms, the whole scan under 0.1 s. 5 s leaves
    // that work room on a slow or network drive, yet ends a hanging file before a student gives up.
    int replyTimeoutMs = 5000;
    // Bounds whatever a damaged file makes the helper do; a healthy one needs far less.
    std::uint64_t addressSpaceBytes = 512ull << 20;
    int cpuSeconds = 10;
    // Tests only: another helper executable. Empty means the program's own helper, found from
    // its binary (HelperChannel::helperPathFor).
    std::string helperPath;
};

class HelperChannel;

// A column value as the sign-in reads it: text as CP1251 bytes, a long integer as signed 32 bits.
// A Null reads as empty text or 0.
struct FieldValue {
    enum class Kind { Text, Long } kind = Kind::Text;
    std::string text;
    std::int32_t number = 0;
};

// A column a recordset will read, and the form its values are wanted in. Text takes Text, Memo
// and every number kind (a number as its decimal text); Long takes every number kind (a fraction
// rounded half away from zero, a value outside 32 bits as 0).
struct ColumnRequest {
    std::string name;
    FieldValue::Kind kind = FieldValue::Kind::Text;
};

class Database {
public:
    Database();
    explicit Database(Limits limits);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file read-only; throws Error and stays unopened on failure.
    void open(const std::string& hostPath);
    bool isOpen() const;
    void close();

    HelperChannel* channel() const { return channel_.get(); }

private:
    Limits limits_;
    std::unique_ptr<HelperChannel> channel_;
};

class TableDef {
public:
    explicit TableDef(Database& db);
    ~TableDef();
    TableDef(const TableDef&) = delete;
    TableDef& operator=(const TableDef&) = delete;

    // Throws Error and stays unopened when the table is missing or unreadable.
    void open(const std::string& tableName);
    bool isOpen() const { return open_; }
    void close() { open_ = false; }

    Database& database() const { return db_; }
    const std::string& name() const { return name_; }

private:
    friend class Recordset;
    Database& db_;
    std::string name_;
    bool open_ = false;
    std::uint64_t helperSerial_ = 0;
};

// A table-type recordset: the rows in the table's stored order.
class Recordset {
public:
    explicit Recordset(Database& db);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Opens the table's rows for reading the given columns; throws Error and stays unopened when
    // one of them is missing or of a kind that cannot be read in its form.
    void open(TableDef& table, const std::vector<ColumnRequest>& columns);
    bool isOpen() const { return open_; }
    void close();

    std::int32_t recordCount();
    void moveFirst();
    void moveNext();
    bool isEof() const;
    bool isBof() const;

    // The named column of the current row; one of those the recordset was opened with.
    FieldValue value(const std::string& column);

    // Moves from the current record on to the first whose Text column equals `text` ignoring
    // letter case (CP1251), as reading value(column) row by row and comparing would, with the
    // comparing done by the reader: true there; false on the last record when none does. A match
    // is read back by its row number; a reply whose row does not hold `text` (or holds it when
    // the search gave up) is malformed.
    bool findNext(const std::string& column, const std::string& text);

private:
    // Implementation state (batches of the scanned column, position) lives here.
    struct State;
    // The helper this recordset was opened on, still alive, with a current record; throws
    // Error otherwise.
    HelperChannel& channelAtRecord();
    Database& db_;
    std::unique_ptr<State> state_;
    bool open_ = false;
};

}  // namespace jet
