#include "platform/registry/RegFileWriter.h"

#include "platform/registry/RegValueCodec.h"

namespace {

const QLatin1String Eol("\r\n");
constexpr int LineWidth = 80;

// The text of UTF-16LE data, when the data is exactly that text's units.
bool Utf16Text(const QByteArray& data, QString* text) {
    if (data.size() % 2)
        return false;
    *text = RegValueCodec::DecodeUtf16(data);
    return true;
}

// Whether the text survives a trip through UTF-8 unchanged (no lone surrogates).
bool Utf8Exact(const QString& text) { return QString::fromUtf8(text.toUtf8()) == text; }

} // namespace

RegFileWriter::RegFileWriter(Format format) : m_format(format) {
    m_text = format == Format::Version5 ? QStringLiteral("Windows Registry Editor Version 5.00")
                                        : QStringLiteral("REGEDIT4");
    m_text += Eol;
}

bool RegFileWriter::AddKey(const QString& fullName, QString* error) {
    if (m_format == Format::Regedit4 && !Utf8Exact(fullName)) {
        *error = QStringLiteral("key \"%1\" cannot be written exactly as REGEDIT4 (its name is not valid "
                                "text); export it in the 5.00 format")
                     .arg(fullName);
        return false;
    }
    m_text += Eol + u'[' + fullName + u']' + Eol;
    return true;
}

QString RegFileWriter::Quote(const QString& text) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            quoted += u'\\';
        if (c == u'\n')
            quoted += QStringLiteral("\\n");
        else if (c == u'\r')
            quoted += QStringLiteral("\\r");
        else
            quoted += c;
    }
    return quoted + u'"';
}

QString RegFileWriter::HexLine(const QString& prefix, const QByteArray& data) const {
    QString line = prefix;
    int column = int(prefix.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        const bool last = i == data.size() - 1;
        QString byte = QStringLiteral("%1").arg(quint8(data[i]), 2, 16, QLatin1Char('0'));
        if (!last)
            byte += u',';
        // Break before a byte that would run past the width, as regedit does.
        if (column + byte.size() > LineWidth - 2) {
            line += QStringLiteral("\\") + Eol + QStringLiteral("  ");
            column = 2;
        }
        line += byte;
        column += int(byte.size());
    }
    return line;
}

bool RegFileWriter::AddValue(const RegValue& value, QString* error) {
    if (m_format == Format::Regedit4 && !Utf8Exact(value.name)) {
        *error = QStringLiteral("value \"%1\" cannot be written exactly as REGEDIT4 (its name is not "
                                "valid text); export it in the 5.00 format")
                     .arg(value.name);
        return false;
    }
    const QString name = value.name.isEmpty() ? QStringLiteral("@") : Quote(value.name);
    const bool stringType = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    QString text;
    const bool isText = stringType && Utf16Text(value.data, &text);

    // As reg, a string is written up to its first zero (none at all: empty data); one without
    // a zero keeps its bytes as hex(1).
    const qsizetype zero = text.indexOf(QChar(0));
    if (value.type == REG_SZ && isText && (zero >= 0 || text.isEmpty())) {
        const QString shown = text.left(zero);
        if (!shown.contains(u'\n') && !shown.contains(u'\r') && Utf8Exact(shown)) {
            m_text += name + u'=' + Quote(shown) + Eol;
            return true;
        }
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        m_text += name + QStringLiteral("=dword:%1").arg(value.Number(), 8, 16, QLatin1Char('0')) + Eol;
        return true;
    }
    QByteArray bytes = value.data;
    if (m_format == Format::Regedit4 && stringType) {
        if (!isText || !Utf8Exact(text)) {
            *error = QStringLiteral("value \"%1\" cannot be written exactly as REGEDIT4 (its data is not "
                                    "UTF-16 text); export it in the 5.00 format")
                         .arg(value.name);
            return false;
        }
        bytes = text.toUtf8();
    }
    const QString prefix = value.type == REG_BINARY ? QStringLiteral("=hex:")
                                                    : QStringLiteral("=hex(%1):").arg(value.type, 0, 16);
    m_text += HexLine(name + prefix, bytes) + Eol;
    return true;
}

QByteArray RegFileWriter::Bytes() const {
    const QString text = m_text + Eol;
    if (m_format == Format::Regedit4)
        return text.toUtf8();
    return QByteArray("\xff\xfe", 2) + RegValueCodec::EncodeUtf16(text);
}
