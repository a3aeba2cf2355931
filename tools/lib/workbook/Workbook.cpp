#include "Workbook.h"

#include <cctype>

#include "WorkbookParts.h"

namespace workbook {
namespace {

using jetwriter::Message;

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

bool startsWithNoCase(std::string_view bytes, std::string_view prefix) {
    if (bytes.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(bytes[i])) != prefix[i]) return false;
    return true;
}

// What an open archive holds.
FileKind zipKind(ZipParts& zip) {
    if (zip.has("mimetype")) {
        std::string type;
        try {
            type = zip.read("mimetype", 4096);
        } catch (const WorkbookError&) {
            return FileKind::Zip;
        }
        if (startsWith(type, "application/vnd.oasis.opendocument.spreadsheet"))
            return FileKind::Ods;
        if (startsWith(type, "application/vnd.oasis.opendocument.")) return FileKind::OtherDocument;
    }
    if (zip.has("xl/workbook.bin")) return FileKind::Xlsb;
    if (zip.has("[Content_Types].xml")) {
        // Word and PowerPoint files have content types too; only a workbook has xl/.
        return zip.has("xl/workbook.xml") ? FileKind::Xlsx : FileKind::OtherDocument;
    }
    return FileKind::Zip;
}

bool isMarkup(std::string_view bytes) {
    if (startsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    while (!bytes.empty() && std::isspace(static_cast<unsigned char>(bytes.front())))
        bytes.remove_prefix(1);
    return startsWith(bytes, "<?xml") || startsWithNoCase(bytes, "<!doctype") ||
           startsWithNoCase(bytes, "<html") || startsWithNoCase(bytes, "<table");
}

}  // namespace

WorkbookError::WorkbookError(Message text)
    : jetwriter::Error(jetwriter::english(text)), text_(std::move(text)) {}

WorkbookError::WorkbookError(Message place, Message text)
    : jetwriter::Error(jetwriter::english(place) + ": " + jetwriter::english(text)),
      place_(std::move(place)),
      text_(std::move(text)) {}

FileKind fileKind(std::string_view bytes) {
    const FileKind kind = signatureKind(bytes);
    if (kind != FileKind::Zip) return kind;
    ReadBudget budget{Limits{}};
    try {
        auto zip = ZipParts::open(bytes, budget);
        return zip ? zipKind(*zip) : FileKind::DamagedZip;
    } catch (const WorkbookError&) {
        return FileKind::Zip;  // past the budget: no workbook, whatever else it is
    }
}

FileKind signatureKind(std::string_view bytes) {
    if (startsWith(bytes, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return FileKind::Xls;
    if (startsWith(bytes, "PK\x03\x04") || startsWith(bytes, "PK\x05\x06") ||
        startsWith(bytes, "PK\x07\x08"))
        return FileKind::Zip;
    if (startsWith(bytes, "%PDF-")) return FileKind::Pdf;
    if (startsWith(bytes, "{\\rtf")) return FileKind::Rtf;
    if (startsWith(bytes, "\x89PNG") || startsWith(bytes, "\xFF\xD8\xFF") ||
        startsWith(bytes, "GIF8"))
        return FileKind::Image;
    if (startsWith(bytes, "\x1F\x8B") || startsWith(bytes, "7z\xBC\xAF\x27\x1C") ||
        startsWith(bytes, "Rar!\x1A\x07"))
        return FileKind::Archive;
    if (isMarkup(bytes)) return FileKind::Markup;
    return FileKind::Text;
}

Message refusal(FileKind kind) {
    switch (kind) {
        case FileKind::Text:
        case FileKind::Xlsx:
        case FileKind::Ods:
        case FileKind::Xls: break;
        case FileKind::Xlsb:
            return {JW_TR("jetwriter",
                          "this is an Excel binary workbook (.xlsb), which cannot be read; open "
                          "it in Excel and save it as an Excel workbook (.xlsx) or as CSV"),
                    {}};
        case FileKind::OtherDocument:
            return {JW_TR("jetwriter",
                          "this is an office document but no spreadsheet (a text or a "
                          "presentation); copy the list into a spreadsheet and save it as .xlsx, "
                          ".ods or CSV"),
                    {}};
        case FileKind::Zip:
            return {JW_TR("jetwriter",
                          "this is a zip archive but neither an Excel workbook (.xlsx) nor an "
                          "OpenDocument spreadsheet (.ods); unpack it and give the class list "
                          "inside, or save the list from the spreadsheet again"),
                    {}};
        case FileKind::DamagedZip:
            return {JW_TR("jetwriter",
                          "this is a zip archive, as .xlsx and .ods workbooks are, but it is "
                          "damaged or cut short; save the workbook again from the spreadsheet"),
                    {}};
        case FileKind::Pdf:
            return {JW_TR("jetwriter",
                          "this is a PDF document, which keeps no table to read; give the "
                          "workbook the list was printed from, or save it as CSV"),
                    {}};
        case FileKind::Rtf:
            return {JW_TR("jetwriter",
                          "this is a Rich Text document (.rtf); copy the list into a spreadsheet "
                          "and save it as .xlsx, .ods or CSV"),
                    {}};
        case FileKind::Markup:
            return {JW_TR("jetwriter",
                          "this is a web page or an XML file (it starts with \"<\"), not a CSV; "
                          "open it in the spreadsheet and save it as an Excel workbook (.xlsx) "
                          "or as CSV"),
                    {}};
        case FileKind::Image:
            return {JW_TR("jetwriter",
                          "this is a picture, not a class list; give the workbook the list is "
                          "kept in, or save it as CSV"),
                    {}};
        case FileKind::Archive:
            return {JW_TR("jetwriter",
                          "this is a compressed archive (gzip, 7-Zip or RAR); unpack it and give "
                          "the class list inside"),
                    {}};
    }
    return {"", {}};
}

Workbook readWorkbook(std::string_view bytes, const Limits& limits) {
    FileKind kind = signatureKind(bytes);
    ReadBudget budget(limits);
    if (kind == FileKind::Zip) {
        // Opened once: what it holds tells its kind, and the same archive is read.
        auto zip = ZipParts::open(bytes, budget);
        kind = zip ? zipKind(*zip) : FileKind::DamagedZip;
        if (kind == FileKind::Xlsx) return readXlsx(*zip, budget);
        if (kind == FileKind::Ods) return readOds(*zip, budget);
    }
    if (kind == FileKind::Xls) return readXls(bytes, limits);
    if (kind == FileKind::Text)
        throw WorkbookError({JW_TR("jetwriter",
                                   "this is neither an Excel workbook (.xlsx, .xls) nor an "
                                   "OpenDocument spreadsheet (.ods)"),
                             {}});
    throw WorkbookError(refusal(kind));
}

std::string cellName(std::size_t row, std::size_t column) {
    std::string letters;
    for (std::size_t c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

Message cellPlace(const std::string& sheet, std::size_t row, std::size_t column) {
    return {JW_TR("jetwriter", "sheet \"%1\", cell %2"), {sheet, cellName(row, column)}};
}

}  // namespace workbook
