// Message formatting on a text and NUL-separated arguments ("#n" a number, "[]" a list).
#include "texts/MResources.h"

#include "FuzzCheck.h"

KX4_FUZZ_TARGET(input) {
    const QList<QByteArray> parts = input.split('\0');
    const QString text = QString::fromUtf8(parts.first());
    QVariantList args;
    qsizetype argumentsSize = 0;
    for (const QByteArray& bytes : parts.mid(1)) {
        const QString part = QString::fromUtf8(bytes);
        bool isNumber = false;
        const int number = part.startsWith(u'#') ? part.mid(1).toInt(&isNumber) : 0;
        args << (isNumber ? QVariant(number) : part == "[]" ? QVariant(QVariantList()) : QVariant(part));
        argumentsSize += part.size();
    }
    MResources::ResetForTesting();
    MResources::AddResource(7, {text, text});
    const QString message = MResources::GetResMessage(7, args);
    Fuzz::Expect(message == text || text.isEmpty() || text.contains(u'@') || text.contains(u'\\'),
                 "a text without placeholders and escapes stays as it is", message);
    // Each placeholder takes two "@" and gives at most one argument's text.
    Fuzz::Expect(message.size() <= qMax<qsizetype>(text.size(), 3) + text.count(u'@') / 2 * argumentsSize,
                 "a message holds the text and the arguments, no more", message);
}
