// rulevion-helpdoc SOURCE.html OUT.pdf: typesets the help document that the panel's Help button
// opens, from its HTML source (UTF-8) with the program's own texts filled in.
#include "HelpSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QStringDecoder>
#include <QTextDocument>

#include <cstdio>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
// The program's own font, so the help looks like the panel and every Cyrillic letter has a glyph.
const QString kFamily = QStringLiteral("Liberation Sans");

int fail(const QString& problem) {
    std::fprintf(stderr, "rulevion-helpdoc: %s\n", qPrintable(problem));
    return kFailed;
}

bool readUtf8(const QString& path, QString* text, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QStringDecoder decode(QStringDecoder::Utf8);
    *text = decode(file.readAll());
    if (decode.hasError()) {
        *error = QStringLiteral("%1 is not UTF-8").arg(path);
        return false;
    }
    return true;
}

// Writes beside the target and renames, so a failed run never leaves a document that looks done.
bool typeset(const QTextDocument& doc, const QString& outPath, QString* error) {
    const QString part = outPath + QStringLiteral(".part");
    QDir().mkpath(QFileInfo(outPath).absolutePath());
    {
        QPdfWriter writer(part);
        // No margins of the writer's own: the document keeps 2 cm on every side and puts the page
        // numbers into the bottom one.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(), QPageLayout::Millimeter));
        writer.setTitle(doc.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(QStringLiteral("rulevion-helpdoc"));
        doc.print(&writer);
    }
    if (QFileInfo(part).size() == 0) {
        QFile::remove(part);
        *error = QStringLiteral("cannot write %1").arg(part);
        return false;
    }
    QFile::remove(outPath);
    if (!QFile::rename(part, outPath)) {
        QFile::remove(part);
        *error = QStringLiteral("cannot write %1").arg(outPath);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // A build step: it needs fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fputs("Usage: rulevion-helpdoc SOURCE.html OUT.pdf\n", stderr);
        return kUsage;
    }

    QString error;
    QString source;
    QString html;
    if (!readUtf8(args[1], &source, &error)) return fail(error);
    if (!helpdoc::expandMessages(source, &html, &error)) return fail(args[1] + ": " + error);

    const QFont font(kFamily, 11);
    if (QFontInfo(font).family() != kFamily)
        return fail(kFamily +
                    QStringLiteral(" is not installed (Debian package fonts-liberation2)"));

    QTextDocument doc;
    doc.setDefaultFont(font);
    doc.setHtml(html);
    if (!typeset(doc, args[2], &error)) return fail(error);
    return 0;
}
