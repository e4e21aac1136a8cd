#include "platform/help/ChmFile.h"
#include "platform/core/Ansi.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/windows/SystemLanguage.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QtEndian>

#include <chm_lib.h>

namespace {

int CollectObject(chmFile*, chmUnitInfo* unit, void* context) {
    auto* objects = static_cast<QHash<QString, QString>*>(context);
    const QString path = QString::fromUtf8(unit->path);
    objects->insert(path.toLower(), path);
    return CHM_ENUMERATOR_CONTINUE;
}

// Forward slashes, no "." or ".." levels, one leading slash.
QString NormalisedPath(QString path) {
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList kept;
    for (const QString& level : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (level == QLatin1String("."))
            continue;
        if (level == QLatin1String("..")) {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept.append(level);
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

} // namespace

std::unique_ptr<ChmFile> ChmFile::Open(const QString& localPath, QString* why) {
    auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return std::unique_ptr<ChmFile>();
    };
    const QFileInfo info(localPath);
    if (!info.exists())
        return fail(SystemLanguage::Pick("the file does not exist", "die Datei existiert nicht"));
    if (!info.isFile())
        return fail(SystemLanguage::Pick("it is not a file", "das ist keine Datei"));
    if (!info.isReadable())
        return fail(SystemLanguage::Pick("the file cannot be read", "die Datei ist nicht lesbar"));
    chmFile* handle = chm_open(QFile::encodeName(localPath).constData());
    if (!handle)
        return fail(
            SystemLanguage::Pick("it is not a compiled help file", "das ist keine kompilierte Hilfedatei"));

    std::unique_ptr<ChmFile> file(new ChmFile(handle, localPath));
    // chmlib accepts some damaged headers; a file without a single object is of no use either.
    if (file->m_objects.isEmpty())
        return fail(
            SystemLanguage::Pick("it is not a compiled help file", "das ist keine kompilierte Hilfedatei"));
    file->ReadSystemFile();
    file->ReadContextMap();
    return file;
}

ChmFile::ChmFile(chmFile* handle, const QString& localPath) : m_handle(handle), m_localPath(localPath) {
    chm_enumerate(m_handle, CHM_ENUMERATE_ALL, CollectObject, &m_objects);
}

ChmFile::~ChmFile() { chm_close(m_handle); }

QString ChmFile::Find(const QString& path) const { return m_objects.value(NormalisedPath(path).toLower()); }

std::optional<QByteArray> ChmFile::Read(const QString& path) const {
    const QString stored = Find(path);
    if (stored.isEmpty())
        return std::nullopt;
    chmUnitInfo unit{};
    if (chm_resolve_object(m_handle, stored.toUtf8().constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    QByteArray bytes(qsizetype(unit.length), Qt::Uninitialized);
    if (unit.length == 0)
        return bytes;
    const LONGINT64 got = chm_retrieve_object(m_handle, &unit, reinterpret_cast<unsigned char*>(bytes.data()),
                                              0, LONGINT64(unit.length));
    if (got != LONGINT64(unit.length)) {
        qCWarning(lcChmFile) << "Reading" << stored << "from" << m_localPath << "gave" << got << "of"
                             << unit.length << "bytes";
        return std::nullopt;
    }
    return bytes;
}

QString ChmFile::DefaultTopic() const { return ResolveTopic(m_defaultTopic); }

QString ChmFile::ContentsFile() const {
    if (!m_contentsFile.isEmpty() && !Find(m_contentsFile).isEmpty())
        return Find(m_contentsFile);
    // Some compilers leave the record out; the sitemap is then the one .hhc at the top.
    for (const QString& path : m_objects)
        if (path.count(QLatin1Char('/')) == 1 && path.endsWith(QLatin1String(".hhc"), Qt::CaseInsensitive))
            return path;
    return {};
}

std::optional<QString> ChmFile::ContextTopic(quint32 contextId) const {
    const auto found = m_contextTopics.constFind(contextId);
    if (found == m_contextTopics.constEnd())
        return std::nullopt;
    return *found;
}

QString ChmFile::ResolveTopic(const QString& written) const {
    QString path = written.trimmed();
    const int fileEnd = path.lastIndexOf(QLatin1String("::"));
    if (fileEnd >= 0)
        path = path.mid(fileEnd + 2);
    QString anchor;
    const int hash = path.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        anchor = path.mid(hash);
        path.truncate(hash);
    }
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList levels = NormalisedPath(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    while (!levels.isEmpty()) {
        const QString stored = Find(levels.join(QLatin1Char('/')));
        if (!stored.isEmpty())
            return stored + anchor;
        levels.removeFirst();
    }
    return {};
}

QString ChmFile::DecodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return FromWindows1252(bytes);
}

void ChmFile::ReadSystemFile() {
    const std::optional<QByteArray> system = Read(QStringLiteral("/#SYSTEM"));
    if (!system)
        return;
    // A 4-byte version, then records of a 2-byte code, a 2-byte length and that many bytes.
    const QByteArray& data = *system;
    qsizetype at = 4;
    while (at + 4 <= data.size()) {
        const quint16 code = qFromLittleEndian<quint16>(data.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(data.constData() + at + 2);
        at += 4;
        if (at + length > data.size())
            break;
        QByteArray text = data.mid(at, length);
        const qsizetype end = text.indexOf('\0');
        if (end >= 0)
            text.truncate(end);
        switch (code) {
        case 0: m_contentsFile = DecodeText(text); break;
        case 2: m_defaultTopic = DecodeText(text); break;
        case 3: m_title = DecodeText(text); break;
        default: break;
        }
        at += length;
    }
}

void ChmFile::ReadContextMap() {
    const std::optional<QByteArray> map = Read(QStringLiteral("/#IVB"));
    const std::optional<QByteArray> strings = Read(QStringLiteral("/#STRINGS"));
    if (!map || !strings || map->size() < 4)
        return;
    // A 4-byte byte count, then pairs of context number and offset into the strings.
    const qsizetype declared = qFromLittleEndian<quint32>(map->constData());
    const qsizetype end = qMin<qsizetype>(map->size(), 4 + declared);
    for (qsizetype at = 4; at + 8 <= end; at += 8) {
        const quint32 contextId = qFromLittleEndian<quint32>(map->constData() + at);
        const quint32 offset = qFromLittleEndian<quint32>(map->constData() + at + 4);
        if (offset >= quint32(strings->size())) {
            qCWarning(lcChmFile) << "Context" << contextId << "in" << m_localPath
                                 << "points past the strings";
            continue;
        }
        qsizetype stop = strings->indexOf('\0', offset);
        if (stop < 0)
            stop = strings->size();
        m_contextTopics.insert(contextId, DecodeText(strings->mid(offset, stop - offset)));
    }
}
