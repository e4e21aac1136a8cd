#include "ProjectData/PoReader.h"

#include "ProjectData/TranslationUnit.h"
#include "studio/Failure.h"

#include <QIODevice>

struct PoReader::Entry {
    enum class Part { None, Context, Id, Text };
    Part part = Part::None;
    bool hasContext = false;
    bool fuzzy = false;
    qsizetype line = 0;
    QByteArray context;
    QByteArray id;
    QByteArray text;

    bool Started() const { return part != Part::None; }
    QByteArray* Current() { return part == Part::Context ? &context : part == Part::Id ? &id : &text; }
};

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of a header field ("Language: en-US"), empty when the header lacks it.
QString HeaderField(const QString& header, QLatin1String name) {
    for (const QString& line : header.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return QString();
}

bool IsFuzzy(QByteArrayView flags) {
    for (const QByteArray& flag : flags.toByteArray().split(',')) {
        if (flag.trimmed() == "fuzzy")
            return true;
    }
    return false;
}

} // namespace

PoReader::PoReader(QIODevice* in) : m_in(in), m_utf8(QStringConverter::Utf8) {}

bool PoReader::Next(TranslationUnit* unit) {
    Entry entry;
    while (ReadEntry(&entry)) {
        if (!entry.hasContext && entry.id.isEmpty()) {
            ReadHeader(entry);
            entry = Entry();
            continue;
        }
        if (!entry.hasContext)
            Fail(entry.line, QStringLiteral("an entry without msgctxt (the unit's id)"));
        if (m_targetLanguage.isEmpty())
            Fail(entry.line, QStringLiteral("an entry before the header"));
        *unit = TranslationUnit();
        unit->line = entry.line;
        unit->id = Decode(entry.context, entry.line);
        unit->source = Decode(entry.id, entry.line);
        unit->target = Decode(entry.text, entry.line);
        unit->translated = !unit->target.isEmpty() && !entry.fuzzy;
        unit->sourceLanguage = m_sourceLanguage;
        unit->targetLanguage = m_targetLanguage;
        return true;
    }
    return false;
}

// One entry: its comments, msgctxt, msgid and msgstr, each string over one or more lines. The
// line that begins the next entry is kept for the next call.
bool PoReader::ReadEntry(Entry* entry) {
    using Part = Entry::Part;
    QByteArray line;
    while (ReadLine(&line)) {
        qsizetype from = 0;
        while (from < line.size() && IsBlank(line.at(from)))
            ++from;
        const bool complete = entry->part == Part::Text;
        if (from == line.size()) {
            if (complete)
                return true;
            continue;
        }
        const QByteArrayView rest = QByteArrayView(line).sliced(from);
        if (complete && (rest.startsWith('#') || rest.startsWith("msgctxt") ||
                         (rest.startsWith("msgid") && !rest.startsWith("msgid_plural")))) {
            m_pending = line;
            m_hasPending = true;
            --m_line;
            return true;
        }
        if (rest.startsWith('#')) {
            if (entry->Started())
                Fail(m_line, QStringLiteral("a comment inside an entry"));
            if (rest.startsWith("#,") && IsFuzzy(rest.sliced(2)))
                entry->fuzzy = true;
            continue;
        }
        if (line.at(from) == '"') {
            if (!entry->Started())
                Fail(m_line, QStringLiteral("a string outside an entry"));
            entry->Current()->append(ReadString(line, from));
            continue;
        }
        qsizetype end = from;
        while (end < line.size() && !IsBlank(line.at(end)) && line.at(end) != '"')
            ++end;
        StartPart(entry, line.mid(from, end - from));
        entry->Current()->append(ReadString(line, end));
    }
    if (entry->Started() && entry->part != Part::Text)
        Fail(m_line, QStringLiteral("the last entry has no msgstr"));
    return entry->Started();
}

// Moves the entry on to the part that keyword begins, in the order msgctxt, msgid, msgstr.
void PoReader::StartPart(Entry* entry, const QByteArray& keyword) const {
    using Part = Entry::Part;
    if (keyword == "msgctxt" && !entry->Started()) {
        entry->part = Part::Context;
        entry->hasContext = true;
        entry->line = m_line;
    } else if (keyword == "msgid" && (entry->part == Part::None || entry->part == Part::Context)) {
        if (!entry->Started())
            entry->line = m_line;
        entry->part = Part::Id;
    } else if (keyword == "msgstr" && entry->part == Part::Id) {
        entry->part = Part::Text;
    } else if (keyword == "msgid_plural" || keyword.startsWith("msgstr[")) {
        Fail(m_line, QStringLiteral("plural forms are not read (%1)").arg(QString::fromUtf8(keyword)));
    } else {
        Fail(m_line, QStringLiteral("\"%1\" out of place (entries are msgctxt, msgid, msgstr)")
                         .arg(QString::fromUtf8(keyword)));
    }
}

bool PoReader::ReadLine(QByteArray* line) {
    ++m_line;
    if (m_hasPending) {
        m_hasPending = false;
        *line = m_pending;
        return true;
    }
    if (m_in->atEnd())
        return false;
    *line = m_in->readLine();
    if (m_line == 1 && line->startsWith("\xEF\xBB\xBF"))
        line->remove(0, 3);
    return true;
}

void PoReader::ReadHeader(const Entry& entry) {
    if (!m_targetLanguage.isEmpty())
        Fail(entry.line, QStringLiteral("a second header"));
    const QString header = Decode(entry.text, entry.line);
    const QString type = HeaderField(header, QLatin1String("Content-Type"));
    const qsizetype charset = type.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
    if (charset < 0 ||
        type.mid(charset + 8).trimmed().compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
        Fail(entry.line, QStringLiteral("the header must give the charset UTF-8"));
    m_targetLanguage = HeaderField(header, QLatin1String("Language"));
    m_sourceLanguage = HeaderField(header, QLatin1String("X-Source-Language"));
    if (m_targetLanguage.isEmpty() || m_sourceLanguage.isEmpty())
        Fail(entry.line, QStringLiteral("the header must name Language and X-Source-Language"));
}

// The bytes of the quoted string that begins at or after from, escapes resolved.
QByteArray PoReader::ReadString(const QByteArray& line, qsizetype from) const {
    while (from < line.size() && IsBlank(line.at(from)))
        ++from;
    if (from == line.size() || line.at(from) != '"')
        Fail(m_line, QStringLiteral("a string in double quotes expected"));
    QByteArray bytes;
    qsizetype i = from + 1;
    for (; i < line.size() && line.at(i) != '"'; ++i) {
        char c = line.at(i);
        if (c == '\n' || c == '\r')
            break;
        if (c == '\\') {
            if (++i == line.size())
                break;
            switch (line.at(i)) {
            case 'n': c = '\n'; break;
            case 't': c = '\t'; break;
            case 'r': c = '\r'; break;
            case 'a': c = '\a'; break;
            case 'b': c = '\b'; break;
            case 'f': c = '\f'; break;
            case 'v': c = '\v'; break;
            case '\\':
            case '"':
            case '\'':
            case '?': c = line.at(i); break;
            default: Fail(m_line, QStringLiteral("unknown escape \\%1").arg(QLatin1Char(line.at(i))));
            }
        }
        bytes.append(c);
    }
    if (i >= line.size() || line.at(i) != '"')
        Fail(m_line, QStringLiteral("a string that is never closed"));
    for (++i; i < line.size(); ++i) {
        if (!IsBlank(line.at(i)))
            Fail(m_line, QStringLiteral("text after the closing quote"));
    }
    return bytes;
}

QString PoReader::Decode(const QByteArray& bytes, qsizetype line) {
    m_utf8.resetState();
    QString text = m_utf8.decode(bytes);
    if (m_utf8.hasError())
        Fail(line, QStringLiteral("not UTF-8 text"));
    return text;
}

void PoReader::Fail(qsizetype line, const QString& what) const {
    throw Failure(Failure::InvalidCall, QStringLiteral("line %1: %2").arg(line).arg(what));
}
