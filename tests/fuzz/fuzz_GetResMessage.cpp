// Message formatting on any table text and arguments. The input is the text, then the
// arguments, each after a NUL; an argument "#n" is the number n, "[]" a list (which has no text
// form). Formatting never fails, leaves a text without "@" and backslash as it is, and inserts
// nothing but the arguments' texts.
#include "texts/MResources.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> parts = Fuzz::Bytes(data, size).split('\0');
    const QString text = QString::fromUtf8(parts.first());
    QVariantList args;
    qsizetype argumentsSize = 0;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString part = QString::fromUtf8(parts.at(i));
        bool isNumber = false;
        const int number = part.startsWith(u'#') ? part.mid(1).toInt(&isNumber) : 0;
        if (isNumber)
            args << number;
        else if (part == QLatin1String("[]"))
            args << QVariant(QVariantList());
        else
            args << part;
        argumentsSize += part.size();
    }

    constexpr qint32 Id = 7;
    MResources::ResetForTesting();
    MResources::AddResource(Id, {text, text});
    const QString message = MResources::GetResMessage(Id, args);
    if (!text.isEmpty() && !text.contains(u'@') && !text.contains(u'\\'))
        Fuzz::Expect(message == text, "a text without placeholders and escapes stays as it is", message);
    // Each placeholder takes two "@" and gives at most one argument's text.
    Fuzz::Expect(message.size() <= qMax<qsizetype>(text.size(), 3) + text.count(u'@') / 2 * argumentsSize,
                 "a message holds the text and the arguments, no more", message);
    return 0;
}
