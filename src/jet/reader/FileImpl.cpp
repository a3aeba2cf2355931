#include "FileImpl.h"

#include "CaseFold.h"
#include "TableImpl.h"

namespace jet::reader {

using namespace detail;

Table File::Impl::open(std::string_view name, bool system, const std::shared_ptr<Impl>& self) {
    for (const Entry& e : tables) {
        if (e.system != system || !cp1251::equalIgnoringCase(e.name, name)) continue;
        try {
            return Table(
                std::make_unique<Table::Impl>(self, readTableDef(pages, e.page, pages.codePage())));
        } catch (const ReadError& error) {
            if (error.failure() == Failure::TableUnreadable) throw;
            unreadable(error.what());
        }
    }
    throw ReadError(Failure::TableNotFound, "no such table");
}

}  // namespace jet::reader
