#pragma once

#include <QJsonArray>
#include <QJsonObject>

#include <filesystem>
#include <string>
#include <vector>

#include "JetWriter.h"
#include "Process.h"

// The tool under test, as built.
std::string jetwriterTool();

// mdbtools' view of a file. Each fails the calling test if the tool fails or warns on stderr,
// since a warning there means a fault in the file.
std::string mdbTool(const std::string& tool, const std::vector<std::string>& args);

// mdb-reader's view of a file, as printed by read-mdb.mjs. Installs the package on first use
// (cached in the build folder) and fails the test when that is impossible.
QJsonObject readWithMdbReader(const std::filesystem::path& file);

// What `mdb-export FILE TABLE` prints for `table`: text in double quotes with quotes doubled,
// Null and empty text alike as nothing, integers in decimal.
std::string expectedMdbExport(const jetwriter::Table& table);

// The rows of `table` in the JSON form read-mdb.mjs prints.
QJsonArray expectedJsonRows(const jetwriter::Table& table);

std::string dataFile(const std::string& name);
