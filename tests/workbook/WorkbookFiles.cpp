#include "WorkbookFiles.h"

#include <zip.h>

#include <cstdlib>
#include <stdexcept>

namespace {

const char kRelsNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char kPackageRelsNs[] = "http://schemas.openxmlformats.org/package/2006/relationships";

}  // namespace

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string zipOf(const std::vector<ZipEntry>& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!target) throw std::runtime_error("zip_source_buffer_create");
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!archive) throw std::runtime_error("zip_open_from_source");
    for (const ZipEntry& e : entries) {
        zip_source_t* data = zip_source_buffer(archive, e.bytes.data(), e.bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, e.name.c_str(), data, ZIP_FL_ENC_UTF_8);
        if (index < 0) throw std::runtime_error("zip_file_add " + e.name);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 e.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(archive) != 0) throw std::runtime_error("zip_close");
    std::string out;
    zip_source_open(target);
    zip_source_seek(target, 0, SEEK_END);
    out.resize(static_cast<std::size_t>(zip_source_tell(target)));
    zip_source_seek(target, 0, SEEK_SET);
    zip_source_read(target, out.data(), out.size());
    zip_source_close(target);
    zip_source_free(target);
    zip_error_fini(&error);
    return out;
}

std::string XlsxBook::bytes() const {
    std::vector<ZipEntry> parts;
    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>";
    parts.push_back({"[Content_Types].xml", types});
    parts.push_back({"_rels/.rels", std::string("<?xml version=\"1.0\"?><Relationships xmlns=\"") +
                                        kPackageRelsNs + "\"><Relationship Id=\"rId1\" Type=\"" +
                                        kRelsNs +
                                        "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                                        "</Relationships>"});
    std::string workbook = std::string(
                               "<?xml version=\"1.0\"?><workbook xmlns=\"http://"
                               "schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                               "xmlns:r=\"") +
                           kRelsNs + "\"><workbookPr" + (from1904 ? " date1904=\"1\"" : "") +
                           "/><sheets>";
    std::string rels =
        std::string("<?xml version=\"1.0\"?><Relationships xmlns=\"") + kPackageRelsNs + "\">";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string id = "rId" + std::to_string(i + 1);
        workbook += "<sheet name=\"" + xmlEscaped(sheets[i].name) + "\" sheetId=\"" +
                    std::to_string(i + 1) + "\"" + (sheets[i].hidden ? " state=\"hidden\"" : "") +
                    " r:id=\"" + id + "\"/>";
        rels += "<Relationship Id=\"" + id + "\" Type=\"" + kRelsNs +
                "/worksheet\" Target=\"worksheets/sheet" + std::to_string(i + 1) + ".xml\"/>";
        parts.push_back({"xl/worksheets/sheet" + std::to_string(i + 1) + ".xml",
                         "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas."
                         "openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
                             sheets[i].sheetData + "</sheetData></worksheet>"});
    }
    workbook += "</sheets></workbook>";
    rels += "<Relationship Id=\"rIdS\" Type=\"" + std::string(kRelsNs) +
            "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    rels += "<Relationship Id=\"rIdT\" Type=\"" + std::string(kRelsNs) +
            "/styles\" Target=\"/xl/styles.xml\"/></Relationships>";
    parts.push_back({"xl/workbook.xml", workbook});
    parts.push_back({"xl/_rels/workbook.xml.rels", rels});

    std::string sst =
        "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/"
        "spreadsheetml/2006/main\">";
    for (const std::string& s : strings)
        sst += "<si><t xml:space=\"preserve\">" + xmlEscaped(s) + "</t></si>";
    parts.push_back({"xl/sharedStrings.xml", sst + "</sst>"});

    std::string styles =
        "<?xml version=\"1.0\"?><styleSheet xmlns=\"http://schemas."
        "openxmlformats.org/spreadsheetml/2006/main\"><numFmts>";
    for (const auto& [id, code] : customFormats)
        styles += "<numFmt numFmtId=\"" + std::to_string(id) + "\" formatCode=\"" +
                  xmlEscaped(code) + "\"/>";
    // A cell style record that is no cell format, which a reader must not count.
    styles += "</numFmts><cellStyleXfs><xf numFmtId=\"49\"/></cellStyleXfs><cellXfs>";
    for (const unsigned id : numberFormats)
        styles += "<xf numFmtId=\"" + std::to_string(id) + "\" xfId=\"0\"/>";
    parts.push_back({"xl/styles.xml", styles + "</cellXfs></styleSheet>"});
    return zipOf(parts);
}

std::string OdsBook::bytes() const {
    std::string content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
        "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" "
        "office:version=\"1.3\"><office:automatic-styles>"
        "<style:style style:name=\"ta1\" style:family=\"table\"><style:table-properties "
        "table:display=\"true\"/></style:style>"
        "<style:style style:name=\"ta2\" style:family=\"table\"><style:table-properties "
        "table:display=\"false\"/></style:style>"
        "</office:automatic-styles><office:body><office:spreadsheet>";
    for (const Sheet& s : sheets)
        content += "<table:table table:name=\"" + xmlEscaped(s.name) + "\" table:style-name=\"" +
                   (s.hidden ? "ta2" : "ta1") + "\"><table:table-column/>" + s.rows +
                   "</table:table>";
    content += "</office:spreadsheet></office:body></office:document-content>";
    return zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet", true},
                  {"content.xml", content},
                  {"META-INF/manifest.xml",
                   "<?xml version=\"1.0\"?><manifest:manifest xmlns:manifest=\"urn:oasis:names:"
                   "tc:opendocument:xmlns:manifest:1.0\"><manifest:file-entry "
                   "manifest:full-path=\"/\" manifest:media-type=\"application/"
                   "vnd.oasis.opendocument.spreadsheet\"/></manifest:manifest>"}});
}

std::string readingOf(const std::string& bytes, const workbook::Limits& limits) {
    try {
        workbook::readWorkbook(bytes, limits);
        return "read";
    } catch (const workbook::WorkbookError& e) {
        return e.what();
    }
}
