#include "platform/registry/RegFileReader.h"

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

// REGEDIT4 keeps string-like hex data in the ANSI code page; the store keeps UTF-16LE.
QByteArray AnsiToUtf16(const QByteArray& ansi) {
    const QString text = QString::fromUtf8(ansi);
    QByteArray data(text.size() * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        data[2 * i] = char(text.at(i).unicode() & 0xff);
        data[2 * i + 1] = char(text.at(i).unicode() >> 8);
    }
    return data;
}

} // namespace

bool RegFileReader::Parse(const QByteArray& bytes, QList<RegFileEntry>* entries, QString* error) {
    entries->clear();
    QStringList lines;
    if (!DecodeLines(bytes, &lines, error))
        return false;

    entries->reserve(lines.size());
    int headerLine = 0;
    bool ansi = false;
    HKEY root = 0;
    QString key;
    bool inKey = false;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int lineNo = int(index) + 1;
        const QString text = lines.at(index).trimmed();
        if (!headerLine) {
            if (text.isEmpty())
                continue;
            if (text != Header4 && text != Header5) {
                *error = QStringLiteral("line %1: not a registry file: the header must be \"%2\" or \"%3\"")
                             .arg(lineNo)
                             .arg(Header5, Header4);
                return false;
            }
            ansi = text == Header4;
            headerLine = lineNo;
            continue;
        }
        if (text.isEmpty() || text.startsWith(u';'))
            continue;
        LineParser parser(text, lineNo);

        if (text.startsWith(u'[')) {
            if (!text.endsWith(u']'))
                return parser.Fail(error, QStringLiteral("the key name is not closed by \"]\""));
            const bool remove = text.startsWith(QStringLiteral("[-"));
            const QString full = text.mid(remove ? 2 : 1, text.size() - (remove ? 3 : 2));
            const QString rootName = full.section(u'\\', 0, 0);
            if (!RegistryStore::ParseRoot(rootName, &root))
                return parser.Fail(error, QStringLiteral("unknown root key \"%1\"").arg(rootName));
            key = full.section(u'\\', 1);
            QStringList names;
            if (RegistryHive::SplitKeyPath(key, &names) != ERROR_SUCCESS)
                return parser.Fail(error, QStringLiteral("bad key name \"%1\": an empty name, or one longer "
                                                         "than 255 characters")
                                              .arg(full));
            entries->append(
                {remove ? RegFileEntry::Kind::DeleteKey : RegFileEntry::Kind::Key, root, key, {}, lineNo});
            inKey = !remove;
            continue;
        }

        RegValue value;
        if (parser.Take(u'@')) {
            value.name.clear();
        } else if (parser.Take(u'"')) {
            if (!parser.Quoted(&value.name, error))
                return false;
        } else {
            return parser.Fail(error, QStringLiteral("expected a key in [brackets], a value or a comment"));
        }
        if (!inKey)
            return parser.Fail(error, QStringLiteral("a value needs a key line above it"));
        if (value.name.size() > 16383)
            return parser.Fail(error, QStringLiteral("the value name is longer than 16383 characters"));
        parser.SkipSpace();
        if (!parser.Take(u'='))
            return parser.Fail(error, QStringLiteral("expected \"=\" after the value name"));
        parser.SkipSpace();

        if (parser.Take(u'-')) {
            if (!parser.AtEnd())
                return parser.Fail(error, QStringLiteral("unexpected text after \"-\""));
            entries->append({RegFileEntry::Kind::DeleteValue, root, key, value, lineNo});
            continue;
        }
        if (parser.Take(u'"')) {
            QString data;
            if (!parser.Quoted(&data, error))
                return false;
            if (!parser.AtEnd())
                return parser.Fail(error, QStringLiteral("unexpected text after the closing quote"));
            value.type = REG_SZ;
            value.data = EncodeRegString(data);
        } else if (parser.TakeWord(QStringLiteral("dword:"))) {
            const QString digits = parser.Rest().trimmed();
            bool ok = false;
            const uint number = digits.toUInt(&ok, 16);
            if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+'))
                return parser.Fail(error,
                                   QStringLiteral("\"%1\" is not a dword of 1 to 8 hex digits").arg(digits));
            value = RegValue::Dword(value.name, number);
        } else if (parser.TakeWord(QStringLiteral("hex"))) {
            value.type = REG_BINARY;
            if (parser.Take(u'(')) {
                const QString rest = parser.Rest();
                const qsizetype close = rest.indexOf(u')');
                bool ok = false;
                const uint type = close > 0 ? rest.left(close).toUInt(&ok, 16) : 0;
                if (!ok || close > 8)
                    return parser.Fail(error, QStringLiteral("bad type in \"hex(\"; expected hex(N):"));
                value.type = type;
                for (qsizetype i = 0; i <= close; ++i)
                    parser.Take(rest.at(i));
            }
            if (!parser.Take(u':'))
                return parser.Fail(error, QStringLiteral("expected \":\" after hex"));
            // Hex data may go on over lines that end with a backslash.
            QString list = parser.Rest().trimmed();
            while (list.endsWith(u'\\')) {
                list.chop(1);
                if (++index >= lines.size() || lines.at(index).trimmed().isEmpty())
                    return parser.Fail(error,
                                       QStringLiteral("the hex data ends with \"\\\" but no line follows"));
                list += lines.at(index).trimmed();
            }
            if (!ParseHexBytes(list, &value.data))
                return parser.Fail(error, QStringLiteral("bad hex data; expected bytes like 0a,ff"));
            if (ansi && (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ))
                value.data = AnsiToUtf16(value.data);
        } else {
            return parser.Fail(error,
                               QStringLiteral("unknown value data \"%1\"").arg(parser.Rest().left(20)));
        }
        entries->append({RegFileEntry::Kind::Value, root, key, value, lineNo});
    }
    if (!headerLine) {
        *error = QStringLiteral("line 1: not a registry file: it has no header");
        return false;
    }
    return true;
}
