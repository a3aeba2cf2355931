#include "Readers.h"

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdlib>
#include <mutex>

#include "TempDir.h"
#include "Utf8.h"

std::string jetwriterTool() {
    return JETWRITER_TOOL;
}

std::string dataFile(const std::string& name) {
    return readFile(std::filesystem::path(JETWRITER_TEST_SOURCE_DIR) / "data" / name);
}

std::string mdbTool(const std::string& tool, const std::vector<std::string>& args) {
    const ProcessResult r = runProcess(tool, args);
    EXPECT_TRUE(r.finished && r.exitCode == 0) << tool << " failed: " << r.err;
    EXPECT_EQ(r.err, "") << tool << " warned";
    return r.out;
}

namespace {

bool ensureMdbReader() {
    static std::once_flag once;
    static bool ok = false;
    static std::string problem;
    std::call_once(once, [] {
        const ProcessResult r = runProcess(
            "bash",
            {std::string(JETWRITER_TEST_SOURCE_DIR) + "/setup-mdb-reader.sh", JETWRITER_NPM_DIR},
            ProcessOptions{{}, {}, 600000});
        ok = r.finished && r.exitCode == 0;
        problem = r.finished ? r.err : "setup-mdb-reader.sh did not finish in time";
    });
    EXPECT_TRUE(ok) << "cannot install mdb-reader: " << problem;
    return ok;
}

}  // namespace

QJsonObject readWithMdbReader(const std::filesystem::path& file) {
    if (!ensureMdbReader()) return {};
    const ProcessResult r =
        runProcess("node", {std::string(JETWRITER_NPM_DIR) + "/read-mdb.mjs", file.string()});
    EXPECT_TRUE(r.finished && r.exitCode == 0) << "mdb-reader failed: " << r.err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object();
}

std::string expectedMdbExport(const jetwriter::Table& table) {
    std::string out;
    for (std::size_t c = 0; c < table.columns.size(); ++c)
        out += (c ? "," : "") + table.columns[c].name;
    out += "\n";
    for (const auto& row : table.rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c) out += ",";
            if (!row[c]) continue;
            if (const auto* n = std::get_if<std::int32_t>(&*row[c])) {
                out += std::to_string(*n);
            } else if (const auto& s = std::get<std::string>(*row[c]); !s.empty()) {
                out += "\"";
                for (char ch : s) out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
                out += "\"";
            }
        }
        out += "\n";
    }
    return out;
}

namespace {

// Built a character at a time: Qt's converters from UTF-8 and UCS-4 drop a leading U+FEFF,
// which is part of the value here.
QString exactQString(const std::string& utf8) {
    QString out;
    const std::vector<char32_t> cps = jetwriter::decodeUtf8(utf8).value();
    for (char32_t cp : cps) {
        if (QChar::requiresSurrogates(cp)) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(static_cast<char16_t>(cp)));
        }
    }
    return out;
}

}  // namespace

QJsonArray expectedJsonRows(const jetwriter::Table& table) {
    QJsonArray rows;
    for (const auto& row : table.rows) {
        QJsonArray values;
        for (const auto& v : row) {
            if (!v)
                values.append(QJsonValue::Null);
            else if (const auto* n = std::get_if<std::int32_t>(&*v))
                values.append(*n);
            else
                values.append(exactQString(std::get<std::string>(*v)));
        }
        rows.append(values);
    }
    return rows;
}
