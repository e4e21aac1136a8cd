// The group-copy decoder on any bytes. A copy carries a checksum, which random bytes never
// match; so an input that does not begin as a copy does is taken as the contents and sealed as
// a copy is (the header of an empty copy before it, the MD5 of the contents after it), and the
// decoder behind the checksum sees it. What decodes, encoded again, decodes to the same copy;
// what is refused leaves the caller's copy as it was and says why.
#include "ProjectData/GroupCopy.h"

#include "FuzzCheck.h"

#include <QCryptographicHash>

namespace {

constexpr qsizetype HeaderSize = 8;

QByteArray Sealed(const QByteArray& contents) {
    return GroupCopy().ToBytes().left(HeaderSize) + contents +
           QCryptographicHash::hash(contents, QCryptographicHash::Md5);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = Fuzz::Bytes(data, size);
    const QByteArray header = GroupCopy().ToBytes().left(4);
    const QByteArray bytes = input.startsWith(header) ? input : Sealed(input);

    GroupCopy sentinel;
    sentinel.languages = QStringList{QStringLiteral("untouched")};
    GroupCopy copy = sentinel;
    QString why;
    if (!GroupCopy::FromBytes(bytes, &copy, &why)) {
        Fuzz::Expect(copy == sentinel, "a refused copy leaves the target as it was");
        Fuzz::Expect(!why.isEmpty(), "a refused copy says why");
        return 0;
    }
    GroupCopy again;
    Fuzz::Expect(GroupCopy::FromBytes(copy.ToBytes(), &again, &why), "a decoded copy encodes to a copy", why);
    Fuzz::Expect(again == copy, "a decoded copy encodes to the same copy");
    return 0;
}
