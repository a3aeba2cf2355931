#include "ZipParts.h"

#include <zip.h>

namespace workbook {
namespace {

using jetwriter::Message;

[[noreturn]] void damaged(const std::string& name, const char* why) {
    throw WorkbookError({JW_TR("jetwriter",
                               "the workbook is damaged: its part \"%1\" cannot be read (%2); "
                               "open it in the spreadsheet and save it again"),
                         {name, why}});
}

std::string mib(std::size_t bytes) {
    return std::to_string(bytes >> 20);
}

}  // namespace

std::optional<ZipParts> ZipParts::open(std::string_view bytes, const Limits& limits) {
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
    return ZipParts(archive, limits);
}

ZipParts::ZipParts(ZipParts&& other) noexcept
    : archive_(other.archive_), limits_(other.limits_), totalRead_(other.totalRead_) {
    other.archive_ = nullptr;
}

ZipParts::~ZipParts() {
    if (archive_) zip_discard(archive_);
}

bool ZipParts::has(const std::string& name) const {
    return zip_name_locate(archive_, name.c_str(), 0) >= 0;
}

std::string ZipParts::read(const std::string& name) {
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
    const std::size_t left = limits_.totalBytes - totalRead_;
    const std::size_t allowed = std::min(limits_.partBytes, left);
    const auto tooLarge = [&] {
        if (left < limits_.partBytes)
            return WorkbookError({JW_TR("jetwriter",
                                        "the workbook's parts inflate to more than %1 MiB in all; "
                                        "that is no class list (a class list of ten thousand "
                                        "students is a few MiB)"),
                                  {mib(limits_.totalBytes)}});
        return WorkbookError({JW_TR("jetwriter",
                                    "the workbook's part \"%1\" inflates to more than %2 MiB; "
                                    "that is no class list (a class list of ten thousand "
                                    "students is a few MiB)"),
                              {name, mib(limits_.partBytes)}});
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
    totalRead_ += out.size();
    return out;
}

}  // namespace workbook
