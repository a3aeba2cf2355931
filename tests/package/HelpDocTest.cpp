#include "HelpSource.h"
#include "MessageCatalogue.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Expansion {
    const char* name;
    const char* source;
    const char* html;
};

// Texts come out as the reader should see them: escaped, line feeds as breaks, no edge blanks.
const Expansion kExpansions[] = {
    {"Caption", "{{caption}}", "Сообщение программы &quot;Рулевион&quot;"},
    {"EdgeBlanksDropped", "«{{text RecordBookPrompt}}»", "«Введите № зачетки:»"},
    {"BlanksInsideBraces", "a {{ text ExitCaption }} b", "a В Ы Х О Д b"},
    {"LineFeedAndQuotes", "{{text CannotReadPasswordFile}}",
     "ОШИБКА<br>Программа не может прочитать файл &quot;vdmdat01.bin&quot;."},
    {"SlotThenPath", "{{slot NoDatabaseFile}}C:\\x",
     "ОШИБКА<br><br>Программа не может найти файл базы данных по следующему "
     "пути:      <br><br>C:\\x"},
    {"NoPlaceholder", "no placeholder <b>at all</b>", "no placeholder <b>at all</b>"},
};

void PrintTo(const Expansion& e, std::ostream* os) {
    *os << e.name;
}

class HelpExpansion : public ::testing::TestWithParam<Expansion> {};

TEST_P(HelpExpansion, QuotesTheProgramsText) {
    QString html;
    QString error;
    ASSERT_TRUE(helpdoc::expandMessages(QString::fromUtf8(GetParam().source), &html, &error))
        << error.toStdString();
    EXPECT_EQ(html.toStdString(), GetParam().html);
}

INSTANTIATE_TEST_SUITE_P(Cases, HelpExpansion, ::testing::ValuesIn(kExpansions),
                         [](const auto& info) { return std::string(info.param.name); });

// A placeholder that names no text must stop the build, not leave a gap in the document.
TEST(HelpExpansionFault, NamesThePlaceholderThatHasNoText) {
    for (const char* bad :
         {"{{slot 15}}", "{{text 1}}", "{{slot Nothing}}", "{{text Nothing}}",
          "{{slot ExitCaption}}", "{{text StudentNotFound}}", "{{title}}", "{{slot x y}}", "{{}}",
          "before {{slot NoDatabaseFile", "{{text ExitCaption}"}) {
        QString html = QStringLiteral("untouched");
        QString error;
        EXPECT_FALSE(helpdoc::expandMessages(QString::fromUtf8(bad), &html, &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
        EXPECT_EQ(html, QStringLiteral("untouched")) << bad;
    }
}

QString helpSource() {
    QFile file(QStringLiteral(HELP_SOURCE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll());
}

// Every text the program can show (its messages, buttons and labels) is explained in the help:
// a text added to the catalogue without a word in the help fails here.
TEST(HelpSourceCoverage, QuotesEveryTextOfTheProgram) {
    const QString source = helpSource();
    ASSERT_FALSE(source.isEmpty());
    EXPECT_TRUE(source.contains(QStringLiteral("{{caption}}")));
    int filled = 0;
    for (const std::string& text : catalogue().slotTexts) filled += text.empty() ? 0 : 1;
    EXPECT_EQ(slotNames().size(), static_cast<std::size_t>(filled)) << "a filled slot has no name";
    for (const std::string_view name : slotNames()) {
        const QString placeholder = QStringLiteral("{{slot %1}}").arg(QLatin1String(name));
        EXPECT_TRUE(source.contains(placeholder)) << placeholder.toStdString();
    }
    for (const std::string_view name : textNames()) {
        if (textIdNamed(name) == text::kBoxTitle) continue;  // the caption's
        const QString placeholder = QStringLiteral("{{text %1}}").arg(QLatin1String(name));
        EXPECT_TRUE(source.contains(placeholder)) << placeholder.toStdString();
    }
}

struct ToolRun {
    int status = -1;
    QString errors;
};

ToolRun runTool(const QStringList& args) {
    QProcess tool;
    tool.start(
        QString::fromLocal8Bit(std::getenv("RV_BIN_DIR")) + QStringLiteral("/rulevion-helpdoc"),
        args);
    ToolRun run;
    if (!tool.waitForStarted(60000)) {
        run.errors = QStringLiteral("rulevion-helpdoc did not start: ") + tool.errorString();
        return run;
    }
    if (!tool.waitForFinished(60000)) {
        tool.kill();
        tool.waitForFinished();
        run.errors = QStringLiteral("rulevion-helpdoc did not end in time");
        return run;
    }
    run.status = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(tool.readAllStandardError());
    return run;
}

// The text layer of a PDF as a reader's search or copy sees it, blanks collapsed.
std::string pdfText(const fs::path& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QString::fromStdString(pdf.string()), QStringLiteral("-")});
    if (!p.waitForStarted(30000)) return {};
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput())
        .replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "))
        .toStdString();
}

class HelpTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    TempDir dir;
};

// The Cyrillic texts land in the PDF as text, in an embedded font, with the program's wording.
TEST_F(HelpTool, TypesetsTheSourceWithTheProgramsTexts) {
    writeFile(dir / "help.html",
              "<html><head><title>Проба</title></head><body><h1>Справка</h1>"
              "<p>{{text WrongPassword}}</p><p>{{slot NoStudentsTable}}</p></body></html>");
    const ToolRun run = runTool({QString::fromStdString((dir / "help.html").string()),
                                 QString::fromStdString((dir / "out/vdm03.pdf").string())});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(readFile(dir / "out/vdm03.pdf").substr(0, 5), "%PDF-");
    EXPECT_FALSE(fs::exists(dir / "out/vdm03.pdf.part"));
    const std::string text = pdfText(dir / "out/vdm03.pdf");
    EXPECT_NE(text.find("Справка"), std::string::npos) << text;
    EXPECT_NE(text.find("Пароль неправильный"), std::string::npos) << text;
    EXPECT_NE(text.find("ОШИБКА Программа не может найти таблицу курсантов в базе данных."),
              std::string::npos)
        << text;
}

struct BadSource {
    const char* name;
    const char* bytes;  // nullptr: no source file at all
};

const BadSource kBadSources[] = {
    {"UnknownPlaceholder", "<p>{{slot Nothing}}</p>"},
    {"NotUtf8", "<p>\xcf\xf0\xee\xe1\xe0</p>"},  // CP1251, as an editor on the station may save it
    {"Missing", nullptr},
};

// A failed run fails the build and leaves the previous document as it was.
TEST_F(HelpTool, FaultySourceFailsAndKeepsThePreviousDocument) {
    for (const BadSource& bad : kBadSources) {
        SCOPED_TRACE(bad.name);
        const fs::path source = dir / (std::string(bad.name) + ".html");
        if (bad.bytes) writeFile(source, bad.bytes);
        writeFile(dir / "vdm03.pdf", "previous");
        const ToolRun run = runTool({QString::fromStdString(source.string()),
                                     QString::fromStdString((dir / "vdm03.pdf").string())});
        EXPECT_EQ(run.status, 1) << run.errors.toStdString();
        EXPECT_FALSE(run.errors.isEmpty());
        EXPECT_EQ(readFile(dir / "vdm03.pdf"), "previous");
    }
}

TEST_F(HelpTool, WrongUsageIsStatusTwo) {
    EXPECT_EQ(runTool({QStringLiteral("only-one")}).status, 2);
}

// The text of each page of a PDF, one line of the page a string, blank lines and the page number
// left out.
std::vector<std::vector<std::string>> pdfPages(const fs::path& pdf) {
    std::vector<std::vector<std::string>> pages;
    for (int page = 1;; ++page) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                 QString::number(page), QString::fromStdString(pdf.string()), QStringLiteral("-")});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) break;
        std::vector<std::string> lines;
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
            const QString t = line.simplified();
            if (t.isEmpty() || t == QString::number(page)) continue;
            lines.push_back(t.toStdString());
        }
        if (lines.empty()) break;
        pages.push_back(std::move(lines));
    }
    return pages;
}

struct BuiltDocument {
    const char* name;
    const char* source;
    const char* pdf;
    const char* title;
};

void PrintTo(const BuiltDocument& d, std::ostream* os) {
    *os << d.name;
}

const BuiltDocument kBuiltDocuments[] = {
    {"Help", HELP_SOURCE, HELP_PDF, "Рулевион: стартовое меню тренажера"},
    {"TechniciansGuide", GUIDE_SOURCE, GUIDE_PDF, "Рулевион: руководство техника"},
};

class BuiltDocumentTest : public ::testing::TestWithParam<BuiltDocument> {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
};

// A heading at the foot of a page with its text on the next reads as a fault. When an edit of
// the source leaves one there, give that heading `style="page-break-before: always"`.
TEST_P(BuiltDocumentTest, KeepsEveryHeadingWithItsText) {
    QFile source(QString::fromUtf8(GetParam().source));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    std::vector<std::string> headings;
    const QRegularExpression heading(QStringLiteral("<h[1-6][^>]*>(.*?)</h[1-6]>"),
                                     QRegularExpression::DotMatchesEverythingOption);
    for (auto m = heading.globalMatch(QString::fromUtf8(source.readAll())); m.hasNext();)
        headings.push_back(m.next().captured(1).simplified().toStdString());
    ASSERT_GT(headings.size(), 3u);
    const auto pages = pdfPages(GetParam().pdf);
    ASSERT_GT(pages.size(), 1u);
    for (std::size_t i = 0; i < pages.size(); ++i)
        for (const std::string& h : headings)
            EXPECT_NE(pages[i].back(), h) << "page " << i + 1 << " ends with the heading «" << h << "»";
}

// Searchable Russian text with every placeholder filled in.
TEST_P(BuiltDocumentTest, IsSearchableRussianTextWithTheProgramsWords) {
    const std::string text = pdfText(GetParam().pdf);
    EXPECT_NE(text.find(GetParam().title), std::string::npos) << text;
    EXPECT_EQ(text.find("{{"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Docs, BuiltDocumentTest, ::testing::ValuesIn(kBuiltDocuments),
                         [](const auto& info) { return std::string(info.param.name); });

// The document the build made: the one the package installs and the demo station copies.
TEST_F(HelpTool, BuiltDocumentIsSearchableRussianText) {
    const fs::path pdf = HELP_PDF;
    ASSERT_TRUE(fs::exists(pdf)) << pdf;
    const std::string text = pdfText(pdf);
    EXPECT_NE(text.find("Рулевион: стартовое меню тренажера"), std::string::npos) << text;
    EXPECT_NE(text.find("Как курсанту войти"), std::string::npos);
    EXPECT_NE(text.find("Пароль неправильный"), std::string::npos);
    EXPECT_EQ(text.find("{{"), std::string::npos);
}

}  // namespace
