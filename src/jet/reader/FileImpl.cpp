#include "FileImpl.h"

#include "CaseFold.h"
#include "LongValue.h"
#include "Properties.h"
#include "TableImpl.h"

#include <algorithm>

namespace jet::reader {

using namespace detail;

namespace {

// A calculated column takes its result's type from the table's properties; one they do not name
// keeps no type a caller can read (code 0).
void resolveCalculated(PageFile& pages, const File::Impl::Entry& e, TableDef& def) {
    if (std::none_of(def.columns.begin(), def.columns.end(),
                     [](const Column& c) { return c.calculated; }))
        return;
    std::vector<std::pair<std::string, std::uint8_t>> results;
    if (e.properties) {
        std::string scratch;
        results = calculatedResultTypes(longValue(pages, e.properties, e.propertiesSize, scratch));
    }
    for (Column& c : def.columns) {
        if (!c.calculated) continue;
        c.type = 0;
        for (const auto& [name, type] : results)
            if (cp1251::equalIgnoringCase(name, c.name)) c.type = type;
    }
}

}  // namespace

Table File::Impl::open(std::string_view name, bool system, const std::shared_ptr<Impl>& self) {
    for (const Entry& e : tables) {
        if (e.system != system || !cp1251::equalIgnoringCase(e.name, name)) continue;
        try {
            TableDef def = readTableDef(pages, e.page, pages.codePage());
            resolveCalculated(pages, e, def);
            return Table(std::make_unique<Table::Impl>(self, std::move(def)));
        } catch (const ReadError& error) {
            if (error.failure() == Failure::TableUnreadable) throw;
            unreadable(error.what());
        }
    }
    throw ReadError(Failure::TableNotFound, "no such table");
}

}  // namespace jet::reader
