#include "platform/registry/RegFileReader.h"

#include "platform/registry/RegValueCodec.h"
#include "platform/registry/RegistryHive.h"

#include <QStringDecoder>

namespace {

const QString Header4 = QStringLiteral("REGEDIT4");
const QString Header5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString Header31 = QStringLiteral("REGEDIT"); // Windows 3.1: HKEY_CLASSES_ROOT lines only
const QString ClassesRoot = QStringLiteral("HKEY_CLASSES_ROOT");
constexpr int MaxValueNameLength = 16383;

bool IsSpace(QChar c) { return c == u' ' || c == u'\t'; }

bool IsHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Text from a line for a message, shortened when long (to its end with tail: where the fault is).
QString Quote(const QString& text, bool tail = false) {
    constexpr qsizetype Shown = 30;
    if (text.size() <= Shown)
        return u'"' + text + u'"';
    return tail ? QStringLiteral("\"...%1\"").arg(text.right(Shown))
                : QStringLiteral("\"%1...\"").arg(text.left(Shown));
}

// The lines of the file as text; false with *error when the bytes are not text we read.
bool DecodeLines(const QByteArray& bytes, QStringList* lines, QString* error) {
    QString text;
    if (bytes.startsWith("\xff\xfe")) {
        if (bytes.size() % 2) {
            *error = QStringLiteral("the UTF-16 file ends in the middle of a character");
            return false;
        }
        QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        text = decoder.decode(bytes.mid(2));
    } else if (bytes.startsWith("\xfe\xff")) {
        *error = QStringLiteral("UTF-16 big-endian files are not supported; use UTF-16LE or UTF-8");
        return false;
    } else {
        const QByteArray body = bytes.startsWith("\xef\xbb\xbf") ? bytes.mid(3) : bytes;
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = decoder.decode(body);
        if (decoder.hasError()) {
            // Only now line by line, to say where.
            const QList<QByteArray> raw = body.split('\n');
            for (qsizetype i = 0; i < raw.size(); ++i) {
                QStringDecoder line(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                const QString decoded = line.decode(raw.at(i)); // decoding happens on conversion
                if (line.hasError()) {
                    *error = QStringLiteral("line %1: not valid UTF-8 text").arg(i + 1);
                    return false;
                }
            }
            *error = QStringLiteral("the file is not valid UTF-8 text");
            return false;
        }
    }
    *lines = text.split(u'\n');
    for (QString& line : *lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return true;
}

// One line read from left to right.
class LineParser {
public:
    LineParser(const QString& text, int line) : m_text(text), m_line(line) {}

    int Line() const { return m_line; }
    void SkipSpace() {
        while (m_pos < m_text.size() && IsSpace(m_text.at(m_pos)))
            ++m_pos;
    }
    QChar Peek() const { return m_pos < m_text.size() ? m_text.at(m_pos) : QChar(); }
    bool Take(QChar c) {
        if (Peek() != c || m_pos >= m_text.size())
            return false;
        ++m_pos;
        return true;
    }
    bool TakeWord(const QString& word) {
        if (QStringView(m_text).mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        m_pos += word.size();
        return true;
    }
    // The text up to the next space or the end of the line.
    QString TakeWordUntilSpace() {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && !IsSpace(m_text.at(m_pos)))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }
    // Hex digits at the cursor, at most max (one more is left for the caller to see).
    QString TakeHexDigits(int max) {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_pos - start < max && IsHexDigit(m_text.at(m_pos)))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }
    QString Rest() const { return m_text.mid(m_pos); }
    const QString& Text() const { return m_text; }
    qsizetype Pos() const { return m_pos; }

    // The end of the data: only spaces, then the end of the line or a ;comment.
    bool AtEndOfData() {
        SkipSpace();
        return m_pos >= m_text.size() || Peek() == u';';
    }
    // As AtEndOfData, failing with what stands after the data.
    bool EndOfData(QString* error, const QString& after) {
        if (AtEndOfData())
            return true;
        return Fail(error, QStringLiteral("unexpected text %1 after %2 (only a ;comment may follow)")
                               .arg(Quote(Rest()), after));
    }

    // A quoted string at the current position (its opening quote already taken).
    bool Quoted(QString* out, QString* error) {
        out->clear();
        // Most strings hold no escapes: take them whole.
        for (qsizetype end = m_pos; end < m_text.size(); ++end) {
            if (m_text.at(end) == u'\\')
                break;
            if (m_text.at(end) == u'"') {
                *out = m_text.mid(m_pos, end - m_pos);
                m_pos = end + 1;
                return true;
            }
        }
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos++);
            if (c == u'"')
                return true;
            if (c != u'\\') {
                out->append(c);
                continue;
            }
            if (m_pos >= m_text.size())
                break;
            const QChar escaped = m_text.at(m_pos++);
            if (escaped == u'\\' || escaped == u'"')
                out->append(escaped);
            else if (escaped == u'n')
                out->append(u'\n');
            else if (escaped == u'r')
                out->append(u'\r');
            else if (escaped == u'0')
                return Fail(error,
                            QStringLiteral("\\0 inside a string; write the value as hex(1) or hex(7)"));
            else
                return Fail(error, QStringLiteral("unknown escape \\%1 in a string").arg(escaped));
        }
        return Fail(error, QStringLiteral("the string is not closed by a quote"));
    }

    bool Fail(QString* error, const QString& what) const {
        *error = QStringLiteral("line %1: %2").arg(m_line).arg(what);
        return false;
    }

private:
    const QString& m_text;
    int m_line;
    qsizetype m_pos = 0;
};

// The bytes of hex data: "hex:" lists of two-digit bytes between commas, going on over lines
// that end with ",\" as reg reads them. Blank lines and ;comment lines may stand between
// continued lines, and a ;comment may follow a "\". What reg refuses is refused here too, naming
// the line that holds the bad text: a "\" that does not follow a comma (it would join a split
// byte), a line that starts with a comma or holds only "\", a #comment.
class HexReader {
public:
    HexReader(const QStringList& lines, qsizetype* index, QString* error)
        : m_lines(lines), m_index(index), m_error(error) {}

    // Reads from parser (just after "hex:" or "hex(N):"); *index ends on the last line used.
    bool Read(LineParser& parser, QByteArray* out) {
        out->clear();
        bool continued = false;
        if (!Line(parser, State::Start, out, &continued))
            return false;
        while (continued) {
            const QString* next = NextLine();
            if (!next)
                return !m_failed; // a "\" at the very end of the file keeps the bytes before it
            LineParser line(*next, int(*m_index) + 1);
            line.SkipSpace();
            if (!Line(line, State::Continuation, out, &continued))
                return false;
        }
        return true;
    }

private:
    enum class State { Start, Continuation, AfterByte, AfterComma };

    // The next line that goes on with the data, past blank and ;comment lines; null at the
    // end of the file or on a line that cannot go on (then m_failed).
    const QString* NextLine() {
        while (++*m_index < m_lines.size()) {
            const QString& text = m_lines.at(*m_index);
            const QString trimmed = text.trimmed();
            const LineParser line(text, int(*m_index) + 1);
            if (trimmed.isEmpty() || trimmed.startsWith(u';'))
                continue;
            if (trimmed.startsWith(u'#'))
                return Stop(line, QStringLiteral("a #comment cannot stand inside hex data (a ;comment can)"));
            if (trimmed == u"\\")
                return Stop(line, QStringLiteral("a line that goes on with hex data holds only \"\\\""));
            if (trimmed.startsWith(u','))
                return Stop(line, QStringLiteral("a line that goes on with hex data starts with a comma: %1")
                                      .arg(Quote(trimmed)));
            return &text;
        }
        return nullptr;
    }

    const QString* Stop(const LineParser& line, const QString& what) {
        line.Fail(m_error, what);
        m_failed = true;
        return nullptr;
    }

    // One line's bytes; *continued when it ends with ",\".
    bool Line(LineParser& line, State state, QByteArray* out, bool* continued) {
        *continued = false;
        qsizetype byteStart = 0; // where the last byte began, to quote it whole
        for (;;) {
            line.SkipSpace();
            const QChar c = line.Peek();
            if (c.isNull() || c == u';')
                return true;
            if (c == u'\\' && (state == State::Start || state == State::AfterComma)) {
                line.Take(c);
                *continued = true;
                return line.EndOfData(m_error, QStringLiteral("the \"\\\" that continues hex data"));
            }
            if (c == u'\\')
                return line.Fail(m_error, QStringLiteral("\"\\\" must follow a comma to continue hex data, "
                                                         "so no byte is split: %1")
                                              .arg(Quote(line.Text().trimmed(), true)));
            if (c == u',' && state == State::AfterByte) {
                line.Take(c);
                state = State::AfterComma;
                continue;
            }
            if (state == State::AfterByte)
                return Bad(line, byteStart);
            if (!IsHexDigit(c))
                return Bad(line, line.Pos());
            byteStart = line.Pos();
            const QString digits = line.TakeHexDigits(2);
            if (IsHexDigit(line.Peek()))
                return Bad(line, byteStart);
            out->append(char(digits.toUInt(nullptr, 16)));
            state = State::AfterByte;
        }
    }

    // What stands from "from" on is not hex data.
    bool Bad(const LineParser& line, qsizetype from) {
        const QString rest = line.Text().mid(from).trimmed();
        return line.Fail(m_error, QStringLiteral("bad hex data %1; expected bytes like 0a,ff")
                                      .arg(Quote(rest.isEmpty() ? QStringLiteral("(nothing)") : rest)));
    }

    const QStringList& m_lines;
    qsizetype* m_index;
    QString* m_error;
    bool m_failed = false;
};

// The file's lines read in order, with the key the value lines belong to.
class FileParser {
public:
    FileParser(const QStringList& lines, QList<RegFileEntry>* entries, QString* error)
        : m_lines(lines), m_entries(entries), m_error(error) {}

    bool Run() {
        if (!Header())
            return false;
        m_entries->reserve(m_lines.size());
        for (m_index = 1; m_index < m_lines.size(); ++m_index) {
            const QString text = m_lines.at(m_index).trimmed();
            if (text.isEmpty() || text.startsWith(u';') || text.startsWith(u'#'))
                continue;
            bool ok = false;
            if (m_win31)
                ok = Win31Line(m_lines.at(m_index));
            else if (text.startsWith(u'['))
                ok = KeyLine(text);
            else
                ok = ValueLine(m_lines.at(m_index));
            if (!ok)
                return false;
        }
        return true;
    }

private:
    int LineNo() const { return int(m_index) + 1; }

    // The first line, without blank lines before it.
    bool Header() {
        const QString text = m_lines.first().trimmed();
        if (text.isEmpty()) {
            const bool blank = m_lines.join(QString()).trimmed().isEmpty();
            *m_error = blank
                           ? QStringLiteral("line 1: not a registry file: it has no header")
                           : QStringLiteral("line 1: not a registry file: the header must be its first line, "
                                            "with no blank line before it");
            return false;
        }
        if (text != Header4 && text != Header5 && text != Header31) {
            *m_error = QStringLiteral("line 1: not a registry file: the header must be \"%1\", \"%2\" or "
                                      "\"%3\", not %4")
                           .arg(Header5, Header4, Header31, Quote(text));
            return false;
        }
        m_ansi = text != Header5;
        m_win31 = text == Header31;
        return true;
    }

    // "[ROOT\key]" opens a key, "[-ROOT\key]" deletes one.
    bool KeyLine(const QString& text) {
        LineParser parser(text, LineNo());
        if (!text.endsWith(u']'))
            return parser.Fail(m_error, QStringLiteral("the key name is not closed by \"]\""));
        const bool remove = text.startsWith(QStringLiteral("[-"));
        const QString full = text.mid(remove ? 2 : 1, text.size() - (remove ? 3 : 2));
        const QString rootName = full.section(u'\\', 0, 0);
        if (!RegistryStore::ParseRoot(rootName, &m_root))
            return parser.Fail(m_error, QStringLiteral("unknown root key %1").arg(Quote(rootName)));
        m_key = full.section(u'\\', 1);
        QStringList names;
        if (RegistryHive::SplitKeyPath(m_key, &names) != ERROR_SUCCESS)
            return parser.Fail(m_error, QStringLiteral("bad key name \"%1\": an empty name, or one longer "
                                                       "than 255 characters")
                                            .arg(full));
        m_entries->append(
            {remove ? RegFileEntry::Kind::DeleteKey : RegFileEntry::Kind::Key, m_root, m_key, {}, LineNo()});
        m_keyLine = LineNo();
        m_deleted = remove ? text : QString();
        return true;
    }

    // "name"=data, @=data or "name"=- below a key line.
    bool ValueLine(const QString& text) {
        LineParser parser(text, LineNo());
        parser.SkipSpace();
        RegValue value;
        if (parser.Take(u'"')) {
            if (!parser.Quoted(&value.name, m_error))
                return false;
        } else if (!parser.Take(u'@')) {
            return parser.Fail(m_error, QStringLiteral("expected a key in [brackets], a value or a comment, "
                                                       "not %1")
                                            .arg(Quote(text.trimmed())));
        }
        if (!m_deleted.isEmpty())
            return parser.Fail(m_error,
                               QStringLiteral("a value cannot follow %1 on line %2: that line deletes "
                                              "the key; write the key as [...] to give it values")
                                   .arg(m_deleted)
                                   .arg(m_keyLine));
        if (!m_keyLine)
            return parser.Fail(m_error, QStringLiteral("a value needs a key line above it"));
        if (value.name.size() > MaxValueNameLength)
            return parser.Fail(m_error, QStringLiteral("the value name is longer than 16383 characters"));
        parser.SkipSpace();
        if (!parser.Take(u'='))
            return parser.Fail(m_error, QStringLiteral("expected \"=\" after the value name"));
        parser.SkipSpace();
        const int line = LineNo();
        if (parser.Take(u'-')) {
            if (!parser.EndOfData(m_error, QStringLiteral("\"-\"")))
                return false;
            m_entries->append({RegFileEntry::Kind::DeleteValue, m_root, m_key, value, line});
            return true;
        }
        if (!Data(parser, &value))
            return false;
        m_entries->append({RegFileEntry::Kind::Value, m_root, m_key, value, line});
        return true;
    }

    // The data after "=": a quoted string, dword:, hex: or hex(N):.
    bool Data(LineParser& parser, RegValue* value) {
        if (parser.Take(u'"')) {
            QString data;
            if (!parser.Quoted(&data, m_error) ||
                !parser.EndOfData(m_error, QStringLiteral("the closing quote")))
                return false;
            *value = RegValue::String(value->name, data);
            return true;
        }
        if (parser.TakeWord(QStringLiteral("dword:"))) {
            parser.SkipSpace();
            const QString rest = parser.Rest();
            const QString digits = parser.TakeHexDigits(8);
            if (digits.isEmpty() || IsHexDigit(parser.Peek()) || !parser.AtEndOfData())
                return parser.Fail(m_error,
                                   QStringLiteral("%1 is not a dword of 1 to 8 hex digits").arg(Quote(rest)));
            *value = RegValue::Dword(value->name, digits.toUInt(nullptr, 16));
            return true;
        }
        if (parser.TakeWord(QStringLiteral("hex")))
            return Hex(parser, value);
        return parser.Fail(m_error, QStringLiteral("unknown value data %1").arg(Quote(parser.Rest())));
    }

    // hex:bytes or hex(N):bytes (N the type in 1 to 8 hex digits).
    bool Hex(LineParser& parser, RegValue* value) {
        value->type = REG_BINARY;
        if (parser.Take(u'(')) {
            const QString digits = parser.TakeHexDigits(8);
            if (digits.isEmpty() || !parser.Take(u')'))
                return parser.Fail(m_error,
                                   QStringLiteral("bad type in \"hex(\"; expected hex(N): with N in 1 "
                                                  "to 8 hex digits"));
            value->type = digits.toUInt(nullptr, 16);
        }
        if (!parser.Take(u':'))
            return parser.Fail(m_error, QStringLiteral("expected \":\" after hex"));
        if (!HexReader(m_lines, &m_index, m_error).Read(parser, &value->data))
            return false;
        const bool stringType =
            value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_MULTI_SZ;
        // REGEDIT4 keeps string-like hex data in the ANSI code page (UTF-8 here).
        if (m_ansi && stringType)
            value->data = RegValueCodec::EncodeUtf16(QString::fromUtf8(value->data));
        return true;
    }

    // "HKEY_CLASSES_ROOT\key = text": the key's default value, as Windows 3.1 wrote them.
    bool Win31Line(const QString& text) {
        LineParser parser(text, LineNo());
        if (!parser.TakeWord(ClassesRoot) || !text.startsWith(ClassesRoot) ||
            !(parser.Peek().isNull() || parser.Peek() == u'\\' || IsSpace(parser.Peek())))
            return parser.Fail(m_error, QStringLiteral("a REGEDIT file holds only lines that begin with "
                                                       "HKEY_CLASSES_ROOT, not %1")
                                            .arg(Quote(text)));
        const QString key = parser.TakeWordUntilSpace();
        QStringList names;
        if (RegistryHive::SplitKeyPath(key, &names) != ERROR_SUCCESS)
            return parser.Fail(m_error, QStringLiteral("bad key name %1").arg(Quote(key)));
        // "key = text", "key text": the text begins after one space past the "=".
        parser.SkipSpace();
        if (parser.Take(u'='))
            parser.Take(u' ');
        m_entries->append({RegFileEntry::Kind::Value, HKEY_CLASSES_ROOT, names.join(u'\\'),
                           RegValue::String(QString(), parser.Rest()), LineNo()});
        return true;
    }

    const QStringList& m_lines;
    QList<RegFileEntry>* m_entries;
    QString* m_error;
    qsizetype m_index = 0;
    bool m_ansi = false;
    bool m_win31 = false;
    HKEY m_root = 0;
    QString m_key;
    int m_keyLine = 0; // the last key line, 0 before the first
    QString m_deleted; // that line when it deletes its key
};

} // namespace

bool RegFileReader::Parse(const QByteArray& bytes, QList<RegFileEntry>* entries, QString* error) {
    entries->clear();
    QStringList lines;
    if (!DecodeLines(bytes, &lines, error))
        return false;
    return FileParser(lines, entries, error).Run();
}
