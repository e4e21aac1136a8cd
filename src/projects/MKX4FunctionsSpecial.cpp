#include "projects/MKX4FunctionsSpecial.h"

#include "studio/Failure.h"
#include "studio/IStudioUtilities.h"
#include "studio/ProjectTypes.h"
#include "studio/Variant.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>

namespace MKX4FunctionsSpecial {
namespace {

// A value's text; one without a text form fails naming the value (the caller knows the key)
// and what it holds in the registry's terms.
QString ReadText(IRegistryService& registry, const QString& key, const QString& valueName) {
    const QVariant value = registry.GetValue(HKEY_LOCAL_MACHINE, key, valueName, QString());
    try {
        return Variant::ToText(value);
    } catch (const Failure& failure) {
        const QString holds = value.typeId() == QMetaType::QByteArray ? QStringLiteral("binary data")
                              : value.typeId() == QMetaType::QStringList
                                  ? QStringLiteral("several strings")
                                  : QString::fromLatin1(value.typeName());
        throw Failure(failure.Number(),
                      QStringLiteral("value \"%1\" holds %2, not text").arg(valueName, holds));
    }
}

QTreeWidgetItem* MakeRow(const RegisteredProject& project) {
    auto* row = new QTreeWidgetItem(QStringList{project.Name, project.Path, project.ProjectType});
    row->setData(0, Qt::UserRole, RowKey(project.Name));
    return row;
}

// What LVSCW_AUTOSIZE and LVSCW_AUTOSIZE_USEHEADER do: the first columns as wide as their
// widest entry, the last one at least as wide as its header and stretched over the rest.
void SizeColumns(QTreeWidget* listView) {
    QHeaderView* header = listView->header();
    QAbstractItemView* view = listView; // sizeHintForColumn is public here
    const int last = listView->columnCount() - 1;
    header->setStretchLastSection(false);
    int used = 0;
    for (int column = 0; column < last; ++column) {
        header->resizeSection(column, view->sizeHintForColumn(column));
        used += header->sectionSize(column);
    }
    if (last < 0)
        return;
    // The viewport of a list that has never been shown is not laid out yet: measure the frame.
    int available = listView->contentsRect().width();
    if (listView->verticalScrollBar()->isVisible())
        available -= listView->verticalScrollBar()->width();
    const int rest = available - used;
    header->resizeSection(last, std::max(header->sectionSizeHint(last), rest));
    // Where the rest is wide enough, the last column keeps filling it when the control is resized.
    header->setStretchLastSection(rest >= header->sectionSizeHint(last));
}

} // namespace

QVariant ConvertProjectType(const QVariant& Value) { return ProjectTypes::Convert(Value); }

qint32 ProjectTypeCodeOf(const QString& ProjectType) { return ProjectTypes::CodeOf(ProjectType); }

RegisteredProject ReadRegisteredProject(const QString& Name) {
    IRegistryService& registry = StudioUtilities().Registry();
    const QString key = StudioKeys::Projects + u'\\' + Name;
    RegisteredProject project;
    project.Name = Name;
    project.ProjectType = ReadText(registry, key, QStringLiteral("ProjectType"));
    project.Path = ReadText(registry, key, QStringLiteral("Path"));
    project.TypeCode = ProjectTypes::CodeOf(project.ProjectType);
    project.ProjectFile = ProjectTypes::RegisteredFile(project.Path, Name, project.TypeCode);
    return project;
}

RegistrationListing ReadRegistrations(qint32 TypeMask) {
    IStudioUtilities& utilities = StudioUtilities();
    RegistrationListing listing;
    const QStringList names = utilities.Registry().EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects);
    for (const QString& name : names) {
        RegisteredProject project;
        try {
            project = ReadRegisteredProject(name);
        } catch (const Failure& failure) {
            listing.Unreadable.append({name, failure.Description()});
            continue;
        }
        if (!utilities.Files().FileExists(project.ProjectFile))
            listing.Stale.append(name);
        else if (TypeMask & project.TypeCode)
            listing.Listed.append(std::move(project));
    }
    return listing;
}

void DeleteRegistrations(const QStringList& Names) {
    // One durable change for all: each of its own costs a disk flush.
    if (!Names.isEmpty())
        StudioUtilities().Registry().DeleteKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects, Names);
}

QList<UnreadableRegistration> FillRegisteredProjects(QTreeWidget* ListView, qint32 TypeMask) {
    const RegistrationListing listing = ReadRegistrations(TypeMask);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(listing.Listed.size());
    for (const RegisteredProject& project : listing.Listed)
        rows.append(MakeRow(project));
    // In one go: row by row the view would lay itself out again for each.
    ListView->addTopLevelItems(rows);
    ListView->clearSelection();
    ListView->setCurrentItem(nullptr);
    SizeColumns(ListView);
    DeleteRegistrations(listing.Stale);
    return listing.Unreadable;
}

QString RowKey(const QString& Name) { return QStringLiteral("S:") + Name.toLower(); }

QTreeWidgetItem* FindRowByKey(const QTreeWidget* ListView, const QString& Key) {
    for (int i = 0; i < ListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ListView->topLevelItem(i);
        if (row->data(0, Qt::UserRole).toString() == Key)
            return row;
    }
    return nullptr;
}

} // namespace MKX4FunctionsSpecial
