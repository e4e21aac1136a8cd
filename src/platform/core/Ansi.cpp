#include "platform/core/Ansi.h"

QByteArray ToAnsi(const QString& text) { return text.toUtf8(); }

QString FromAnsi(const QByteArray& bytes) { return QString::fromUtf8(bytes); }
