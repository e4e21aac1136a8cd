#include "ProjectData/XliffReader.h"

#include "ProjectData/TranslationUnit.h"
#include "studio/Failure.h"

namespace {

const QStringList Namespaces = {QStringLiteral("urn:oasis:names:tc:xliff:document:1.2"),
                                QStringLiteral("urn:oasis:names:tc:xliff:document:1.1")};

} // namespace

XliffReader::XliffReader(QIODevice* in) : m_xml(in) {}

bool XliffReader::Next(TranslationUnit* unit) {
    while (!m_xml.atEnd()) {
        if (m_xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (m_namespace.isEmpty()) {
            ReadRoot();
        } else if (!InXliff()) {
            m_xml.skipCurrentElement();
        } else if (m_xml.name() == QLatin1String("file")) {
            ReadFile();
        } else if (m_xml.name() == QLatin1String("trans-unit")) {
            if (m_sourceLanguage.isEmpty())
                Fail(QStringLiteral("<trans-unit> outside a <file>"));
            ReadUnit(unit);
            return true;
        } else if (m_xml.name() != QLatin1String("body") && m_xml.name() != QLatin1String("group")) {
            m_xml.skipCurrentElement();
        }
    }
    if (m_xml.hasError())
        Fail(m_xml.errorString());
    return false;
}

void XliffReader::ReadRoot() {
    if (m_xml.name() != QLatin1String("xliff") || !Namespaces.contains(m_xml.namespaceUri()))
        Fail(QStringLiteral("not XLIFF 1.2: the document is <%1> in namespace \"%2\"")
                 .arg(m_xml.name(), m_xml.namespaceUri()));
    m_namespace = m_xml.namespaceUri().toString();
}

void XliffReader::ReadFile() {
    const QXmlStreamAttributes attributes = m_xml.attributes();
    m_sourceLanguage = attributes.value(QLatin1String("source-language")).toString();
    m_targetLanguage = attributes.value(QLatin1String("target-language")).toString();
    if (m_sourceLanguage.isEmpty() || m_targetLanguage.isEmpty())
        Fail(QStringLiteral("<file> without source-language and target-language"));
}

void XliffReader::ReadUnit(TranslationUnit* unit) {
    *unit = TranslationUnit();
    unit->line = m_xml.lineNumber();
    unit->sourceLanguage = m_sourceLanguage;
    unit->targetLanguage = m_targetLanguage;
    unit->id = m_xml.attributes().value(QLatin1String("id")).toString();
    if (unit->id.isEmpty())
        Fail(QStringLiteral("<trans-unit> without id"));
    bool source = false;
    bool target = false;
    QString state;
    while (m_xml.readNextStartElement()) {
        const QStringView name = m_xml.name();
        if (InXliff() && name == QLatin1String("source") && !source) {
            source = true;
            unit->source = ReadText(unit->id, name.toString());
        } else if (InXliff() && name == QLatin1String("target") && !target) {
            target = true;
            state = m_xml.attributes().value(QLatin1String("state")).toString();
            unit->target = ReadText(unit->id, name.toString());
        } else if (InXliff() && (name == QLatin1String("source") || name == QLatin1String("target"))) {
            Fail(QStringLiteral("unit \"%1\" has a second <%2>").arg(unit->id, name));
        } else {
            m_xml.skipCurrentElement();
        }
    }
    if (m_xml.hasError())
        Fail(m_xml.errorString());
    if (!source)
        Fail(QStringLiteral("unit \"%1\" has no <source>").arg(unit->id));
    unit->translated = !unit->target.isEmpty() && state != QLatin1String("new") &&
                       state != QLatin1String("needs-translation");
}

QString XliffReader::ReadText(const QString& id, const QString& element) {
    QString text;
    for (;;) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Characters: text += m_xml.text(); break;
        case QXmlStreamReader::EndElement: return text;
        case QXmlStreamReader::StartElement:
            // Markers and generic spans only wrap text; anything else stands for codes we never write.
            if (!InXliff() || (m_xml.name() != QLatin1String("g") && m_xml.name() != QLatin1String("mrk")))
                Fail(QStringLiteral("unit \"%1\": <%2> inside <%3> (only text is read)")
                         .arg(id, m_xml.qualifiedName(), element));
            text += ReadText(id, element);
            break;
        case QXmlStreamReader::EntityReference:
            Fail(QStringLiteral("unit \"%1\": entity &%2; that the reader cannot resolve")
                     .arg(id, m_xml.name()));
        case QXmlStreamReader::Invalid: Fail(m_xml.errorString());
        default: break;
        }
    }
}

bool XliffReader::InXliff() const { return m_xml.namespaceUri() == m_namespace; }

void XliffReader::Fail(const QString& what) const {
    throw Failure(Failure::InvalidCall, QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(what));
}
