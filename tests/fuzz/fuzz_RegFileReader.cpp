// The .reg reader on any bytes: what it reads, written back in both formats, reads back the same.
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

// The entries as the writer writes them; false for deletions and what REGEDIT4 cannot hold.
bool Write(const QList<RegFileEntry>& entries, RegFileWriter::Format format, QByteArray* bytes) {
    RegFileWriter writer(format);
    bool inKey = false;
    QString why;
    for (const RegFileEntry& entry : entries) {
        const QString root = RegistryStore::RootName(entry.root);
        const bool key = entry.kind == RegFileEntry::Kind::Key;
        if (key ? !writer.AddKey(entry.key.isEmpty() ? root : root + u'\\' + entry.key, &why)
                : entry.kind != RegFileEntry::Kind::Value || !inKey || !writer.AddValue(entry.value, &why))
            return false;
        inKey = inKey || key;
    }
    *bytes = writer.Bytes();
    return true;
}

} // namespace

KX4_FUZZ_TARGET(input) {
    QList<RegFileEntry> entries;
    QString error;
    if (!RegFileReader::Parse(input, &entries, &error)) {
        Fuzz::Expect(!error.isEmpty(), "a refused file says why");
        return;
    }
    for (const auto format : {RegFileWriter::Format::Version5, RegFileWriter::Format::Regedit4}) {
        QByteArray written;
        if (!Write(entries, format, &written))
            continue;
        QList<RegFileEntry> again;
        Fuzz::Expect(RegFileReader::Parse(written, &again, &error), "the writer's file reads back", error);
        Fuzz::Expect(Comparable(again) == Comparable(entries), "the writer's file reads back the same",
                     QString::fromUtf8(written));
    }
}
