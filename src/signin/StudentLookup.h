#pragma once

#include "DatabasePaths.h"
#include "MessageCatalogue.h"
#include "SignInState.h"
#include "StudentColumns.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace jet {
class Database;
class Recordset;
class TableDef;
}  // namespace jet

namespace signin {

// The database objects a sign-in leaves open for the rest of the panel's life.
struct DatabaseObjects {
    std::unique_ptr<jet::Database> database;
    std::unique_ptr<jet::Recordset> recordset;
    std::unique_ptr<jet::TableDef> tableDef;

    // Out of line, where the database classes are complete.
    DatabaseObjects();
    ~DatabaseObjects();
    // Closes what is open and frees it: the table definition, the recordset, then the database
    // they both stand on.
    void release();
};

// What a lookup came to, for the caller to show in this order: the stderr line, the engine's
// errors, then the end.
struct LookupResult {
    enum class End { Found, NotFound, Failed };
    End end = End::Failed;
    std::optional<std::string> stderrLine;
    // The engine's own descriptions; an error while opening is reported and set aside, the
    // object's open state decides.
    std::vector<std::string> engineErrors;
    // For Failed: the message that ends the process and what is appended to it.
    SlotId failure{};
    std::string appended;
};

// Only spaces and NULs count as blank; a tab is content.
bool isBlankEntry(const std::string& text);

// Picks the database from the monitor file, opens it into db and finds the student whose
// record-book number equals state.recordBookText ignoring letter case. A found student's
// columns are all read into state before this returns, so an engine failure leaves no record.
LookupResult lookUpStudent(SignInState& state, DatabaseObjects& db);

// The entry's text once the student is found (CP1251).
std::string signedInEntry(const SignInState& state);

}  // namespace signin
