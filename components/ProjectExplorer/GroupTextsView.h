#pragma once

#include <QTableView>

class GroupTextsModel;
class ProjectFile;

// The index texts of one group: a row per index, the index and then a column per language, read
// a page at a time as the user scrolls. The project must outlive the view.
class GroupTextsView : public QTableView {
    Q_OBJECT
public:
    // Reads the first page; throws Failure when the project cannot be read.
    GroupTextsView(const ProjectFile& project, qint64 group, bool english, QWidget* parent = nullptr);

    GroupTextsModel* Texts() const { return m_texts; }

private:
    GroupTextsModel* m_texts;
};
