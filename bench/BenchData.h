#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The databases and the station folder the benchmarks run on, made once in a data folder.
namespace bench {

struct Student {
    std::string book;  // record-book number, UTF-8
    std::string name;  // UTF-8
};

struct StudentsFile {
    std::string label;   // "1k", "20k", "100k", "20k-ind"
    std::string source;  // who wrote the file
    int rows = 0;
    std::filesystem::path drives;  // the VDM_DRIVES root it lies under, as drive C:
    std::filesystem::path file;    // the database itself
    Student first, middle, last;   // the students of rows 1, rows / 2 and rows
};

struct BenchData {
    std::filesystem::path dir;
    std::filesystem::path station;  // __monitor.txt picks drive C:
    std::vector<StudentsFile> files;
};

// Class lists of generated students (Cyrillic names) written by the project's own writer, and
// the 20,000-row file from an independent writer. Files already there are kept.
BenchData prepareData(const std::filesystem::path& dir);

}  // namespace bench
