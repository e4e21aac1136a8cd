// The group-copy check and walk on any bytes. A copy carries a checksum, which random bytes never
// match; so an input that does not begin as a copy does is taken as the contents and sealed as
// a copy is (a copy's header before it, the MD5 of the contents after it), and the check behind
// the checksum sees it. What the check takes, the walk goes through without fault, and written
// again from the walk it is a copy that walks the same; what it refuses leaves the caller's copy
// as it was and says why.
#include "ProjectData/GroupCopy.h"

#include "FuzzCheck.h"

#include <QCryptographicHash>

namespace {

constexpr qsizetype HeaderSize = 8;

GroupCopy Sample(const QString& language) {
    GroupCopyWriter writer({language}, true);
    writer.BeginGroup(QStringLiteral("Alarme"));
    writer.Text(1, 0, "Kessel");
    writer.EndGroup();
    return writer.Finish();
}

QByteArray Sealed(const QByteArray& contents) {
    return Sample(QStringLiteral("de")).ToBytes().left(HeaderSize) + contents +
           QCryptographicHash::hash(contents, QCryptographicHash::Md5);
}

// Everything the walk meets, in order, and writes it into a copy of the same languages.
class Recorder : public GroupCopyVisitor {
public:
    explicit Recorder(const GroupCopy& copy) : m_writer(copy.Languages(), copy.WithSubgroups()) {}

    void BeginGroup(const QString& name) override {
        m_seen << QStringLiteral("group ") + name;
        m_writer.BeginGroup(name);
    }
    void Text(qint64 index, int language, QByteArrayView text) override {
        m_seen << QStringLiteral("text %1 %2 ").arg(index).arg(language) +
                      QString::fromLatin1(text.toByteArray().toHex());
        m_writer.Text(index, language, text);
    }
    void EndGroup() override {
        m_seen << QStringLiteral("end");
        m_writer.EndGroup();
    }

    QStringList Seen() const { return m_seen; }
    GroupCopy Written() { return m_writer.Finish(); }

private:
    QStringList m_seen;
    GroupCopyWriter m_writer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = Fuzz::Bytes(data, size);
    const QByteArray bytes = input.startsWith(Sealed({}).left(4)) ? input : Sealed(input);

    const GroupCopy sentinel = Sample(QStringLiteral("untouched"));
    GroupCopy copy = sentinel;
    QString why;
    if (!GroupCopy::FromBytes(bytes, &copy, &why)) {
        Fuzz::Expect(copy.ToBytes() == sentinel.ToBytes() && copy.Languages() == sentinel.Languages(),
                     "a refused copy leaves the target as it was");
        Fuzz::Expect(!why.isEmpty(), "a refused copy says why");
        return 0;
    }
    Recorder walked(copy);
    copy.Walk(walked);
    const QStringList seen = walked.Seen();
    if (seen.isEmpty())
        return 0; // an empty copy
    Fuzz::Expect(seen.first() == QStringLiteral("group ") + copy.Name(),
                 "the walk begins with the copied group");

    GroupCopy again;
    const QByteArray written = walked.Written().ToBytes();
    Fuzz::Expect(GroupCopy::FromBytes(written, &again, &why), "a walked copy written again is a copy", why);
    Recorder walkedAgain(again);
    again.Walk(walkedAgain);
    Fuzz::Expect(walkedAgain.Seen() == seen && again.Languages() == copy.Languages() &&
                     again.WithSubgroups() == copy.WithSubgroups() && again.Name() == copy.Name(),
                 "a copy written again walks the same", seen.join(QLatin1Char('\n')));
    return 0;
}
