#include "HelpSource.h"

#include "Cp1251.h"
#include "MessageCatalogue.h"

#include <QRegularExpression>

namespace helpdoc {
namespace {

QString toHtml(const std::string& cp1251Text) {
    QString text = QString::fromStdString(cp1251::toUtf8(cp1251Text));
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ') ++first;
    while (end > first && text[end - 1] == u' ') --end;
    return text.mid(first, end - first).toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
}

// The CP1251 text a placeholder names; false when it names none.
bool lookUp(const QString& name, std::string* text) {
    static const QRegularExpression named(QStringLiteral("^(slot|text) ([A-Za-z]+)$"));
    if (name == u"caption") {
        *text = catalogue().caption;
        return true;
    }
    const QRegularExpressionMatch m = named.match(name);
    if (!m.hasMatch()) return false;
    const std::string key = m.captured(2).toStdString();
    if (m.captured(1) == u"text") {
        const std::optional<TextId> id = textIdNamed(key);
        if (!id) return false;
        *text = messageText(*id);
    } else {
        const std::optional<SlotId> slot = slotNamed(key);
        if (!slot) return false;
        *text = catalogue().slotTexts[*slot];
    }
    return !text->empty();
}

}  // namespace

bool expandMessages(const QString& source, QString* html, QString* error) {
    static const QRegularExpression placeholder(QStringLiteral("\\{\\{([^{}]*)\\}\\}"));
    QString out;
    qsizetype done = 0;
    for (auto it = placeholder.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        std::string text;
        if (!lookUp(m.captured(1).trimmed(), &text)) {
            *error = QStringLiteral("no program text for %1").arg(m.captured(0));
            return false;
        }
        out += QStringView(source).mid(done, m.capturedStart() - done);
        out += toHtml(text);
        done = m.capturedEnd();
    }
    out += QStringView(source).mid(done);
    if (const qsizetype at = out.indexOf(QStringLiteral("{{")); at >= 0) {
        *error = QStringLiteral("unclosed placeholder: %1").arg(out.mid(at, 30));
        return false;
    }
    *html = out;
    return true;
}

}  // namespace helpdoc
