#include "JetReader.h"

#include "CaseFold.h"
#include "FileImpl.h"
#include "NumberValue.h"
#include "TableImpl.h"

namespace jet::reader {

using namespace detail;

namespace {

constexpr std::uint32_t kCataloguePage = 2;
constexpr std::int32_t kTableObject = 1;
constexpr std::uint32_t kSystemFlags = 0x80000002u;

bool isNumber(std::uint8_t type) {
    switch (static_cast<ColumnType>(type)) {
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
        case ColumnType::Currency:
        case ColumnType::Single:
        case ColumnType::Double:
        case ColumnType::Decimal:
        case ColumnType::BigInt: return true;
        default: return false;
    }
}

[[noreturn]] void notADatabase(const std::string& detail) {
    throw ReadError(Failure::NotADatabase, detail);
}

constexpr std::size_t kNoColumn = ~std::size_t{0};

std::size_t findCatalogueColumn(const TableDef& def, std::string_view name, std::uint8_t type) {
    for (std::size_t i = 0; i < def.columns.size(); ++i)
        if (cp1251::equalIgnoringCase(def.columns[i].name, name)) {
            if (def.columns[i].type != type) notADatabase("catalogue column of a wrong type");
            return i;
        }
    return kNoColumn;
}

std::size_t catalogueColumn(const TableDef& def, std::string_view name, std::uint8_t type) {
    const std::size_t i = findCatalogueColumn(def, name, type);
    if (i == kNoColumn) notADatabase("catalogue column missing");
    return i;
}

// The tables MSysObjects lists (type 1); user tables are those without the system flags.
std::vector<File::Impl::Entry> readCatalogue(const std::shared_ptr<File::Impl>& file) {
    Table::Impl catalogue(file, readTableDef(file->pages, kCataloguePage, file->pages.codePage()));
    const std::size_t id =
        catalogueColumn(catalogue.def, "Id", static_cast<std::uint8_t>(ColumnType::Long));
    const std::size_t name =
        catalogueColumn(catalogue.def, "Name", static_cast<std::uint8_t>(ColumnType::Text));
    const std::size_t type =
        catalogueColumn(catalogue.def, "Type", static_cast<std::uint8_t>(ColumnType::Integer));
    const std::size_t flags =
        catalogueColumn(catalogue.def, "Flags", static_cast<std::uint8_t>(ColumnType::Long));
    // Only calculated columns need the properties; a catalogue without them is still one.
    const std::size_t properties =
        findCatalogueColumn(catalogue.def, "LvProp", static_cast<std::uint8_t>(ColumnType::Ole));
    catalogue.scan();
    std::vector<File::Impl::Entry> tables;
    for (std::uint32_t row = 0; row < catalogue.rows.size(); ++row) {
        const auto typeField = catalogue.field(row, type);
        const auto flagsField = catalogue.field(row, flags);
        const auto idField = catalogue.field(row, id);
        if ((typeField.present && typeField.size != 2) || (idField.present && idField.size != 4) ||
            (flagsField.present && flagsField.size != 4))
            damaged("catalogue value of a wrong size");
        if (!typeField.present || !idField.present) continue;
        if ((static_cast<std::int16_t>(u16(typeField.data)) & 0x7F) != kTableObject) continue;
        File::Impl::Entry e;
        e.system = flagsField.present && (u32(flagsField.data) & kSystemFlags) != 0;
        catalogue.appendText(row, name, e.name);
        e.page = u32(idField.data) & 0x00FFFFFF;
        if (properties != kNoColumn) {
            const auto field = catalogue.field(row, properties);
            if (field.present) {
                e.properties = field.data;
                e.propertiesSize = field.size;
            }
        }
        tables.push_back(std::move(e));
    }
    return tables;
}

}  // namespace

ReadError::ReadError(Failure f, const std::string& detail)
    : std::runtime_error(detail), failure_(f) {}

bool readableAsText(std::uint8_t type) {
    return type == static_cast<std::uint8_t>(ColumnType::Text) ||
           type == static_cast<std::uint8_t>(ColumnType::Memo) || isNumber(type);
}

bool readableAsLong(std::uint8_t type) {
    return isNumber(type);
}

std::string typeName(std::uint8_t type) {
    static const char* const names[] = {nullptr,    "Boolean", "Byte",   "Integer",  "Long",
                                        "Currency", "Single",  "Double", "DateTime", "Binary",
                                        "Text",     "OLE",     "Memo",   nullptr,    nullptr,
                                        "GUID",     "Decimal", nullptr,  "Complex",  "BigInt"};
    if (type < std::size(names) && names[type]) return names[type];
    static const char digits[] = "0123456789ABCDEF";
    return std::string("type 0x") + digits[type >> 4] + digits[type & 0xF];
}

Table::Table(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Table::Table(Table&&) noexcept = default;
Table& Table::operator=(Table&&) noexcept = default;
Table::~Table() = default;

const std::vector<Column>& Table::columns() const {
    return impl_->def.columns;
}

std::uint32_t Table::definedRowCount() const {
    return impl_->def.definedRows;
}

std::uint32_t Table::rowCount() {
    impl_->scan();
    return static_cast<std::uint32_t>(impl_->rows.size());
}

std::string Table::text(std::uint32_t row, std::size_t column) {
    std::string out;
    impl_->appendText(row, column, out);
    return out;
}

void Table::textInto(std::uint32_t row, std::size_t column, std::string& out, std::size_t limit) {
    out.clear();
    impl_->appendText(row, column, out, limit);
}

std::int32_t Table::number(std::uint32_t row, std::size_t column) {
    return impl_->number(row, column);
}

bool Table::textEquals(std::uint32_t row, std::size_t column, std::string_view cp1251) {
    return impl_->textEquals(row, column, cp1251);
}

bool Table::isNull(std::uint32_t row, std::size_t column) {
    return !impl_->field(row, column).present;
}

File::File(const std::string& path) : impl_(std::make_shared<Impl>(path)) {
    readTables();
}

File::File(int fd) : impl_(std::make_shared<Impl>(fd)) {
    readTables();
}

void File::readTables() {
    try {
        impl_->tables = readCatalogue(impl_);
    } catch (const ReadError& e) {
        // A catalogue that cannot be read leaves nothing to find a table in.
        if (e.failure() == Failure::CannotOpenFile) throw;
        notADatabase(std::string("catalogue: ") + e.what());
    }
}

File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;
File::~File() = default;

File::Format File::format() const {
    return impl_->pages.version();
}

std::vector<std::string> File::tableNames() const {
    std::vector<std::string> names;
    for (const Impl::Entry& e : impl_->tables)
        if (!e.system) names.push_back(e.name);
    return names;
}

Table File::table(std::string_view nameCp1251) {
    return impl_->open(nameCp1251, false, impl_);
}

Table File::systemTable(std::string_view nameCp1251) {
    return impl_->open(nameCp1251, true, impl_);
}

}  // namespace jet::reader
