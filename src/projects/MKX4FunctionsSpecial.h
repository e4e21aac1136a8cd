#pragma once

#include "projects/RegisteredProject.h"
#include "studio/ProjectTypes.h"

#include <QString>
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
// Failures of the library reach the caller.
RegisteredProject ReadRegisteredProject(const QString& Name);

// Appends one row per registration whose project file exists and whose type shares a bit with
// TypeMask, in enumeration order: text Name, key "S:" + lower-case Name (Qt::UserRole of
// column 0), column 1 Path, column 2 ProjectType as stored. Deletes every registration whose
// project file is missing, whatever its type. Leaves no row selected and sizes the columns:
// the first two to their widest entry, the last at least to its header and over the rest of
// the control. Nothing is caught: rows added and registrations deleted before a failure stay.
void FillRegisteredProjects(QTreeWidget* ListView, qint32 TypeMask);

// The row key of a project name: "S:" + the name in lower case.
QString RowKey(const QString& Name);

// The top-level row whose key equals Key, or nullptr.
QTreeWidgetItem* FindRowByKey(const QTreeWidget* ListView, const QString& Key);

} // namespace MKX4FunctionsSpecial
