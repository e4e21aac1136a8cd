#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>

class ProjectFile;

// The index texts of one group as a table: a row per index, the index and then a column per
// language. Reads the project a page at a time, the first page when made and each further one
// when a view scrolls to the end of what was read, so a large group costs what is shown.
// The project must outlive the model.
class GroupTextsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Reads the first page; throws Failure when the project cannot be read.
    GroupTextsModel(const ProjectFile& project, qint64 group, const QString& indexHeader,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    // Reads the next page; a failure ends the reading and is kept in LastError.
    void fetchMore(const QModelIndex& parent) override;

    // Why reading stopped before the group's end; empty when it did not.
    QString LastError() const { return m_lastError; }

private:
    struct Row {
        qint64 index = 0;
        QStringList texts; // one per language column
    };
    void ReadPage();

    const ProjectFile& m_project;
    qint64 m_group;
    QStringList m_headers;
    QHash<qint64, int> m_columnOf; // language id to its column among the texts
    QList<Row> m_rows;
    qint64 m_lastIndex = 0;
    qint64 m_lastLanguage = 0;
    bool m_atEnd = false;
    QString m_lastError;
};
