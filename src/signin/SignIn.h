#pragma once

#include "StudentColumns.h"

#include "SignInState.h"

#include <memory>
#include <string>

class QWidget;

namespace jet {
class Database;
class Recordset;
class TableDef;
}  // namespace jet

namespace ui {
class WindowServices;
}

namespace signin {

// The two places the station keeps its student database; "0" in the monitor file picks the first.
inline constexpr const char* kDatabasePathD = "D:\\dat_ulmo\\as_dbase\\trener\\01\\dbtrener.mdb";
inline constexpr const char* kDatabasePathC = "C:\\dat_ulmo\\as_dbase\\trener\\01\\dbtrener.mdb";

}  // namespace signin

// The panel's controls as the sign-in sees them; texts are CP1251.
class SignInView {
public:
    virtual ~SignInView() = default;
    virtual QWidget* owner() = 0;
    virtual std::string entryText() = 0;
    virtual void setEntryText(const std::string& text) = 0;
    virtual void setLabelText(const std::string& text) = 0;
};

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

// The OK button: reads the entry and, once per run, finds the student, writes db1.out and shows
// who signed in. Every failure but "not found" ends the process through the fatal exit.
void onSignIn(ui::WindowServices& services, SignInView& view, SignInState& state,
              DatabaseObjects& db);
