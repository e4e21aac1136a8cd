#pragma once

#include <QString>
#include <QVariant>

// The studio's seven kinds of project and where a registered project's file lies: one rule for
// the program's project list and the tools that list registrations.
namespace ProjectTypes {

// Type codes, one bit each; a set of types is their bitwise OR.
enum Code : qint32 {
    Single = 1,
    Server = 2,
    Client = 4,
    TerminalServer = 8,
    TerminalClient = 16,
    Group = 32,
    KestrixX = 64,
};

// Both directions. A numeric value (a number, or a text that reads as one as a whole) is a
// code: the result is that type's name, or "" when it is none of the seven codes. Any other
// value is a name, compared exactly: the result is its code as a 32-bit integer, or 0.
// Throws Failure 13 for a value without a text form (a list, an object).
QVariant Convert(const QVariant& value);

// The code a stored "ProjectType" stands for: a name's code, or for a numeric text that names
// a type's code, that code; anything else gives 0.
qint32 CodeOf(const QString& storedType);

// The seven names in the order of their codes.
QStringList Names();

// The extension of a project file of the type: ".vbg" for a group, ".kxs" for any other code,
// 0 included.
QString FileExtension(qint32 code);

// True when text names a project file rather than a registered project: it ends in ".kxs",
// in any case.
bool NamesProjectFile(const QString& text);

// The file of a registration: path + "\" + name + FileExtension(code), joined as they are, so
// a path ending in "\" doubles the separator.
QString RegisteredFile(const QString& path, const QString& name, qint32 code);

} // namespace ProjectTypes
