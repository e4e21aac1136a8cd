#pragma once

#include "ProjectData/GroupCopy.h"
#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectFile.h"
#include "common/TempPrefix.h"

#include <QBuffer>
#include <QTest>

// Helpers shared by the project tests: projects are made from CSV and compared by export.
namespace ProjectFixture {

// A temporary prefix for the test process while it lives, and new files in the folder beside it.
class Files {
public:
    // A new file's path, ending in suffix.
    QString Next(const QString& suffix = "kxs") {
        return m_prefix.Work() + QString("/F%1.%2").arg(m_counter++).arg(suffix);
    }
    // A new project file with the rows of csv (header included) imported.
    QString Make(const QByteArray& csv) {
        const QString path = Next();
        ProjectCsv::Import(*ProjectFile::Create(path, {}), csv, path);
        return path;
    }

private:
    TestSupport::TempPrefix m_prefix;
    int m_counter = 0;
};

// The whole project as CSV with "\n" line ends, for readable comparisons.
inline QByteArray Export(const QString& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ProjectCsv::Export(ProjectFile(path), QString(), &buffer);
    return buffer.buffer().replace("\r\n", "\n");
}

} // namespace ProjectFixture
