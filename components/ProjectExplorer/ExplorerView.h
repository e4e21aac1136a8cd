#pragma once

#include <QList>
#include <QWidget>

class ProjectFile;
class QLabel;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// The explorer window's content: the project's name, file and languages, and its index groups
// as a tree with the number of texts each group holds itself. The numbers are counted after
// the tree was first painted, a group at a time, so a large project shows at once. The project
// must outlive the view.
class ExplorerView : public QWidget {
    Q_OBJECT
public:
    ExplorerView(const ProjectFile& project, bool english, QWidget* parent = nullptr);

    // The selected group's id, 0 when none is selected.
    qint64 SelectedGroup() const;
    QTreeWidget* Groups() const { return m_groups; }
    // True once every group shows its number of texts.
    bool Counted() const { return m_uncounted.isEmpty(); }

Q_SIGNALS:
    // A group was double-clicked.
    void GroupActivated(qint64 group);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddGroups(qint64 parent, QTreeWidgetItem* parentItem);
    void CountNext();

    const ProjectFile& m_project;
    QTreeWidget* m_groups;
    QList<QTreeWidgetItem*> m_uncounted; // in tree order; owned by the tree
    QTimer* m_counting;
};
