#pragma once

#include "projects/RegisteredProject.h"
#include "studio/ProjectTypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class QTreeWidget;
class QTreeWidgetItem;

// Project types and the registered projects of the studio.
namespace MKX4FunctionsSpecial {

// Type codes, one bit each; a set of types is their bitwise OR.
using ProjectTypeCode = ProjectTypes::Code;
using enum ProjectTypes::Code;

// The types the project-open dialog lists: Single to Terminal Client.
inline constexpr qint32 OpenableProjectTypes = 31;

// ProjectTypes::Convert, under the program's name.
QVariant ConvertProjectType(const QVariant& Value);

// ProjectTypes::CodeOf, under the program's name.
qint32 ProjectTypeCodeOf(const QString& ProjectType);

// The registration of Name below the projects key, read through the utility library.
// Failures of the library reach the caller; a value without a text form (binary data, a
// multi-string) fails with the conversion's number (13), naming the value and what it holds
// but not the key.
RegisteredProject ReadRegisteredProject(const QString& Name);

// What reading every registration found, in enumeration order.
struct RegistrationListing {
    QList<RegisteredProject> Listed; // project file present, type in the mask
    QStringList Stale;               // project file missing, whatever the type
    QList<UnreadableRegistration> Unreadable;
};

// Reads every registration below the projects key. Changes nothing; a failure of the
// enumeration reaches the caller, one of a single registration makes it unreadable.
RegistrationListing ReadRegistrations(qint32 TypeMask);

// Deletes the named registrations in one durable change (all or none). Failures reach the caller.
void DeleteRegistrations(const QStringList& Names);

// Appends one row per listed registration (ReadRegistrations), in enumeration order: text
// Name, key "S:" + lower-case Name (Qt::UserRole of column 0), column 1 Path, column 2
// ProjectType as stored; then deletes the stale registrations. Leaves no row selected and sizes
// the columns: the first two to their widest entry, the last at least to its header and over
// the rest of the control. Returns the registrations it passed over as unreadable. A failure
// of the deletion reaches the caller with the rows in place.
QList<UnreadableRegistration> FillRegisteredProjects(QTreeWidget* ListView, qint32 TypeMask);

// The row key of a project name: "S:" + the name in lower case.
QString RowKey(const QString& Name);

// The top-level row whose key equals Key, or nullptr.
QTreeWidgetItem* FindRowByKey(const QTreeWidget* ListView, const QString& Key);

} // namespace MKX4FunctionsSpecial
