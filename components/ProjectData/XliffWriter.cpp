#include "ProjectData/XliffWriter.h"

#include "studio/Failure.h"

#include <QIODevice>

namespace {

const QString Namespace = QStringLiteral("urn:oasis:names:tc:xliff:document:1.2");

} // namespace

XliffWriter::XliffWriter(QIODevice* out) : m_out(out), m_xml(out) { m_xml.setAutoFormatting(true); }

void XliffWriter::Begin(const QString& project, const QString& sourceLanguage,
                        const QString& targetLanguage) {
    m_xml.writeStartDocument();
    m_xml.writeDefaultNamespace(Namespace);
    m_xml.writeStartElement(Namespace, QStringLiteral("xliff"));
    m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.2"));
    m_xml.writeStartElement(Namespace, QStringLiteral("file"));
    m_xml.writeAttribute(QStringLiteral("original"), project);
    m_xml.writeAttribute(QStringLiteral("datatype"), QStringLiteral("plaintext"));
    m_xml.writeAttribute(QStringLiteral("source-language"), sourceLanguage);
    m_xml.writeAttribute(QStringLiteral("target-language"), targetLanguage);
    m_xml.writeStartElement(Namespace, QStringLiteral("body"));
    Check();
}

void XliffWriter::BeginGroup(const QString& name) { m_groups.append({name}); }

void XliffWriter::Unit(const QString& id, const QString& source, const QString& target) {
    // A group element needs at least one unit inside, so groups open with their first unit.
    for (PendingGroup& group : m_groups) {
        if (!group.written) {
            m_xml.writeStartElement(Namespace, QStringLiteral("group"));
            m_xml.writeAttribute(QStringLiteral("resname"), group.name);
            group.written = true;
        }
    }
    m_xml.writeStartElement(Namespace, QStringLiteral("trans-unit"));
    m_xml.writeAttribute(QStringLiteral("id"), id);
    m_xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    m_xml.writeStartElement(Namespace, QStringLiteral("source"));
    WriteText(source);
    m_xml.writeEndElement();
    m_xml.writeStartElement(Namespace, QStringLiteral("target"));
    if (target.isEmpty())
        m_xml.writeAttribute(QStringLiteral("state"), QStringLiteral("needs-translation"));
    else
        WriteText(target);
    m_xml.writeEndElement();
    m_xml.writeEndElement();
    Check();
}

void XliffWriter::EndGroup() {
    if (m_groups.takeLast().written)
        m_xml.writeEndElement();
}

void XliffWriter::End() {
    m_xml.writeEndDocument();
    Check();
}

void XliffWriter::WriteText(const QString& text) {
    // The stream writer leaves a carriage return raw, and XML readers turn raw ones into line feeds.
    qsizetype from = 0;
    for (qsizetype cr = text.indexOf(QLatin1Char('\r')); cr >= 0;
         cr = text.indexOf(QLatin1Char('\r'), from)) {
        m_xml.writeCharacters(text.mid(from, cr - from));
        m_xml.writeEntityReference(QStringLiteral("#13"));
        from = cr + 1;
    }
    m_xml.writeCharacters(text.mid(from));
}

void XliffWriter::Check() {
    if (m_xml.hasError())
        throw Failure(Failure::DeviceIOError,
                      QStringLiteral("cannot write the XLIFF file: %1").arg(m_out->errorString()));
}
