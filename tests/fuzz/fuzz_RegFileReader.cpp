// The .reg reader on any bytes. Beyond not crashing: what it reads, written back by the .reg
// writer in both formats, reads back to the same entries (the round trip that export and
// import make; a REG_SZ as far as its first zero, which is what the writer writes).
#include "platform/registry/RegFileReader.h"
#include "platform/registry/RegFileWriter.h"

#include "FuzzCheck.h"

namespace {

// The entries as a round trip keeps them: without their lines, and a REG_SZ as its text up to
// its first zero, which is all that the writer writes of it.
QList<RegFileEntry> Comparable(QList<RegFileEntry> entries) {
    for (RegFileEntry& entry : entries) {
        entry.line = 0;
        if (entry.kind == RegFileEntry::Kind::Value && entry.value.type == REG_SZ)
            entry.value.data = EncodeRegString(entry.value.Text());
    }
    return entries;
}

// The entries as the writer writes them; false when it cannot (the writer writes no deletions,
// and REGEDIT4 holds string data as UTF-8 only).
bool Write(const QList<RegFileEntry>& entries, RegFileWriter::Format format, QByteArray* bytes) {
    RegFileWriter writer(format);
    bool inKey = false;
    for (const RegFileEntry& entry : entries) {
        const QString fullName = entry.key.isEmpty()
                                     ? RegistryStore::RootName(entry.root)
                                     : RegistryStore::RootName(entry.root) + u'\\' + entry.key;
        QString why;
        switch (entry.kind) {
        case RegFileEntry::Kind::Key:
            if (!writer.AddKey(fullName, &why))
                return false;
            inKey = true;
            break;
        case RegFileEntry::Kind::Value:
            if (!inKey || !writer.AddValue(entry.value, &why))
                return false;
            break;
        case RegFileEntry::Kind::DeleteKey:
        case RegFileEntry::Kind::DeleteValue: return false;
        }
    }
    *bytes = writer.Bytes();
    return true;
}

// Text with every character outside printable ASCII as \uXXXX, so that a difference shows.
QString Escaped(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            escaped += c;
        else
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return escaped;
}

QString Describe(const RegFileEntry& entry) {
    return QStringLiteral("kind %1 root %2 key \"%3\" value \"%4\" type %5 data %6")
        .arg(int(entry.kind))
        .arg(entry.root, 0, 16)
        .arg(Escaped(entry.key), Escaped(entry.value.name))
        .arg(entry.value.type)
        .arg(QString::fromLatin1(entry.value.data.toHex()));
}

// The first entry that differs, as both sides have it.
QString FirstDifference(const QList<RegFileEntry>& was, const QList<RegFileEntry>& is) {
    for (qsizetype i = 0; i < qMax(was.size(), is.size()); ++i) {
        const QString a = i < was.size() ? Describe(was.at(i)) : QStringLiteral("none");
        const QString b = i < is.size() ? Describe(is.at(i)) : QStringLiteral("none");
        if (a != b)
            return QStringLiteral("entry %1 was %2, reads back as %3").arg(i).arg(a, b);
    }
    return QString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QList<RegFileEntry> entries;
    QString error;
    if (!RegFileReader::Parse(Fuzz::Bytes(data, size), &entries, &error)) {
        Fuzz::Expect(!error.isEmpty(), "a refused file says why");
        return 0;
    }
    for (const auto format : {RegFileWriter::Format::Version5, RegFileWriter::Format::Regedit4}) {
        QByteArray written;
        if (!Write(entries, format, &written))
            continue;
        QList<RegFileEntry> again;
        Fuzz::Expect(RegFileReader::Parse(written, &again, &error), "the writer's file reads back", error);
        Fuzz::Expect(Comparable(again) == Comparable(entries), "the writer's file reads back the same",
                     FirstDifference(Comparable(entries), Comparable(again)));
    }
    return 0;
}
