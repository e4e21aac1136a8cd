#include "ProjectData/TranslationExport.h"

#include "ProjectData/LocaleTags.h"
#include "ProjectData/PoWriter.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectTransaction.h"
#include "ProjectData/XliffWriter.h"
#include "studio/Failure.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <memory>

namespace {

Failure Invalid(const QString& why) { return Failure(Failure::InvalidCall, why); }

// XML 1.0 carries no control character but tab, line feed and carriage return, nor U+FFFE and
// U+FFFF; PO files get the same texts so that both formats hold the same units.
bool Carriable(QChar c) {
    const char16_t u = c.unicode();
    return u >= 0x20 ? u != 0xFFFE && u != 0xFFFF : u == '\t' || u == '\n' || u == '\r';
}

class Exporter {
public:
    Exporter(const ProjectFile& project, TranslationWriter& writer, qint64 source, qint64 target)
        : m_project(project), m_writer(writer), m_source(source), m_target(target) {}

    void Group(qint64 group, const QString& name, const QString& path) {
        m_writer.BeginGroup(name);
        QByteArray source;
        QByteArray target;
        qint64 current = 0;
        bool any = false;
        m_project.ForEachText(group, [&](qint64 index, qint64 language, const QByteArray& text) {
            if (any && index != current) {
                Unit(path, current, source, target);
                source.clear();
                target.clear();
            }
            any = true;
            current = index;
            if (language == m_source)
                source = text;
            else if (language == m_target)
                target = text;
        });
        if (any)
            Unit(path, current, source, target);
        for (const GroupInfo& child : m_project.Children(group))
            Group(child.id, child.name, path + QLatin1Char('\\') + child.name);
        m_writer.EndGroup();
    }

    const TranslationExport::Summary& Summary() const { return m_summary; }

private:
    void Unit(const QString& path, qint64 index, const QByteArray& source, const QByteArray& target) {
        if (source.isEmpty() && target.isEmpty())
            return;
        ++m_summary.units;
        if (target.isEmpty())
            ++m_summary.untranslated;
        const QString id = TranslationUnits::Id(path, index);
        const QString where = QStringLiteral("index group \"%1\" index %2").arg(path).arg(index);
        Check(id, QStringLiteral("the path of %1").arg(where));
        m_writer.Unit(id, Decode(source, where), Decode(target, where));
    }

    QString Decode(const QByteArray& utf8, const QString& where) {
        m_utf8.resetState();
        const QString text = m_utf8.decode(utf8);
        if (m_utf8.hasError())
            throw Invalid(QStringLiteral("a text of %1 in %2 is not UTF-8").arg(where, m_project.Path()));
        Check(text, QStringLiteral("a text of %1").arg(where));
        return text;
    }

    void Check(const QString& text, const QString& what) const {
        for (const QChar c : text) {
            if (!Carriable(c))
                throw Invalid(QStringLiteral("%1 in %2 holds U+%3, which XLIFF and PO cannot carry")
                                  .arg(what, m_project.Path(),
                                       QString::number(c.unicode(), 16).toUpper().rightJustified(4, '0')));
        }
    }

    const ProjectFile& m_project;
    TranslationWriter& m_writer;
    qint64 m_source;
    qint64 m_target;
    QStringDecoder m_utf8{QStringConverter::Utf8};
    TranslationExport::Summary m_summary;
};

QString TagOrFail(const QString& language) {
    const QString tag = LocaleTags::TagOf(language);
    if (tag.isEmpty())
        throw Invalid(QStringLiteral("language \"%1\" has no BCP 47 tag (name languages by locale id, "
                                     "such as 1031, or by tag, such as de-DE)")
                          .arg(language));
    return tag;
}

} // namespace

namespace TranslationExport {

Summary Write(const ProjectFile& project, const Options& options, QIODevice* out) {
    ProjectTransaction snapshot(project.Database(), ProjectTransaction::Kind::Read);
    const QString source = LocaleTags::ProjectLanguage(project, options.source);
    if (source.isEmpty())
        throw Invalid(
            QStringLiteral("source language \"%1\" is not in %2").arg(options.source, project.Path()));
    const QString target = LocaleTags::ProjectLanguage(project, options.target);
    const QString sourceTag = TagOrFail(source);
    const QString targetTag = TagOrFail(target.isEmpty() ? options.target : target);
    if (sourceTag == targetTag)
        throw Invalid(QStringLiteral("source and target are both %1").arg(sourceTag));
    const qint64 group =
        options.groupPath.isEmpty() ? ProjectFile::TopLevel : project.RequireGroup(options.groupPath);

    std::unique_ptr<TranslationWriter> writer;
    if (options.format == TranslationFormat::Xliff)
        writer = std::make_unique<XliffWriter>(out);
    else
        writer = std::make_unique<PoWriter>(out);
    // Language ids are positive, so a target the project lacks matches no text.
    Exporter exporter(project, *writer, project.LanguageId(source),
                      target.isEmpty() ? -1 : project.LanguageId(target));
    writer->Begin(QFileInfo(project.Path()).fileName(), sourceTag, targetTag);
    if (group != ProjectFile::TopLevel) {
        const QString path = project.GroupPath(group);
        exporter.Group(group, path.section(QLatin1Char('\\'), -1), path);
    } else {
        for (const GroupInfo& top : project.Children(ProjectFile::TopLevel))
            exporter.Group(top.id, top.name, top.name);
    }
    writer->End();
    snapshot.Commit();
    return exporter.Summary();
}

} // namespace TranslationExport
