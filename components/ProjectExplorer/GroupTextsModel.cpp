#include "ProjectExplorer/GroupTextsModel.h"

#include "ProjectData/ProjectFile.h"
#include "studio/Failure.h"

namespace {

// About a window's worth of rows in three languages.
constexpr int PageTexts = 300;

} // namespace

GroupTextsModel::GroupTextsModel(const ProjectFile& project, qint64 group, const QString& indexHeader,
                                 QObject* parent)
    : QAbstractTableModel(parent), m_project(project), m_group(group),
      m_headers(QStringList{indexHeader} + project.Languages()) {
    const QList<qint64> languages = project.LanguageIds();
    for (int i = 0; i < languages.size(); ++i)
        m_columnOf.insert(languages.at(i), i);
    ReadPage();
}

int GroupTextsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GroupTextsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant GroupTextsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows.at(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == 0)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() == 0)
        return QString::number(row.index);
    return row.texts.value(index.column() - 1);
}

QVariant GroupTextsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool GroupTextsModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !m_atEnd; }

void GroupTextsModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    try {
        ReadPage();
    } catch (const Failure& failure) {
        // Called from a view's event: a failure here has no caller to go to.
        m_lastError = failure.Description();
        m_atEnd = true;
    }
}

void GroupTextsModel::ReadPage() {
    QList<Row> added;
    Row* last = m_rows.isEmpty() ? nullptr : &m_rows.last();
    bool lastGrew = false;
    const int read = m_project.ForEachTextAfter(
        m_group, m_lastIndex, m_lastLanguage, PageTexts,
        [&](qint64 index, qint64 language, const QByteArray& text) {
            m_lastIndex = index;
            m_lastLanguage = language;
            // Texts come ordered by index; a page may end inside an index, the next one goes on there.
            Row* row = !added.isEmpty() ? &added.last() : last;
            lastGrew = lastGrew || (row && row == last && row->index == index);
            if (!row || row->index != index) {
                added.append({index, QStringList(m_columnOf.size())});
                row = &added.last();
            }
            if (const auto column = m_columnOf.constFind(language); column != m_columnOf.constEnd())
                row->texts[*column] = QString::fromUtf8(text);
        });
    m_atEnd = read < PageTexts;
    if (lastGrew)
        Q_EMIT dataChanged(index(int(m_rows.size()) - 1, 1),
                           index(int(m_rows.size()) - 1, columnCount() - 1));
    if (added.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + added.size()) - 1);
    m_rows.append(std::move(added));
    endInsertRows();
}
