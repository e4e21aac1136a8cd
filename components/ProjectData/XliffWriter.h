#pragma once

#include "ProjectData/TranslationWriter.h"

#include <QList>
#include <QXmlStreamWriter>

class QIODevice;

// XLIFF 1.2: one <file> for the project, a <group resname="name"> per index group nested as the
// tree (only groups that hold units somewhere below), a <trans-unit id="..."
// xml:space="preserve"> per index with <source> and <target>; a missing target is an empty
// <target state="needs-translation"/>. Carriage returns are written as character references so
// that a reader does not fold them into line feeds.
class XliffWriter : public TranslationWriter {
public:
    // Writes to out, which the caller keeps open while the writer lives.
    explicit XliffWriter(QIODevice* out);

    void Begin(const QString& project, const QString& sourceLanguage, const QString& targetLanguage) override;
    void BeginGroup(const QString& name) override;
    void Unit(const QString& id, const QString& source, const QString& target) override;
    void EndGroup() override;
    void End() override;

private:
    struct PendingGroup {
        QString name;
        bool written = false;
    };

    void WriteText(const QString& text);
    void Check();

    QIODevice* m_out;
    QXmlStreamWriter m_xml;
    QList<PendingGroup> m_groups;
};
