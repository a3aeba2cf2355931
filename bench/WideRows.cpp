// What a row of many variable columns costs the reader, Jet3 against Jet4: tables of 255 text
// columns written by our writer, scanned (every row checked) and then read value by value.
// Jet3 rows keep one-byte offsets and a jump table; their cost should match Jet4's rows of the
// same size within 2x. Usage: rv-bench-widerows [Google Benchmark flags]
#include "JetReader.h"
#include "JetWriter.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kColumns = 255;
constexpr int kRows = 5000;

fs::path writeWide(jetwriter::Format format) {
    jetwriter::Table t{"Wide", {}, {}};
    for (int c = 0; c < kColumns; ++c)
        t.columns.push_back({"C" + std::to_string(c), jetwriter::ColumnType::Text, 10});
    for (int r = 0; r < kRows; ++r) {
        jetwriter::Row row;
        for (int c = 0; c < kColumns; ++c) row.emplace_back(std::to_string((r + c) % 10));
        t.rows.push_back(std::move(row));
    }
    jetwriter::Options options;
    options.format = format;
    const fs::path path = fs::temp_directory_path() /
                          ("rv-bench-wide-" + std::to_string(getpid()) +
                           (format == jetwriter::Format::Jet3 ? ".jet3.mdb" : ".jet4.mdb"));
    jetwriter::writeDatabase(path, {t}, options);
    return path;
}

void wideRows(benchmark::State& state, jetwriter::Format format) {
    const fs::path path = writeWide(format);
    std::string text;
    std::size_t bytes = 0;
    for (auto _ : state) {
        jet::reader::File file(path.string());
        jet::reader::Table table = file.table("Wide");
        const std::uint32_t rows = table.rowCount();
        for (std::uint32_t r = 0; r < rows; ++r)
            for (std::size_t c = 0; c < kColumns; ++c) {
                table.textInto(r, c, text);
                bytes += text.size();
            }
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["rows_per_s"] =
        benchmark::Counter(double(kRows) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["file_kb"] = double(fs::file_size(path)) / 1024;
    fs::remove(path);
}

}  // namespace

BENCHMARK_CAPTURE(wideRows, jet3_255_columns, jetwriter::Format::Jet3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(wideRows, jet4_255_columns, jetwriter::Format::Jet4)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
