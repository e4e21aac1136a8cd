#include "platform/help/HtmlText.h"

#include <QHash>

namespace HtmlText {

namespace {

// The longest reference name looked for ("thinsp", "#x10FFFF").
constexpr qsizetype MaxReferenceLength = 10;

const QHash<QString, char32_t>& NamedReferences() {
    static const QHash<QString, char32_t> named = [] {
        QHash<QString, char32_t> table = {
            {QStringLiteral("quot"), 34},     {QStringLiteral("amp"), 38},
            {QStringLiteral("apos"), 39},     {QStringLiteral("lt"), 60},
            {QStringLiteral("gt"), 62},       {QStringLiteral("OElig"), 338},
            {QStringLiteral("oelig"), 339},   {QStringLiteral("Scaron"), 352},
            {QStringLiteral("scaron"), 353},  {QStringLiteral("Yuml"), 376},
            {QStringLiteral("fnof"), 402},    {QStringLiteral("circ"), 710},
            {QStringLiteral("tilde"), 732},   {QStringLiteral("ensp"), 8194},
            {QStringLiteral("emsp"), 8195},   {QStringLiteral("thinsp"), 8201},
            {QStringLiteral("ndash"), 8211},  {QStringLiteral("mdash"), 8212},
            {QStringLiteral("lsquo"), 8216},  {QStringLiteral("rsquo"), 8217},
            {QStringLiteral("sbquo"), 8218},  {QStringLiteral("ldquo"), 8220},
            {QStringLiteral("rdquo"), 8221},  {QStringLiteral("bdquo"), 8222},
            {QStringLiteral("dagger"), 8224}, {QStringLiteral("Dagger"), 8225},
            {QStringLiteral("bull"), 8226},   {QStringLiteral("hellip"), 8230},
            {QStringLiteral("permil"), 8240}, {QStringLiteral("lsaquo"), 8249},
            {QStringLiteral("rsaquo"), 8250}, {QStringLiteral("euro"), 8364},
            {QStringLiteral("trade"), 8482},  {QStringLiteral("larr"), 8592},
            {QStringLiteral("uarr"), 8593},   {QStringLiteral("rarr"), 8594},
            {QStringLiteral("darr"), 8595},   {QStringLiteral("harr"), 8596},
            {QStringLiteral("lArr"), 8656},   {QStringLiteral("rArr"), 8658},
            {QStringLiteral("hArr"), 8660},   {QStringLiteral("minus"), 8722},
            {QStringLiteral("infin"), 8734},  {QStringLiteral("ne"), 8800},
            {QStringLiteral("le"), 8804},     {QStringLiteral("ge"), 8805},
        };
        // Latin-1 from U+00A0 on, in code point order.
        static const char* const latin1 =
            "nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn "
            "sup2 sup3 acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave "
            "Aacute Acirc Atilde Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml "
            "ETH Ntilde Ograve Oacute Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN "
            "szlig agrave aacute acirc atilde auml aring aelig ccedil egrave eacute ecirc euml igrave iacute "
            "icirc iuml eth ntilde ograve oacute ocirc otilde ouml divide oslash ugrave uacute ucirc uuml "
            "yacute thorn yuml";
        char32_t code = 0xA0;
        for (const QString& name : QString::fromLatin1(latin1).split(QLatin1Char(' ')))
            table.insert(name, code++);
        return table;
    }();
    return named;
}

// The character of the reference name (without "&" and ";"), or 0 when it names none.
char32_t Referenced(QStringView name) {
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code =
            name.size() > 1 && (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X'))
                ? name.mid(2).toUInt(&ok, 16)
                : name.mid(1).toUInt(&ok, 10);
        return ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) ? char32_t(code) : 0;
    }
    return NamedReferences().value(name.toString(), 0);
}

// Appends the reference at text[at] ("&...;") to out; returns where the text goes on, or at + 1
// with a plain "&" appended when it is no reference.
qsizetype AppendReference(QStringView text, qsizetype at, QString& out) {
    const qsizetype end = text.indexOf(QLatin1Char(';'), at + 1);
    if (end > at + 1 && end - at - 1 <= MaxReferenceLength) {
        if (const char32_t code = Referenced(text.mid(at + 1, end - at - 1))) {
            out += QString::fromUcs4(&code, 1);
            return end + 1;
        }
    }
    out += QLatin1Char('&');
    return at + 1;
}

bool IsInline(QStringView tag) {
    static const char* const inlineTags[] = {
        "a", "abbr", "acronym", "b",    "big",    "cite",   "code", "em",  "font", "i", "kbd", "q",
        "s", "samp", "small",   "span", "strike", "strong", "sub",  "sup", "tt",   "u", "var"};
    // Tag names are ASCII; compared without making a string of each.
    for (const char* name : inlineTags)
        if (tag.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The name of the tag that starts at html[at] ("<", "</"), lower case not guaranteed.
QStringView TagName(QStringView html, qsizetype at) {
    qsizetype begin = at + 1;
    if (begin < html.size() && html.at(begin) == QLatin1Char('/'))
        ++begin;
    qsizetype end = begin;
    while (end < html.size() && html.at(end).isLetterOrNumber())
        ++end;
    return html.mid(begin, end - begin);
}

} // namespace

QString DecodeReferences(const QString& text) {
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        if (text.at(at) == QLatin1Char('&'))
            at = AppendReference(text, at, out);
        else
            out += text.at(at++);
    }
    return out;
}

QString PlainText(const QString& html) {
    QString out;
    out.reserve(html.size());
    const QStringView view(html);
    for (qsizetype at = 0; at < view.size();) {
        const QChar c = view.at(at);
        if (c == QLatin1Char('&')) {
            at = AppendReference(view, at, out);
        } else if (c != QLatin1Char('<')) {
            // The run of text up to the next tag or reference, in one piece.
            qsizetype end = at + 1;
            while (end < view.size() && view.at(end) != QLatin1Char('<') && view.at(end) != QLatin1Char('&'))
                ++end;
            out += view.mid(at, end - at);
            at = end;
        } else if (view.mid(at, 4) == QLatin1String("<!--")) {
            const qsizetype end = view.indexOf(QLatin1String("-->"), at + 4);
            at = end < 0 ? view.size() : end + 3;
        } else {
            const bool closing = view.mid(at + 1, 1) == QLatin1String("/");
            const QStringView name = TagName(view, at);
            const qsizetype close = view.indexOf(QLatin1Char('>'), at + 1);
            at = close < 0 ? view.size() : close + 1;
            if (!closing && (name.compare(QLatin1String("script"), Qt::CaseInsensitive) == 0 ||
                             name.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0)) {
                const qsizetype end =
                    view.indexOf(QStringLiteral("</") + name.toString(), at, Qt::CaseInsensitive);
                at = end < 0 ? view.size() : end;
            }
            if (!IsInline(name))
                out += QLatin1Char(' ');
        }
    }
    return out;
}

QString Title(const QString& html) {
    const qsizetype open = html.indexOf(QLatin1String("<title"), 0, Qt::CaseInsensitive);
    const qsizetype begin = open < 0 ? -1 : html.indexOf(QLatin1Char('>'), open);
    const qsizetype end = begin < 0 ? -1 : html.indexOf(QLatin1String("</title"), begin, Qt::CaseInsensitive);
    if (end < 0)
        return {};
    return DecodeReferences(html.mid(begin + 1, end - begin - 1)).simplified();
}

} // namespace HtmlText
