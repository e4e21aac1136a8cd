#include "ProjectData/PoWriter.h"

#include "studio/Failure.h"

#include <QDateTime>
#include <QIODevice>

namespace {

void AppendEscaped(QByteArray* line, QByteArrayView utf8) {
    for (const char c : utf8) {
        switch (c) {
        case '\\': line->append("\\\\"); break;
        case '"': line->append("\\\""); break;
        case '\n': line->append("\\n"); break;
        case '\t': line->append("\\t"); break;
        case '\r': line->append("\\r"); break;
        default: line->append(c);
        }
    }
}

// keyword "text": one string per line of the text after an empty first one, as gettext writes
// texts with line breaks.
void AppendString(QByteArray* entry, const char* keyword, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    entry->append(keyword).append(' ');
    const qsizetype lastBreak = utf8.size() < 2 ? -1 : utf8.lastIndexOf('\n', utf8.size() - 2);
    if (lastBreak < 0) {
        entry->append('"');
        AppendEscaped(entry, utf8);
        entry->append("\"\n");
        return;
    }
    entry->append("\"\"\n");
    qsizetype from = 0;
    while (from < utf8.size()) {
        const qsizetype lineBreak = utf8.indexOf('\n', from);
        const qsizetype end = lineBreak < 0 ? utf8.size() : lineBreak + 1;
        entry->append('"');
        AppendEscaped(entry, QByteArrayView(utf8).sliced(from, end - from));
        entry->append("\"\n");
        from = end;
    }
}

bool DifferInLineBreaks(const QString& source, const QString& target) {
    return source.startsWith(QLatin1Char('\n')) != target.startsWith(QLatin1Char('\n')) ||
           source.endsWith(QLatin1Char('\n')) != target.endsWith(QLatin1Char('\n'));
}

} // namespace

PoWriter::PoWriter(QIODevice* out) : m_out(out) {}

void PoWriter::Begin(const QString& project, const QString& sourceLanguage, const QString& targetLanguage) {
    const QString revised = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm+0000"));
    const QString header = QStringLiteral("Project-Id-Version: %1\n"
                                          "PO-Revision-Date: %2\n"
                                          "Last-Translator: \n"
                                          "Language-Team: \n"
                                          "Language: %3\n"
                                          "MIME-Version: 1.0\n"
                                          "Content-Type: text/plain; charset=UTF-8\n"
                                          "Content-Transfer-Encoding: 8bit\n"
                                          "X-Source-Language: %4\n")
                               .arg(project, revised, targetLanguage, sourceLanguage);
    QByteArray entry("msgid \"\"\n");
    AppendString(&entry, "msgstr", header);
    Write(entry);
}

void PoWriter::Unit(const QString& id, const QString& source, const QString& target) {
    QByteArray entry("\n");
    if (!source.isEmpty() && !target.isEmpty() && DifferInLineBreaks(source, target))
        entry.append("#, fuzzy\n");
    AppendString(&entry, "msgctxt", id);
    AppendString(&entry, "msgid", source);
    AppendString(&entry, "msgstr", target);
    Write(entry);
}

void PoWriter::Write(const QByteArray& bytes) {
    if (m_out->write(bytes) != bytes.size())
        throw Failure(Failure::DeviceIOError,
                      QStringLiteral("cannot write the PO file: %1").arg(m_out->errorString()));
}
