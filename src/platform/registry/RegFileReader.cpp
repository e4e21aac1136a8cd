#include "platform/registry/RegFileReader.h"

#include "platform/registry/RegValueCodec.h"
#include "platform/registry/RegistryHive.h"

#include <QStringDecoder>

namespace {

const QString Header4 = QStringLiteral("REGEDIT4");
const QString Header5 = QStringLiteral("Windows Registry Editor Version 5.00");

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

class LineParser {
public:
    LineParser(const QString& text, int line) : m_text(text), m_line(line) {}

    bool AtEnd() {
        SkipSpace();
        return m_pos >= m_text.size();
    }
    void SkipSpace() {
        while (m_pos < m_text.size() && (m_text.at(m_pos) == u' ' || m_text.at(m_pos) == u'\t'))
            ++m_pos;
    }
    bool Take(QChar c) {
        if (m_pos < m_text.size() && m_text.at(m_pos) == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool TakeWord(const QString& word) {
        if (QStringView(m_text).mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        m_pos += word.size();
        return true;
    }
    QString Rest() const { return m_text.mid(m_pos); }

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

bool ParseHexBytes(const QString& list, QByteArray* out) {
    out->clear();
    const QStringList parts = list.split(u',');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString byte = parts.at(i).trimmed();
        if (byte.isEmpty() && i == parts.size() - 1)
            break; // a trailing comma, or "hex:" with no bytes
        bool ok = false;
        const uint value = byte.toUInt(&ok, 16);
        if (!ok || byte.size() > 2 || byte.startsWith(u'+') || byte.startsWith(u'-'))
            return false;
        out->append(char(value));
    }
    return true;
}

// The file's lines read in order, with the key the value lines belong to.
class FileParser {
public:
    FileParser(const QStringList& lines, QList<RegFileEntry>* entries, QString* error)
        : m_lines(lines), m_entries(entries), m_error(error) {}

    bool Run() {
        m_entries->reserve(m_lines.size());
        for (m_index = 0; m_index < m_lines.size(); ++m_index) {
            const QString text = m_lines.at(m_index).trimmed();
            if (!m_headerLine) {
                if (!text.isEmpty() && !Header(text))
                    return false;
                continue;
            }
            if (text.isEmpty() || text.startsWith(u';'))
                continue;
            if (!(text.startsWith(u'[') ? KeyLine(text) : ValueLine(text)))
                return false;
        }
        if (!m_headerLine) {
            *m_error = QStringLiteral("line 1: not a registry file: it has no header");
            return false;
        }
        return true;
    }

private:
    int LineNo() const { return int(m_index) + 1; }

    bool Header(const QString& text) {
        if (text != Header4 && text != Header5) {
            *m_error = QStringLiteral("line %1: not a registry file: the header must be \"%2\" or \"%3\"")
                           .arg(LineNo())
                           .arg(Header5, Header4);
            return false;
        }
        m_ansi = text == Header4;
        m_headerLine = LineNo();
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
            return parser.Fail(m_error, QStringLiteral("unknown root key \"%1\"").arg(rootName));
        m_key = full.section(u'\\', 1);
        QStringList names;
        if (RegistryHive::SplitKeyPath(m_key, &names) != ERROR_SUCCESS)
            return parser.Fail(m_error, QStringLiteral("bad key name \"%1\": an empty name, or one longer "
                                                       "than 255 characters")
                                            .arg(full));
        m_entries->append(
            {remove ? RegFileEntry::Kind::DeleteKey : RegFileEntry::Kind::Key, m_root, m_key, {}, LineNo()});
        m_inKey = !remove;
        return true;
    }

    // "name"=data, @=data or "name"=- below a key line.
    bool ValueLine(const QString& text) {
        LineParser parser(text, LineNo());
        RegValue value;
        if (parser.Take(u'"')) {
            if (!parser.Quoted(&value.name, m_error))
                return false;
        } else if (!parser.Take(u'@')) {
            return parser.Fail(m_error, QStringLiteral("expected a key in [brackets], a value or a comment"));
        }
        if (!m_inKey)
            return parser.Fail(m_error, QStringLiteral("a value needs a key line above it"));
        if (value.name.size() > 16383)
            return parser.Fail(m_error, QStringLiteral("the value name is longer than 16383 characters"));
        parser.SkipSpace();
        if (!parser.Take(u'='))
            return parser.Fail(m_error, QStringLiteral("expected \"=\" after the value name"));
        parser.SkipSpace();
        const int line = LineNo();
        if (parser.Take(u'-')) {
            if (!parser.AtEnd())
                return parser.Fail(m_error, QStringLiteral("unexpected text after \"-\""));
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
            if (!parser.Quoted(&data, m_error))
                return false;
            if (!parser.AtEnd())
                return parser.Fail(m_error, QStringLiteral("unexpected text after the closing quote"));
            *value = RegValue::String(value->name, data);
            return true;
        }
        if (parser.TakeWord(QStringLiteral("dword:"))) {
            const QString digits = parser.Rest().trimmed();
            bool ok = false;
            const uint number = digits.toUInt(&ok, 16);
            if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+'))
                return parser.Fail(m_error,
                                   QStringLiteral("\"%1\" is not a dword of 1 to 8 hex digits").arg(digits));
            *value = RegValue::Dword(value->name, number);
            return true;
        }
        if (parser.TakeWord(QStringLiteral("hex")))
            return Hex(parser, value);
        return parser.Fail(m_error, QStringLiteral("unknown value data \"%1\"").arg(parser.Rest().left(20)));
    }

    // hex:bytes or hex(N):bytes, going on over lines that end with a backslash.
    bool Hex(LineParser& parser, RegValue* value) {
        value->type = REG_BINARY;
        if (parser.Take(u'(')) {
            const QString rest = parser.Rest();
            const qsizetype close = rest.indexOf(u')');
            bool ok = false;
            const uint type = close > 0 ? rest.left(close).toUInt(&ok, 16) : 0;
            if (!ok || close > 8)
                return parser.Fail(m_error, QStringLiteral("bad type in \"hex(\"; expected hex(N):"));
            value->type = type;
            for (qsizetype i = 0; i <= close; ++i)
                parser.Take(rest.at(i));
        }
        if (!parser.Take(u':'))
            return parser.Fail(m_error, QStringLiteral("expected \":\" after hex"));
        QString list = parser.Rest().trimmed();
        while (list.endsWith(u'\\')) {
            list.chop(1);
            if (++m_index >= m_lines.size() || m_lines.at(m_index).trimmed().isEmpty())
                return parser.Fail(m_error,
                                   QStringLiteral("the hex data ends with \"\\\" but no line follows"));
            list += m_lines.at(m_index).trimmed();
        }
        if (!ParseHexBytes(list, &value->data))
            return parser.Fail(m_error, QStringLiteral("bad hex data; expected bytes like 0a,ff"));
        const bool stringType =
            value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_MULTI_SZ;
        // REGEDIT4 keeps string-like hex data in the ANSI code page (UTF-8 here).
        if (m_ansi && stringType)
            value->data = RegValueCodec::EncodeUtf16(QString::fromUtf8(value->data));
        return true;
    }

    const QStringList& m_lines;
    QList<RegFileEntry>* m_entries;
    QString* m_error;
    qsizetype m_index = 0;
    int m_headerLine = 0;
    bool m_ansi = false;
    HKEY m_root = 0;
    QString m_key;
    bool m_inKey = false;
};

} // namespace

bool RegFileReader::Parse(const QByteArray& bytes, QList<RegFileEntry>* entries, QString* error) {
    entries->clear();
    QStringList lines;
    if (!DecodeLines(bytes, &lines, error))
        return false;
    return FileParser(lines, entries, error).Run();
}
