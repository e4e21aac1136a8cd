#include "ProjectData/TranslationImport.h"

#include "ProjectData/LocaleTags.h"
#include "ProjectData/PoReader.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"
#include "ProjectData/TranslationUnit.h"
#include "ProjectData/XliffReader.h"
#include "studio/Failure.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <memory>

namespace {

Failure Invalid(const QString& why) { return Failure(Failure::InvalidCall, why); }

class Importer {
public:
    Importer(ProjectFile& project, bool force) : m_project(project), m_force(force) {}

    void Take(const TranslationUnit& unit) {
        ++m_summary.units;
        if (m_summary.units == 1)
            Languages(unit);
        else if (unit.sourceLanguage != m_sourceTag || unit.targetLanguage != m_targetTag)
            throw Invalid(QStringLiteral("languages %1 to %2 after %3 to %4 (one pair per file)")
                              .arg(unit.sourceLanguage, unit.targetLanguage, m_sourceTag, m_targetTag));
        QString path;
        qint64 index = 0;
        if (!TranslationUnits::SplitId(unit.id, &path, &index))
            throw Invalid(
                QStringLiteral("unit \"%1\": the id is no index group path and index").arg(unit.id));
        const qint64 group = Group(unit.id, path);
        if (!m_project.HasIndex(group, index))
            throw Invalid(QStringLiteral("unit \"%1\": index group \"%2\" has no index %3 in %4")
                              .arg(unit.id, path)
                              .arg(index)
                              .arg(m_project.Path()));
        if (m_seen.contains({group, index}))
            throw Invalid(QStringLiteral("unit \"%1\" a second time").arg(unit.id));
        m_seen.insert({group, index});
        if (m_project.TextUtf8(group, index, m_sourceId) != unit.source.toUtf8()) {
            m_summary.changedSources << unit.id;
            if (!m_force)
                return;
        }
        if (!unit.translated)
            return;
        if (m_targetId == 0)
            AddTarget();
        const QByteArray target = unit.target.toUtf8();
        if (m_project.TextUtf8(group, index, m_targetId) != target) {
            m_project.SetTextUtf8(group, index, m_targetId, target);
            ++m_summary.changed;
        }
    }

    const TranslationImport::Summary& Summary() const { return m_summary; }

private:
    void Languages(const TranslationUnit& unit) {
        m_sourceTag = unit.sourceLanguage;
        m_targetTag = unit.targetLanguage;
        const QString source = LocaleTags::TagOf(m_sourceTag);
        const QString target = LocaleTags::TagOf(m_targetTag);
        if (source.isEmpty() || target.isEmpty())
            throw Invalid(
                QStringLiteral("\"%1\" is no BCP 47 tag").arg(source.isEmpty() ? m_sourceTag : m_targetTag));
        if (source == target)
            throw Invalid(QStringLiteral("source and target are both %1").arg(source));
        const QString sourceName = LocaleTags::ProjectLanguage(m_project, source);
        if (sourceName.isEmpty())
            throw Invalid(QStringLiteral("the file is for source language %1, which %2 does not have")
                              .arg(source, m_project.Path()));
        m_sourceId = m_project.LanguageId(sourceName);
        m_summary.language = LocaleTags::ProjectLanguage(m_project, target);
        if (m_summary.language.isEmpty())
            m_summary.language = LocaleTags::LanguageNameFor(target);
        m_targetId = m_project.LanguageId(m_summary.language);
    }

    void AddTarget() {
        m_project.AddLanguage(m_summary.language);
        m_targetId = m_project.LanguageId(m_summary.language);
        m_summary.languageAdded = true;
    }

    qint64 Group(const QString& id, const QString& path) {
        auto found = m_groups.constFind(path);
        if (found == m_groups.constEnd()) {
            const std::optional<qint64> group = m_project.GroupAt(path);
            if (!group)
                throw Invalid(QStringLiteral("unit \"%1\": index group \"%2\" is not in %3")
                                  .arg(id, path, m_project.Path()));
            found = m_groups.insert(path, *group);
        }
        return *found;
    }

    ProjectFile& m_project;
    bool m_force;
    QString m_sourceTag;
    QString m_targetTag;
    qint64 m_sourceId = 0;
    qint64 m_targetId = 0;
    QHash<QString, qint64> m_groups;
    QSet<std::pair<qint64, qint64>> m_seen;
    TranslationImport::Summary m_summary;
};

} // namespace

namespace TranslationImport {

Summary Apply(ProjectFile& project, TranslationReader& reader, const QString& fileName, bool force) {
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    Importer importer(project, force);
    TranslationUnit unit;
    try {
        while (reader.Next(&unit))
            importer.Take(unit);
    } catch (const Failure& failure) {
        // Readers name the line themselves; a refused unit is named by the line it begins on.
        QString what = failure.Description();
        if (!what.startsWith(QLatin1String("line ")))
            what = QStringLiteral("line %1: %2").arg(unit.line).arg(what);
        throw Failure(failure.Number(), QStringLiteral("%1 %2; nothing imported").arg(fileName, what));
    }
    transaction.Commit();
    return importer.Summary();
}

Summary ApplyFile(ProjectFile& project, const QString& path, bool force) {
    TranslationFormat format;
    if (!TranslationUnits::FormatOfFile(path, &format))
        throw Invalid(QStringLiteral("%1: a translated file ends in .xlf, .xliff or .po").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(Failure::FileNotFound,
                      QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    std::unique_ptr<TranslationReader> reader;
    if (format == TranslationFormat::Xliff)
        reader = std::make_unique<XliffReader>(&file);
    else
        reader = std::make_unique<PoReader>(&file);
    return Apply(project, *reader, path, force);
}

} // namespace TranslationImport
