// Group-copy check and walk on any bytes (sealed unless they begin as a copy); see README.md.
#include "ProjectData/GroupCopy.h"

#include "FuzzCheck.h"

#include <QCryptographicHash>

namespace {

// What a walk of the copy meets, written into a copy of the same languages.
struct Rewriter : GroupCopyVisitor {
    explicit Rewriter(const GroupCopy& copy) : writer(copy.Languages(), copy.WithSubgroups()) {
        copy.Walk(*this);
    }
    void BeginGroup(const QString& name) override { writer.BeginGroup(name); }
    void Text(qint64 index, int language, QByteArrayView text) override {
        writer.Text(index, language, text);
    }
    void EndGroup() override { writer.EndGroup(); }
    GroupCopyWriter writer;
};

} // namespace

KX4_FUZZ_TARGET(input) {
    GroupCopyWriter writer({"untouched"}, true);
    writer.BeginGroup("Alarme");
    writer.EndGroup();
    const GroupCopy sentinel = writer.Finish();
    const QByteArray header = sentinel.ToBytes().left(8); // tag and version
    const QByteArray bytes = input.startsWith(header.left(4))
                                 ? input
                                 : header + input + QCryptographicHash::hash(input, QCryptographicHash::Md5);
    GroupCopy copy = sentinel;
    QString why;
    if (!GroupCopy::FromBytes(bytes, &copy, &why)) {
        Fuzz::Expect(!why.isEmpty() && copy.ToBytes() == sentinel.ToBytes() &&
                         copy.Languages() == sentinel.Languages(),
                     "a refused copy says why and leaves the target as it was");
        return;
    }
    const QByteArray written = Rewriter(copy).writer.Finish().ToBytes();
    GroupCopy again;
    Fuzz::Expect(GroupCopy::FromBytes(written, &again, &why), "a walked copy written again is a copy", why);
    Fuzz::Expect(again.Name() == copy.Name() && again.Languages() == copy.Languages() &&
                     again.WithSubgroups() == copy.WithSubgroups() &&
                     Rewriter(again).writer.Finish().ToBytes() == written,
                 "a copy written again walks the same");
}
