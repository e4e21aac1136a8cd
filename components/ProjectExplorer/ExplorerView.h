#pragma once

#include <QWidget>

class ProjectFile;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The explorer window's content: the project's name, file and languages, and its index groups
// as a tree with the number of texts each group holds itself.
class ExplorerView : public QWidget {
    Q_OBJECT
public:
    ExplorerView(const ProjectFile& project, bool english, QWidget* parent = nullptr);

    // The selected group's id, 0 when none is selected.
    qint64 SelectedGroup() const;
    QTreeWidget* Groups() const { return m_groups; }

Q_SIGNALS:
    // A group was double-clicked.
    void GroupActivated(qint64 group);

private:
    void AddGroups(const ProjectFile& project, qint64 parent, QTreeWidgetItem* parentItem);

    QTreeWidget* m_groups;
};
