#pragma once

#include <QTableWidget>

class ProjectFile;

// The index texts of one group: a row per index, the index and then a column per language.
class GroupTextsView : public QTableWidget {
    Q_OBJECT
public:
    GroupTextsView(const ProjectFile& project, qint64 group, bool english, QWidget* parent = nullptr);
};
