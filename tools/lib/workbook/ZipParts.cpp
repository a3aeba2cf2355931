#include "ZipParts.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>

namespace workbook {
namespace {

using jetwriter::Message;

[[noreturn]] void damaged(const std::string& name, const char* why) {
    throw WorkbookError({JW_TR("jetwriter",
                               "the workbook is damaged: its part \"%1\" cannot be read (%2); "
                               "open it in the spreadsheet and save it again"),
                         {name, why}});
}

std::uint64_t little(std::string_view bytes, std::size_t at, int size) {
    std::uint64_t v = 0;
    for (int i = size; i-- > 0;) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

}  // namespace

std::optional<std::size_t> statedZipEntries(std::string_view bytes) {
    // The end record is 22 bytes and a comment of up to 65535; the last signature found wins, as
    // it does in libzip.
    constexpr std::size_t kEnd = 22;
    if (bytes.size() < kEnd) return std::nullopt;
    const std::size_t lowest = bytes.size() > kEnd + 0xFFFF ? bytes.size() - kEnd - 0xFFFF : 0;
    for (std::size_t at = bytes.size() - kEnd + 1; at-- > lowest;) {
        if (bytes.compare(at, 4, "PK\x05\x06") != 0) continue;
        std::uint64_t entries = little(bytes, at + 10, 2);
        // A zip64 archive says 0xFFFF here and the true count in its own end record, which its
        // locator right before this one points to.
        if (entries == 0xFFFF && at >= 20 && bytes.compare(at - 20, 4, "PK\x06\x07") == 0) {
            const std::uint64_t end64 = little(bytes, at - 20 + 8, 8);
            if (end64 <= bytes.size() - 56 && bytes.compare(end64, 4, "PK\x06\x06") == 0)
                entries = little(bytes, end64 + 32, 8);
        }
        return static_cast<std::size_t>(std::min<std::uint64_t>(entries, SIZE_MAX));
    }
    return std::nullopt;
}

std::optional<ZipParts> ZipParts::open(std::string_view bytes, ReadBudget& budget) {
    // libzip keeps an entry's record for every entry the archive states, so the count is
    // checked before it reads them.
    if (const auto entries = statedZipEntries(bytes)) budget.zipEntries(*entries);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return std::nullopt;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return std::nullopt;
    }
    return ZipParts(archive, budget);
}

ZipParts::ZipParts(ZipParts&& other) noexcept : archive_(other.archive_), budget_(other.budget_) {
    other.archive_ = nullptr;
}

ZipParts::~ZipParts() {
    if (archive_) zip_discard(archive_);
}

bool ZipParts::has(const std::string& name) const {
    return zip_name_locate(archive_, name.c_str(), 0) >= 0;
}

std::string ZipParts::read(const std::string& name, std::size_t cap) {
    const zip_int64_t index = zip_name_locate(archive_, name.c_str(), 0);
    if (index < 0)
        throw WorkbookError({JW_TR("jetwriter",
                                   "the workbook is damaged: its part \"%1\" is missing; open it "
                                   "in the spreadsheet and save it again"),
                             {name}});
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        damaged(name, zip_strerror(archive_));
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        throw WorkbookError({JW_TR("jetwriter",
                                   "the workbook is protected by a password; save it again "
                                   "without one"),
                             {}});
    const std::size_t allowed = std::min(budget_->partAllowance(), cap);
    const auto tooLarge = [&]() -> WorkbookError {
        if (allowed == cap)
            return WorkbookError({JW_TR("jetwriter",
                                        "the workbook's part \"%1\" is larger than it can be; the "
                                        "file is damaged"),
                                  {name}});
        budget_->partTooLarge(name);
    };
    // The size the archive states is checked first, and what inflates is counted all the same,
    // since the statement may lie.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > allowed) throw tooLarge();
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
    if (!file) damaged(name, zip_strerror(archive_));
    std::string out;
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            const std::string why = zip_file_strerror(file);
            zip_fclose(file);
            damaged(name, why.c_str());
        }
        if (n == 0) break;
        if (out.size() + static_cast<std::size_t>(n) > allowed) {
            zip_fclose(file);
            throw tooLarge();
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    zip_fclose(file);
    budget_->inflated(out.size());
    return out;
}

}  // namespace workbook
