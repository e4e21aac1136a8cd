#include "ProjectData/TranslationUnit.h"

#include <QFileInfo>

namespace TranslationUnits {

QString Id(const QString& groupPath, qint64 index) {
    return groupPath + QLatin1Char('\\') + QString::number(index);
}

bool SplitId(const QString& id, QString* groupPath, qint64* index) {
    const qsizetype cut = id.lastIndexOf(QLatin1Char('\\'));
    if (cut <= 0)
        return false;
    bool number = false;
    *index = id.mid(cut + 1).toLongLong(&number);
    // One spelling per index, so two ids never name the same index.
    if (!number || QString::number(*index) != QStringView(id).mid(cut + 1))
        return false;
    *groupPath = id.left(cut);
    return !groupPath->split(QLatin1Char('\\')).contains(QString());
}

bool FormatOfFile(const QString& fileName, TranslationFormat* format) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("xlf") || suffix == QLatin1String("xliff"))
        *format = TranslationFormat::Xliff;
    else if (suffix == QLatin1String("po") || suffix == QLatin1String("pot"))
        *format = TranslationFormat::Po;
    else
        return false;
    return true;
}

} // namespace TranslationUnits
