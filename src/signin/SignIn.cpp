#include "SignIn.h"

#include "CaseFold.h"
#include "Cp1251.h"
#include "Drives.h"
#include "HandOff.h"
#include "Jet.h"
#include "MessageCatalogue.h"
#include "MonitorFile.h"
#include "SignInRecord.h"
#include "StationFile.h"
#include "WindowServices.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;
using namespace signin;

namespace {

void showMessage(ui::WindowServices& services, SignInView& view, const std::string& text) {
    services.messageBox(view.owner(), text, catalogue().caption, ui::kBoxSignInError);
}

[[noreturn]] void fail(ui::WindowServices& services, SignInView& view, int slot,
                       const std::string& appended = {}) {
    showMessage(services, view, catalogue().slotTexts[static_cast<std::size_t>(slot)] + appended);
    app::fatalExit(services);
}

// Only spaces and NULs count as blank; a tab is content.
bool isBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\0'; });
}

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

std::string chooseDatabasePath(ui::WindowServices& services, SignInView& view) {
    switch (readMonitorFile()) {
        case MonitorReading::DriveD: return kDatabasePathD;
        case MonitorReading::DriveC: return kDatabasePathC;
        case MonitorReading::CannotOpen:
            fail(services, view, slot::kCannotOpenMonitor, kMonitorFile);
        case MonitorReading::CannotRead:
            fail(services, view, slot::kCannotReadMonitor, kMonitorFile);
        case MonitorReading::WrongStructure: break;
    }
    fail(services, view, slot::kWrongMonitor, kMonitorFile);
}

void checkDatabaseExists(ui::WindowServices& services, SignInView& view,
                         const std::string& databasePath, const fs::path& file) {
    std::FILE* f = app::openStationFile(file.c_str(), "rb");
    if (!f) {
        // The box names the Windows path; the technician needs the folder that was searched.
        std::fprintf(stderr, "%s\n", databaseNotFoundLine(file.string()).c_str());
        fail(services, view, slot::kNoDatabaseFile, databasePath);
    }
    std::fclose(f);
}

// An engine error while opening is shown and set aside; the object's open state decides.
template <class Open>
void guardedOpen(ui::WindowServices& services, Open open) {
    try {
        open();
    } catch (const jet::Error& error) {
        services.engineErrorBox(error.description());
    }
}

void openDatabaseObjects(ui::WindowServices& services, SignInView& view, DatabaseObjects& db,
                         const std::string& databasePath, const fs::path& file) {
    db.release();
    db.database = std::make_unique<jet::Database>();
    db.recordset = std::make_unique<jet::Recordset>(*db.database);
    db.tableDef = std::make_unique<jet::TableDef>(*db.database);

    guardedOpen(services, [&] { db.database->open(file.string()); });
    if (!db.database->isOpen()) fail(services, view, slot::kCannotOpenDatabase, databasePath);
    guardedOpen(services, [&] { db.tableDef->open(kStudentsTable); });
    if (!db.tableDef->isOpen()) fail(services, view, slot::kNoStudentsTable);
    guardedOpen(services, [&] { db.recordset->open(*db.tableDef, studentColumns()); });
    if (!db.recordset->isOpen()) fail(services, view, slot::kCannotOpenStudents);
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
    for (;;) {
        state.StBook = text(records, "StBook");
        if (cp1251::equalIgnoringCase(state.StBook, state.recordBookText)) return true;
        records.moveNext();
        if (records.isEof()) return false;
    }
}

void readStudent(jet::Recordset& records, SignInState& state) {
    state.StName = text(records, "StName");
    state.StNum = text(records, "StNum");
    state.GrNum = text(records, "GrNum");
    state.StCount = number(records, "StCount");
    state.GrCount = number(records, "GrCount");
}

// Every column is read here, before db1.out is created, so an engine failure leaves no record.
bool findStudent(ui::WindowServices& services, SignInView& view, jet::Recordset& records,
                 SignInState& state) {
    try {
        if (!scanForStudent(records, state)) return false;
        readStudent(records, state);
        return true;
    } catch (const jet::Error& error) {
        services.engineErrorBox(error.description());
        fail(services, view, slot::kCannotOpenStudents);
    }
}

// A record that did not reach the disk whole is removed: the exercise programs must find either
// the full record or none.
void writeSignInRecord(ui::WindowServices& services, SignInView& view, const SignInState& state) {
    SignInRecordFile record;
    if (!record.create()) fail(services, view, slot::kCannotCreateRecord);
    if (record.write(state) && record.close()) return;
    showMessage(services, view, catalogue().slotTexts[slot::kCannotWriteRecord]);
    record.discard();
    app::fatalExit(services);
}

void showStudent(SignInView& view, const SignInState& state) {
    view.setLabelText(messageText(text::kSignedInLabel));
    view.setEntryText(state.StName + cp1251::fromUtf8("  (№") + state.StNum +
                      cp1251::fromUtf8(" в группе \"") + state.GrNum + "\")");
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

void onSignIn(ui::WindowServices& services, SignInView& view, SignInState& state,
              DatabaseObjects& db) {
    state.recordBookText = view.entryText();
    if (isBlank(state.recordBookText)) return;
    if (state.signInAttempted) return;
    state.signInAttempted = true;

    const std::string databasePath = chooseDatabasePath(services, view);
    const fs::path file = hostPath(databasePath);
    checkDatabaseExists(services, view, databasePath, file);
    openDatabaseObjects(services, view, db, databasePath, file);
    if (!findStudent(services, view, *db.recordset, state)) {
        showMessage(services, view, catalogue().slotTexts[slot::kStudentNotFound]);
        return;
    }
    writeSignInRecord(services, view, state);
    showStudent(view, state);
}
