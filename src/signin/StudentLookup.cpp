#include "StudentLookup.h"

#include "CaseFold.h"
#include "Cp1251.h"
#include "Drives.h"
#include "Jet.h"
#include "MonitorFile.h"
#include "StationFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace signin {
namespace {

// Ends the lookup with the message of slot; thrown only inside lookUpStudent.
struct Failure {
    SlotId slot;
    std::string appended;
};

// What a technician reads speaks his language: Russian under a Russian locale.
bool russianLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::strncmp(value, "ru", 2) == 0;
    }
    return false;
}

std::string databaseNotFoundLine(const std::string& searched) {
    return (russianLocale() ? "rulevion-menu: файл базы данных не найден: "
                            : "rulevion-menu: database file not found: ") +
           searched;
}

std::string chooseDatabasePath() {
    switch (readMonitorFile()) {
        case MonitorReading::DriveD: return kDatabasePathD;
        case MonitorReading::DriveC: return kDatabasePathC;
        case MonitorReading::CannotOpen: throw Failure{slot::kCannotOpenMonitor, kMonitorFile};
        case MonitorReading::CannotRead: throw Failure{slot::kCannotReadMonitor, kMonitorFile};
        case MonitorReading::WrongStructure: break;
    }
    throw Failure{slot::kWrongMonitor, kMonitorFile};
}

void checkDatabaseExists(LookupResult& result, const std::string& databasePath,
                         const fs::path& file) {
    std::FILE* f = stationfolder::openStationFile(file.c_str(), "rb");
    if (!f) {
        // The box names the Windows path; the technician needs the folder that was searched.
        result.stderrLine = databaseNotFoundLine(file.string());
        throw Failure{slot::kNoDatabaseFile, databasePath};
    }
    std::fclose(f);
}

template <class Open>
void guardedOpen(LookupResult& result, Open open) {
    try {
        open();
    } catch (const jet::Error& error) {
        result.engineErrors.push_back(error.description());
    }
}

void openDatabaseObjects(LookupResult& result, DatabaseObjects& db, const std::string& databasePath,
                         const fs::path& file) {
    db.release();
    db.database = std::make_unique<jet::Database>();
    db.recordset = std::make_unique<jet::Recordset>(*db.database);
    db.tableDef = std::make_unique<jet::TableDef>(*db.database);

    guardedOpen(result, [&] { db.database->open(file.string()); });
    if (!db.database->isOpen()) throw Failure{slot::kCannotOpenDatabase, databasePath};
    guardedOpen(result, [&] { db.tableDef->open(kStudentsTable); });
    if (!db.tableDef->isOpen()) throw Failure{slot::kNoStudentsTable, {}};
    guardedOpen(result, [&] { db.recordset->open(*db.tableDef, studentColumns()); });
    if (!db.recordset->isOpen()) throw Failure{slot::kCannotOpenStudents, {}};
}

// A value of the other kind than the column should hold reads as empty text or 0.
std::string text(jet::Recordset& records, const char* column) {
    jet::FieldValue value = records.value(column);
    return value.kind == jet::FieldValue::Kind::Text ? std::move(value.text) : std::string();
}

std::int32_t number(jet::Recordset& records, const char* column) {
    const jet::FieldValue value = records.value(column);
    return value.kind == jet::FieldValue::Kind::Long ? value.number : 0;
}

// Leaves the recordset on the first record whose number equals the typed one ignoring letter
// case; false when there is none.
bool scanForStudent(jet::Recordset& records, SignInState& state) {
    if (records.recordCount() < 1) return false;
    state.StBook.clear();
    state.StName.clear();
    state.StNum.clear();
    state.GrNum.clear();
    state.StCount = 0;
    state.GrCount = 0;
    records.moveFirst();
    if (records.isEof() || records.isBof()) return false;
    // The reader compares the numbers itself; the recordset stops on the match, or on the last
    // record, whose number was compared last.
    const bool found = records.findNext("StBook", state.recordBookText);
    state.StBook = text(records, "StBook");
    return found;
}

void readStudent(jet::Recordset& records, SignInState& state) {
    state.StName = text(records, "StName");
    state.StNum = text(records, "StNum");
    state.GrNum = text(records, "GrNum");
    state.StCount = number(records, "StCount");
    state.GrCount = number(records, "GrCount");
}

bool findStudent(LookupResult& result, jet::Recordset& records, SignInState& state) {
    try {
        if (!scanForStudent(records, state)) return false;
        readStudent(records, state);
        return true;
    } catch (const jet::Error& error) {
        result.engineErrors.push_back(error.description());
        throw Failure{slot::kCannotOpenStudents, {}};
    }
}

}  // namespace

DatabaseObjects::DatabaseObjects() = default;

DatabaseObjects::~DatabaseObjects() {
    release();
}

void DatabaseObjects::release() {
    if (tableDef && tableDef->isOpen()) tableDef->close();
    tableDef.reset();
    if (recordset && recordset->isOpen()) recordset->close();
    recordset.reset();
    if (database && database->isOpen()) database->close();
    database.reset();
}

bool isBlankEntry(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\0'; });
}

LookupResult lookUpStudent(SignInState& state, DatabaseObjects& db) {
    LookupResult result;
    try {
        const std::string databasePath = chooseDatabasePath();
        const fs::path file = hostPath(databasePath);
        checkDatabaseExists(result, databasePath, file);
        openDatabaseObjects(result, db, databasePath, file);
        result.end = findStudent(result, *db.recordset, state) ? LookupResult::End::Found
                                                               : LookupResult::End::NotFound;
    } catch (Failure& failure) {
        result.end = LookupResult::End::Failed;
        result.failure = failure.slot;
        result.appended = std::move(failure.appended);
    }
    return result;
}

std::string signedInEntry(const SignInState& state) {
    return state.StName + cp1251::fromUtf8("  (№") + state.StNum +
           cp1251::fromUtf8(" в группе \"") + state.GrNum + "\")";
}

}  // namespace signin
