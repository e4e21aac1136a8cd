#pragma once

#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QString>

// Writes a .reg file as reg writes it. "Windows Registry Editor Version 5.00" is UTF-16LE with
// its mark; "REGEDIT4" is UTF-8; both use CR LF. A REG_SZ is written as its text up to its first
// zero, as reg does (so what follows an inner zero is not exported); one with no zero at all, or
// a line break, is written as hex(1), as are other string types as hex(2)/hex(7): those import
// back byte for byte.
class RegFileWriter {
public:
    enum class Format { Regedit4, Version5 };

    explicit RegFileWriter(Format format);

    // Starts a key section: "[HKEY_CURRENT_USER\Software\X]". False (and nothing written) with
    // *error when the name cannot be written exactly in this format (REGEDIT4 is UTF-8 and so
    // cannot hold a lone surrogate).
    bool AddKey(const QString& fullName, QString* error);
    // Adds a value line to the current key. False (and nothing written) with *error when the
    // value's name or data cannot be written exactly in this format (REGEDIT4 holds text as
    // UTF-8 and so cannot hold an odd number of bytes of string data or a lone surrogate).
    bool AddValue(const RegValue& value, QString* error);
    // The whole file, encoded.
    QByteArray Bytes() const;

private:
    static QString Quote(const QString& text);
    QString HexLine(const QString& prefix, const QByteArray& data) const;

    Format m_format;
    QString m_text;
};
