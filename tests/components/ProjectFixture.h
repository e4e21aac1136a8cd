#pragma once

#include "ProjectData/GroupCopy.h"
#include "ProjectData/ProjectCsv.h"
#include "ProjectData/ProjectFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Helpers shared by the project tests: projects are made from CSV and compared by export.
namespace ProjectFixture {

// A project file at dir/name with the rows of csv (header included) imported.
inline QString Make(const QTemporaryDir& dir, const QString& name, const QByteArray& csv) {
    const QString path = dir.filePath(name);
    auto project = ProjectFile::Create(path, {});
    ProjectCsv::Import(*project, csv, name);
    return path;
}

// The whole project as CSV with "\n" line ends, for readable comparisons.
inline QByteArray Export(const QString& path, const QString& group = QString()) {
    ProjectFile project(path);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ProjectCsv::Export(project, group, &buffer);
    QByteArray csv = buffer.data();
    return csv.replace("\r\n", "\n");
}

// A hermetic prefix for the test process.
inline void UsePrefix(const QTemporaryDir& dir) { qputenv("KX4_PREFIX", dir.path().toLocal8Bit()); }

} // namespace ProjectFixture
