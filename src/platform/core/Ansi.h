#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text at the boundary of the platform's ANSI functions. The system's ANSI code page here is
// UTF-8, so nothing is lost either way.
QByteArray ToAnsi(const QString& text);
// Invalid byte sequences become U+FFFD.
QString FromAnsi(const QByteArray& bytes);

// Windows-1252, the code page of legacy western files: bytes 0x80..0x9F as that code page has
// them, the five it leaves unassigned as their C1 control codes (as Windows maps them), every
// other byte as the Latin-1 character of its value. Never fails.
char16_t FromWindows1252(unsigned char byte);
QString FromWindows1252(QByteArrayView bytes);
