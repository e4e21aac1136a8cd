#pragma once

#include <QMetaType>
#include <QString>

// One project registration as the listing sees it.
struct RegisteredProject {
    QString Name;        // the registration's subkey name, as enumerated
    QString ProjectType; // "ProjectType" as stored, "" when missing
    qint32 TypeCode = 0; // code of ProjectType; 0 for an unknown type
    QString Path;        // "Path" as stored, "" when missing
    QString ProjectFile; // Path + "\" + Name + ".vbg" for a group, ".kxs" otherwise

    bool operator==(const RegisteredProject&) const = default;
};

// A registration that could not be read: it may not be stale, so it is neither listed nor deleted.
struct UnreadableRegistration {
    QString Name; // the registration's subkey name
    QString Why;  // the failure's description; it names the value, not the registration
    bool operator==(const UnreadableRegistration&) const = default;
};

Q_DECLARE_METATYPE(RegisteredProject)
