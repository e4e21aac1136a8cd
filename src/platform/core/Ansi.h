#pragma once

#include <QByteArray>
#include <QString>

// Text at the boundary of the platform's ANSI functions. The system's ANSI code page here is
// UTF-8, so nothing is lost either way.
QByteArray ToAnsi(const QString& text);
// Invalid byte sequences become U+FFFD.
QString FromAnsi(const QByteArray& bytes);
