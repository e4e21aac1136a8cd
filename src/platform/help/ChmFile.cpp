#include "platform/help/ChmFile.h"
#include "platform/core/Ansi.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/core/ObjectFactory.h"
#include "platform/help/reader/ChmStream.h"
#include "platform/windows/SystemLanguage.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QStringDecoder>
#include <QtEndian>

namespace {

// A reader that writes nothing for this long is taken to hang.
constexpr int ReaderSilenceMs = 10000;

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

QString NotHelpFile() {
    return SystemLanguage::Pick("it is not a compiled help file", "das ist keine kompilierte Hilfedatei");
}

QString DamagedFile() { return SystemLanguage::Pick("the file is damaged", "die Datei ist beschädigt"); }

// What the reader's exit says, for the user; empty when it read the file.
QString ReaderVerdict(const QProcess& reader) {
    if (reader.exitStatus() == QProcess::CrashExit)
        return DamagedFile();
    switch (reader.exitCode()) {
    case ChmStream::Done: return {};
    case ChmStream::NotHelpFile: return NotHelpFile();
    case ChmStream::Damaged: return DamagedFile();
    case ChmStream::TooLarge: return SystemLanguage::Pick("the file is too large", "die Datei ist zu groß");
    default: return SystemLanguage::Pick("the file cannot be read", "die Datei ist nicht lesbar");
    }
}

// The help reader's output for the file; nullopt with *why when it fails, dies or hangs.
std::optional<QByteArray> RunReader(const QString& localPath, QString* why) {
    const QString program = QDir(ObjectFactory::ComponentDir()).filePath(QStringLiteral("kx4chmread"));
    QProcess reader;
    reader.start(program, {localPath}, QIODevice::ReadOnly);
    if (!reader.waitForStarted()) {
        qCWarning(lcChmFile) << "Cannot start the help reader" << program << "-" << reader.errorString();
        *why = SystemLanguage::Pick("the help reader %1 cannot be started",
                                    "das Hilfe-Leseprogramm %1 startet nicht")
                   .arg(program);
        return std::nullopt;
    }
    QByteArray output;
    const qsizetype limit = qsizetype(ChmStream::MaxTotalBytes) + qsizetype(ChmStream::MaxObjects) * 600 + 16;
    for (;;) {
        if (reader.waitForReadyRead(ReaderSilenceMs)) {
            output += reader.readAllStandardOutput();
            if (output.size() <= limit)
                continue;
        } else if (reader.state() == QProcess::NotRunning) {
            break;
        }
        // Too much, or silent for too long: a damaged file the checks did not catch.
        reader.kill();
        reader.waitForFinished();
        qCInfo(lcChmFile) << "The help reader was stopped on" << localPath;
        *why = DamagedFile();
        return std::nullopt;
    }
    output += reader.readAllStandardOutput();
    *why = ReaderVerdict(reader);
    if (!why->isEmpty()) {
        qCInfo(lcChmFile).noquote() << localPath << reader.readAllStandardError().trimmed();
        return std::nullopt;
    }
    return output;
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
    QString reason;
    const std::optional<QByteArray> output = RunReader(localPath, &reason);
    if (!output)
        return fail(reason);
    return FromReaderOutput(*output, localPath, why);
}

std::unique_ptr<ChmFile> ChmFile::FromReaderOutput(const QByteArray& output, const QString& localPath,
                                                   QString* why) {
    std::unique_ptr<ChmFile> file(new ChmFile(localPath));
    const bool wellFormed = file->TakeObjects(output);
    if (!wellFormed || file->m_objects.isEmpty()) {
        if (why)
            *why = wellFormed ? NotHelpFile() : DamagedFile();
        return nullptr;
    }
    file->ReadSystemFile();
    file->ReadContextMap();
    return file;
}

bool ChmFile::TakeObjects(const QByteArray& output) {
    qsizetype at = 0;
    auto take = [&](qint64 length) -> const char* {
        if (length > output.size() - at)
            return nullptr;
        const char* bytes = output.constData() + at;
        at += qsizetype(length);
        return bytes;
    };
    const char* magic = take(sizeof ChmStream::Magic);
    if (!magic || memcmp(magic, ChmStream::Magic, sizeof ChmStream::Magic) != 0)
        return false;
    for (;;) {
        const char* lengthBytes = take(2);
        if (!lengthBytes)
            return false;
        const quint16 pathLength = qFromLittleEndian<quint16>(lengthBytes);
        if (pathLength == 0)
            return at == output.size();
        const char* path = pathLength <= ChmStream::MaxPathLength ? take(pathLength) : nullptr;
        const char* status = take(1);
        if (!path || !status || m_objects.size() >= qsizetype(ChmStream::MaxObjects))
            return false;
        Object object{QString::fromUtf8(path, pathLength), std::nullopt};
        if (quint8(*status) == ChmStream::Bytes) {
            const char* length = take(4);
            const char* bytes = length ? take(qFromLittleEndian<quint32>(length)) : nullptr;
            if (!bytes)
                return false;
            object.bytes = QByteArray(bytes, qsizetype(qFromLittleEndian<quint32>(length)));
        } else if (quint8(*status) != ChmStream::Unreadable) {
            return false;
        }
        if (!object.path.startsWith(QLatin1Char('/')))
            return false;
        // The first of two objects under one name is the one a look-up finds.
        const QString key = object.path.toLower();
        if (m_byLowerPath.contains(key))
            continue;
        m_byLowerPath.insert(key, m_objects.size());
        m_objects.append(std::move(object));
    }
}

QString ChmFile::Find(const QString& path) const {
    const qsizetype index = m_byLowerPath.value(NormalisedPath(path).toLower(), -1);
    return index < 0 ? QString() : m_objects.at(index).path;
}

std::optional<QByteArray> ChmFile::Read(const QString& path) const {
    const qsizetype index = m_byLowerPath.value(NormalisedPath(path).toLower(), -1);
    if (index < 0)
        return std::nullopt;
    if (!m_objects.at(index).bytes)
        qCInfo(lcChmFile) << "The reader could not read" << m_objects.at(index).path << "from" << m_localPath;
    return m_objects.at(index).bytes;
}

QStringList ChmFile::Paths() const {
    QStringList paths;
    paths.reserve(m_objects.size());
    for (const Object& object : m_objects)
        paths.append(object.path);
    return paths;
}

QString ChmFile::DefaultTopic() const { return ResolveTopic(m_defaultTopic); }

QString ChmFile::ContentsFile() const {
    if (!m_contentsFile.isEmpty() && !Find(m_contentsFile).isEmpty())
        return Find(m_contentsFile);
    // Some compilers leave the record out; the sitemap is then the one .hhc at the top.
    for (const Object& object : m_objects)
        if (object.path.count(QLatin1Char('/')) == 1 &&
            object.path.endsWith(QLatin1String(".hhc"), Qt::CaseInsensitive))
            return object.path;
    return {};
}

QString ChmFile::IndexFile() const { return m_indexFile.isEmpty() ? QString() : Find(m_indexFile); }

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

QString ChmFile::DecodeText(const QByteArray& bytes, int codePage) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    // Western text, and any code page this system has no decoder for, read as Windows-1252.
    if (codePage != 1252) {
        QStringDecoder legacy(codePage == 932   ? "Shift_JIS"
                              : codePage == 936 ? "GBK"
                              : codePage == 949 ? "windows-949"
                              : codePage == 950 ? "Big5"
                                                : qPrintable(QStringLiteral("windows-%1").arg(codePage)));
        if (legacy.isValid())
            return legacy(bytes);
    }
    return FromWindows1252(bytes);
}

QString ChmFile::Html(const QByteArray& bytes) const {
    if (bytes.left(2048).toLower().contains("charset")) {
        QStringDecoder declared = QStringDecoder::decoderForHtml(bytes);
        if (declared.isValid())
            return declared(bytes);
    }
    return Text(bytes);
}

int ChmFile::CodePageOf(quint32 languageId) {
    // Chinese of Taiwan, Hong Kong and Macao is traditional; Serbian in Cyrillic letters.
    if (languageId == 0x0404 || languageId == 0x0c04 || languageId == 0x1404)
        return 950;
    if (languageId == 0x0c1a)
        return 1251;
    static const QHash<quint32, int> byPrimaryLanguage = {
        {0x04, 936},  {0x11, 932},  {0x12, 949},  {0x1e, 874},  {0x2a, 1258}, {0x05, 1250}, {0x0e, 1250},
        {0x15, 1250}, {0x18, 1250}, {0x1a, 1250}, {0x1b, 1250}, {0x1c, 1250}, {0x24, 1250}, {0x02, 1251},
        {0x19, 1251}, {0x22, 1251}, {0x23, 1251}, {0x2f, 1251}, {0x08, 1253}, {0x1f, 1254}, {0x0d, 1255},
        {0x01, 1256}, {0x20, 1256}, {0x29, 1256}, {0x25, 1257}, {0x26, 1257}, {0x27, 1257},
    };
    return byPrimaryLanguage.value(languageId & 0x3ff, 1252);
}

void ChmFile::ReadSystemFile() {
    const std::optional<QByteArray> system = Read(QStringLiteral("/#SYSTEM"));
    if (!system)
        return;
    // A 4-byte version, then records of a 2-byte code, a 2-byte length and that many bytes. The
    // texts are in the code page of the language, which any record may name.
    QHash<quint16, QByteArray> texts;
    const QByteArray& data = *system;
    qsizetype at = 4;
    while (at + 4 <= data.size()) {
        const quint16 code = qFromLittleEndian<quint16>(data.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(data.constData() + at + 2);
        at += 4;
        if (at + length > data.size())
            break;
        if (code == 4 && length >= 4)
            m_codePage = CodePageOf(qFromLittleEndian<quint32>(data.constData() + at));
        QByteArray text = data.mid(at, length);
        const qsizetype end = text.indexOf('\0');
        if (end >= 0)
            text.truncate(end);
        texts.insert(code, text);
        at += length;
    }
    m_contentsFile = Text(texts.value(0));
    m_indexFile = Text(texts.value(1));
    m_defaultTopic = Text(texts.value(2));
    m_title = Text(texts.value(3));
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
        m_contextTopics.insert(contextId, Text(strings->mid(offset, stop - offset)));
    }
}
