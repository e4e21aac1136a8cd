#include "script/ScriptDecoding.h"

#include "platform/core/Ansi.h"

#include <algorithm>

namespace ScriptDecoding {

namespace {

QString Hex(uint value, int digits) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

// Where the next byte stands.
class Cursor {
public:
    // Moves past character c of the given number of bytes; CR LF, LF and a lone CR end a line.
    void Pass(char32_t c, int bytes) {
        if (c == U'\r') {
            ++m_at.line;
            m_at.column = 1;
        } else if (c == U'\n') {
            if (!m_afterCr)
                ++m_at.line;
            m_at.column = 1;
        } else {
            m_at.column += bytes;
        }
        m_afterCr = c == U'\r';
    }
    // Moves past count bytes that are characters of their own and end no line.
    void PassPlain(qsizetype count) {
        if (count == 0)
            return;
        m_at.column += count;
        m_afterCr = false;
    }
    const Position& At() const { return m_at; }
    qint64 LineCount() const { return m_at.line - 1 + (m_at.column > 1 ? 1 : 0); }

private:
    Position m_at;
    bool m_afterCr = false;
};

// One UTF-8 sequence at a time, with the ranges that exclude overlong forms, surrogates and
// code points beyond U+10FFFF.
class Utf8Sequence {
public:
    enum class Step { More, Character, Invalid };

    // After Invalid, Cut() tells whether the byte ended a begun sequence and must be taken
    // again as the start of the next one; otherwise the byte itself is no UTF-8.
    Step Take(uchar b) {
        if (m_need > 0)
            return Continue(b);
        m_lead = b;
        m_length = 1;
        m_cut = false;
        if (b < 0x80) {
            m_char = b;
            return Step::Character;
        }
        if (b >= 0xC2 && b <= 0xDF)
            return Begin(1, b & 0x1F, 0x80, 0xBF);
        if (b >= 0xE0 && b <= 0xEF)
            return Begin(2, b & 0x0F, b == 0xE0 ? 0xA0 : 0x80, b == 0xED ? 0x9F : 0xBF);
        if (b >= 0xF0 && b <= 0xF4)
            return Begin(3, b & 0x07, b == 0xF0 ? 0x90 : 0x80, b == 0xF4 ? 0x8F : 0xBF);
        return Step::Invalid;
    }
    bool Pending() const { return m_need > 0; }
    bool Cut() const { return m_cut; }
    // The sequence's first byte, and its bytes taken so far (the cutting byte not counted).
    uchar Lead() const { return m_lead; }
    int Length() const { return m_length; }
    char32_t Character() const { return m_char; }
    void Reset() { m_need = 0; }

private:
    Step Begin(int need, char32_t bits, uchar low, uchar high) {
        m_need = need;
        m_char = bits;
        m_low = low;
        m_high = high;
        return Step::More;
    }
    Step Continue(uchar b) {
        if (b < m_low || b > m_high) {
            m_need = 0;
            m_cut = true;
            return Step::Invalid;
        }
        m_char = (m_char << 6) | (b & 0x3F);
        m_low = 0x80;
        m_high = 0xBF;
        ++m_length;
        return --m_need > 0 ? Step::More : Step::Character;
    }

    int m_need = 0;
    int m_length = 0;
    char32_t m_char = 0;
    uchar m_lead = 0;
    uchar m_low = 0x80;
    uchar m_high = 0xBF;
    bool m_cut = false;
};

// The end of the run from index on of bytes that are characters of their own in UTF-8 and
// Windows-1252 alike and end no line: most of a script, taken in one step.
qsizetype PlainRun(QByteArrayView bytes, qsizetype index) {
    while (index < bytes.size() && bytes[index] > 0 && bytes[index] != '\r' && bytes[index] != '\n')
        ++index;
    return index;
}

QString NotUtf8(uchar lead, bool cut) {
    return cut ? QStringLiteral("byte %1 starts an incomplete UTF-8 sequence").arg(Hex(lead, 2))
               : QStringLiteral("byte %1 is not UTF-8").arg(Hex(lead, 2));
}

// What decides the encoding of a file without a mark, gathered in one pass: where it first
// fails as UTF-8, where it first holds a valid multi-byte sequence, and its NUL bytes.
class Probe {
public:
    void Feed(QByteArrayView bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (!m_sequence.Pending()) {
                const qsizetype end = PlainRun(bytes, i);
                m_cursor.PassPlain(end - i);
                m_offset += end - i;
                if ((i = end) == bytes.size())
                    break;
            }
            const auto b = static_cast<uchar>(bytes[i]);
            if (b == 0)
                ++(m_offset % 2 ? m_nulOdd : m_nulEven);
            ++m_offset;
            Take(b);
        }
    }

    void Finish() {
        if (m_sequence.Pending())
            Invalid(m_sequence.Lead(), true);
        m_sequence.Reset();
    }

    Settled Decide() const {
        Settled settled;
        settled.lineCount = m_cursor.LineCount();
        if (m_firstNul) {
            // Every other byte NUL for at least half the text: mostly Latin characters in UTF-16.
            const qint64 units = m_offset / 2;
            if (m_nulOdd > m_nulEven && 2 * m_nulOdd >= units)
                settled.encoding = Encoding::Utf16LE;
            else if (m_nulEven > m_nulOdd && 2 * m_nulEven >= units)
                settled.encoding = Encoding::Utf16BE;
            else
                settled.refusal =
                    Refusal{*m_firstNul, QStringLiteral("NUL byte in a file that is no UTF-16 text")};
        } else if (m_firstInvalid && m_firstMultibyte) {
            settled.refusal = Mixed();
        } else if (m_firstInvalid) {
            settled.encoding = Encoding::Windows1252;
        }
        return settled;
    }

private:
    void Take(uchar b) {
        if (!m_sequence.Pending())
            m_lead = m_cursor.At();
        switch (m_sequence.Take(b)) {
        case Utf8Sequence::Step::More: break;
        case Utf8Sequence::Step::Character:
            if (m_sequence.Length() > 1 && !m_firstMultibyte)
                m_firstMultibyte = m_lead;
            if (m_sequence.Character() == 0 && !m_firstNul)
                m_firstNul = m_lead;
            m_cursor.Pass(m_sequence.Character(), m_sequence.Length());
            break;
        case Utf8Sequence::Step::Invalid:
            Invalid(m_sequence.Lead(), m_sequence.Cut());
            if (m_sequence.Cut())
                Take(b);
            break;
        }
    }

    // Moves past the bytes of an invalid sequence, none of which ends a line.
    void Invalid(uchar lead, bool cut) {
        if (!m_firstInvalid)
            m_firstInvalid = Refusal{m_lead, NotUtf8(lead, cut)};
        m_cursor.Pass(U'\uFFFD', cut ? m_sequence.Length() : 1);
    }

    // The first line that does not fit the encoding the file began with.
    Refusal Mixed() const {
        const QString rule = QStringLiteral("a file mixing UTF-8 and Windows-1252 is refused");
        if (m_firstMultibyte->line < m_firstInvalid->at.line ||
            (m_firstMultibyte->line == m_firstInvalid->at.line &&
             m_firstMultibyte->column < m_firstInvalid->at.column)) {
            return {m_firstInvalid->at, QStringLiteral("%1, though line %2 is UTF-8 (%3)")
                                            .arg(m_firstInvalid->why)
                                            .arg(m_firstMultibyte->line)
                                            .arg(rule)};
        }
        return {*m_firstMultibyte, QStringLiteral("a UTF-8 sequence, though line %1 is not UTF-8 (%2)")
                                       .arg(m_firstInvalid->at.line)
                                       .arg(rule)};
    }

    Utf8Sequence m_sequence;
    Cursor m_cursor;
    Position m_lead;
    std::optional<Refusal> m_firstInvalid;
    std::optional<Position> m_firstMultibyte;
    std::optional<Position> m_firstNul;
    qint64 m_nulEven = 0;
    qint64 m_nulOdd = 0;
    qint64 m_offset = 0;
};

struct Mark {
    Encoding encoding;
    qsizetype length;
};

std::optional<Mark> MarkOf(QByteArrayView head) {
    if (head.startsWith("\xEF\xBB\xBF"))
        return Mark{Encoding::Utf8, 3};
    if (head.startsWith("\xFF\xFE"))
        return Mark{Encoding::Utf16LE, 2};
    if (head.startsWith("\xFE\xFF"))
        return Mark{Encoding::Utf16BE, 2};
    return std::nullopt;
}

// A strict pass of one encoding over the bytes from offset, for the line count and a refusal.
std::optional<Settled> Validate(Encoding encoding, qsizetype offset, const ByteSource& source) {
    Decoder decoder(encoding);
    if (!source(offset, [&decoder](QByteArrayView bytes) { return decoder.Feed(bytes, nullptr); }))
        return std::nullopt;
    decoder.Finish();
    return Settled{encoding, offset, decoder.LineCount(), decoder.Refused()};
}

// Lines as the streaming reader hands them out.
QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

} // namespace

QString Refusal::Text() const {
    return QStringLiteral("line %1, column %2: %3").arg(at.line).arg(at.column).arg(why);
}

class Decoder::Impl {
public:
    explicit Impl(Encoding encoding) : m_encoding(encoding) {}

    bool Feed(QByteArrayView bytes, QString* text) {
        if (m_refusal)
            return false;
        m_text = text;
        if (m_text)
            m_text->reserve(m_text->size() + bytes.size());
        for (qsizetype i = 0; i < bytes.size() && !m_refusal; ++i) {
            if ((i = TakePlain(bytes, i)) == bytes.size())
                break;
            Take(static_cast<uchar>(bytes[i]));
        }
        m_text = nullptr;
        return !m_refusal;
    }

    bool Finish() {
        if (m_refusal)
            return false;
        if (m_utf8.Pending())
            Refuse(NotUtf8(m_utf8.Lead(), true));
        else if (m_oddByte)
            Refuse(QStringLiteral("the file ends in the middle of a UTF-16 character"));
        else if (m_highSurrogate)
            Refuse(QStringLiteral("unpaired UTF-16 surrogate %1").arg(Hex(m_highSurrogate, 4)));
        return !m_refusal;
    }

    std::optional<Refusal> m_refusal;
    Cursor m_cursor;

private:
    // Takes the characters from index on that need no care (no line end, NUL, surrogate or
    // multi-byte sequence) in one step; answers where it stopped.
    qsizetype TakePlain(QByteArrayView bytes, qsizetype index) {
        qsizetype end = index;
        if (m_encoding == Encoding::Utf8 || m_encoding == Encoding::Windows1252) {
            if (m_utf8.Pending())
                return index;
            end = PlainRun(bytes, index);
            if (m_text)
                m_text->append(QLatin1StringView(bytes.sliced(index, end - index)));
        } else {
            if (m_oddByte || m_highSurrogate)
                return index;
            const bool little = m_encoding == Encoding::Utf16LE;
            for (; end + 1 < bytes.size(); end += 2) {
                const auto first = static_cast<uchar>(bytes[end]);
                const auto second = static_cast<uchar>(bytes[end + 1]);
                const char16_t unit = little ? char16_t(first | second << 8) : char16_t(first << 8 | second);
                if (unit == 0 || unit == u'\r' || unit == u'\n' || QChar::isSurrogate(unit))
                    break;
                if (m_text)
                    m_text->append(QChar(unit));
            }
        }
        m_cursor.PassPlain(end - index);
        return end;
    }

    void Take(uchar b) {
        switch (m_encoding) {
        case Encoding::Utf8: TakeUtf8(b); break;
        case Encoding::Utf16LE:
        case Encoding::Utf16BE: TakeUtf16(b); break;
        case Encoding::Windows1252: Emit(FromWindows1252(b), 1); break;
        }
    }

    void TakeUtf8(uchar b) {
        switch (m_utf8.Take(b)) {
        case Utf8Sequence::Step::More: break;
        case Utf8Sequence::Step::Character: Emit(m_utf8.Character(), m_utf8.Length()); break;
        case Utf8Sequence::Step::Invalid: Refuse(NotUtf8(m_utf8.Lead(), m_utf8.Cut())); break;
        }
    }

    void TakeUtf16(uchar b) {
        if (!m_oddByte) {
            m_oddByte = b | 0x100;
            return;
        }
        const uchar first = uchar(m_oddByte);
        m_oddByte = 0;
        const char16_t unit =
            m_encoding == Encoding::Utf16LE ? char16_t(first | b << 8) : char16_t(first << 8 | b);
        if (m_highSurrogate) {
            if (!QChar::isLowSurrogate(unit))
                return Refuse(QStringLiteral("unpaired UTF-16 surrogate %1").arg(Hex(m_highSurrogate, 4)));
            const char32_t c = QChar::surrogateToUcs4(m_highSurrogate, unit);
            m_highSurrogate = 0;
            return Emit(c, 4);
        }
        if (QChar::isHighSurrogate(unit)) {
            m_highSurrogate = unit;
            return;
        }
        if (QChar::isLowSurrogate(unit))
            return Refuse(QStringLiteral("unpaired UTF-16 surrogate %1").arg(Hex(unit, 4)));
        Emit(unit, 2);
    }

    void Emit(char32_t c, int bytes) {
        if (c == 0)
            return Refuse(QStringLiteral("NUL character"));
        if (m_text) {
            if (c > 0xFFFF) {
                m_text->append(QChar(QChar::highSurrogate(c)));
                m_text->append(QChar(QChar::lowSurrogate(c)));
            } else {
                m_text->append(QChar(char16_t(c)));
            }
        }
        m_cursor.Pass(c, bytes);
    }

    // Characters are passed only when complete, so the cursor stands on the first byte of the
    // character that failed.
    void Refuse(const QString& why) { m_refusal = Refusal{m_cursor.At(), why}; }

    Encoding m_encoding;
    QString* m_text = nullptr;
    Utf8Sequence m_utf8;
    uint m_oddByte = 0; // a UTF-16 unit's first byte, with bit 8 set while it waits
    char16_t m_highSurrogate = 0;
};

Decoder::Decoder(Encoding encoding) : m_impl(std::make_unique<Impl>(encoding)) {}

Decoder::~Decoder() = default;

bool Decoder::Feed(QByteArrayView bytes, QString* text) { return m_impl->Feed(bytes, text); }

bool Decoder::Finish() { return m_impl->Finish(); }

const std::optional<Refusal>& Decoder::Refused() const { return m_impl->m_refusal; }

qint64 Decoder::LineCount() const { return m_impl->m_cursor.LineCount(); }

std::optional<Settled> Settle(QByteArrayView head, const ByteSource& source) {
    if (const std::optional<Mark> mark = MarkOf(head))
        return Validate(mark->encoding, mark->length, source);
    Probe probe;
    if (!source(0, [&probe](QByteArrayView bytes) {
            probe.Feed(bytes);
            return true;
        }))
        return std::nullopt;
    probe.Finish();
    const Settled settled = probe.Decide();
    if (!settled.refusal && (settled.encoding == Encoding::Utf16LE || settled.encoding == Encoding::Utf16BE))
        return Validate(settled.encoding, 0, source);
    return settled;
}

WholeScript DecodeWhole(const QByteArray& bytes) {
    const QByteArrayView all(bytes);
    WholeScript whole;
    whole.settled =
        *Settle(all.first(std::min<qsizetype>(3, all.size())), [all](qint64 offset, const ByteSink& sink) {
            sink(all.sliced(offset));
            return true;
        });
    if (whole.settled.refusal)
        return whole;
    Decoder decoder(whole.settled.encoding);
    QString text;
    decoder.Feed(all.sliced(whole.settled.markLength), &text);
    decoder.Finish();
    whole.lines = SplitLines(text);
    return whole;
}

} // namespace ScriptDecoding
