#include "platform/registry/RegValueCodec.h"

#include <QtEndian>

namespace RegValueCodec {

QByteArray EncodeUtf16(const QString& text) {
    QByteArray data(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian(quint16(text.at(i).unicode()), data.data() + 2 * i);
    return data;
}

QString DecodeUtf16(const QByteArray& data) {
    QString text(data.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(data.constData() + 2 * i));
    return text;
}

QString DecodeString(const QByteArray& data) {
    QString text = DecodeUtf16(data);
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

QByteArray EncodeMultiString(const QStringList& parts) {
    QByteArray data;
    for (const QString& part : parts)
        data += EncodeUtf16(part) + QByteArray(2, '\0');
    return data + QByteArray(2, '\0');
}

QStringList DecodeMultiString(const QByteArray& data) {
    QStringList parts = DecodeUtf16(data).split(QChar(0));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

QByteArray EncodeDword(quint32 number) {
    QByteArray data(4, Qt::Uninitialized);
    qToLittleEndian(number, data.data());
    return data;
}

QByteArray EncodeQword(quint64 number) {
    QByteArray data(8, Qt::Uninitialized);
    qToLittleEndian(number, data.data());
    return data;
}

quint32 DecodeDword(const QByteArray& data) {
    return data.size() < 4 ? 0 : qFromLittleEndian<quint32>(data.constData());
}

quint64 DecodeQword(const QByteArray& data) {
    quint64 number = 0;
    for (qsizetype i = qMin<qsizetype>(8, data.size()) - 1; i >= 0; --i)
        number = number << 8 | quint8(data.at(i));
    return number;
}

} // namespace RegValueCodec
