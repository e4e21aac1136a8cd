#include "projects/MKX4FunctionsSpecial.h"

#include "studio/IStudioUtilities.h"
#include "studio/ProjectTypes.h"
#include "studio/Variant.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>

namespace MKX4FunctionsSpecial {
namespace {

// Rows are collected and handed to the list in one go: adding thousands of rows one by one
// makes the view relayout each time. On a failure the rows made so far still reach the list.
class RowBatch {
public:
    explicit RowBatch(QTreeWidget* listView) : m_listView(listView) {}
    ~RowBatch() { Flush(); }
    RowBatch(const RowBatch&) = delete;
    RowBatch& operator=(const RowBatch&) = delete;

    void Add(QTreeWidgetItem* row) { m_rows.append(row); }
    void Flush() {
        if (!m_rows.isEmpty())
            m_listView->addTopLevelItems(m_rows);
        m_rows.clear();
    }

private:
    QTreeWidget* m_listView;
    QList<QTreeWidgetItem*> m_rows; // owned until handed to the list
};

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
    project.ProjectType =
        Variant::ToText(registry.GetValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("ProjectType"), QString()));
    project.Path =
        Variant::ToText(registry.GetValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("Path"), QString()));
    project.TypeCode = ProjectTypes::CodeOf(project.ProjectType);
    project.ProjectFile = ProjectTypes::RegisteredFile(project.Path, Name, project.TypeCode);
    return project;
}

void FillRegisteredProjects(QTreeWidget* ListView, qint32 TypeMask) {
    IStudioUtilities& utilities = StudioUtilities();
    {
        RowBatch rows(ListView);
        const QStringList names = utilities.Registry().EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects);
        QStringList stale;
        for (const QString& name : names) {
            const RegisteredProject project = ReadRegisteredProject(name);
            if (!utilities.Files().FileExists(project.ProjectFile))
                stale.append(name);
            else if (TypeMask & project.TypeCode)
                rows.Add(MakeRow(project));
        }
        // One durable change for all stale registrations: each of its own costs a disk flush.
        utilities.Registry().DeleteKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects, stale);
    }
    ListView->clearSelection();
    ListView->setCurrentItem(nullptr);
    SizeColumns(ListView);
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
