#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// One compiled help file, read whole into memory. Paths inside the file are written
// "/folder/page.htm" and compare without regard to case.
//
// The file is read by the help reader (kx4chmread, in the component folder) in a process of its
// own: chmlib trusts what the file says, and a damaged file that makes it fail ends only the
// reader, which Open() reports as a damaged file.
class ChmFile {
public:
    // Opens the file at localPath; nullptr when that fails, with *why (if given) saying why
    // in words for the user, in the system's language ("the file does not exist", "it is not a
    // compiled help file", "the file is damaged").
    static std::unique_ptr<ChmFile> Open(const QString& localPath, QString* why = nullptr);
    // The help reader's output for the file at localPath (its form in reader/ChmStream.h);
    // nullptr, with *why, when the output is not well formed or holds no object.
    static std::unique_ptr<ChmFile> FromReaderOutput(const QByteArray& output, const QString& localPath,
                                                     QString* why = nullptr);
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    QString LocalPath() const { return m_localPath; }

    // The path of the object as the file spells it, or empty when the file holds no such object.
    QString Find(const QString& path) const;
    // The object's bytes; nullopt when the file holds no such object or it cannot be read.
    std::optional<QByteArray> Read(const QString& path) const;
    // The path of every object, as the file spells it and in the file's order.
    QStringList Paths() const;

    // The title record of the system file; empty when the file has none.
    QString Title() const { return m_title; }
    // The default topic, resolved to a path in the file; empty when there is none.
    QString DefaultTopic() const;
    // The table of contents (a sitemap); empty when the file has none.
    QString ContentsFile() const;
    // The keyword index (a sitemap) that the system file names; empty when it names none or the
    // file does not hold it.
    QString IndexFile() const;
    // The Windows code page of the language the system file names; 1252 when it names none.
    int CodePage() const { return m_codePage; }

    // The topic that the file's map gives for a context number, exactly as the compiler wrote
    // it; nullopt when the map lacks the number (or the file has no map).
    std::optional<QString> ContextTopic(quint32 contextId) const;

    // A topic as a compiler or an author writes it ("sub\page.htm", "/build/dir/sub/page.htm",
    // "File.chm::/sub/page.htm#part") to "/sub/page.htm#part"; leading folders that the file
    // does not hold are dropped until a path matches. Empty when nothing matches.
    QString ResolveTopic(const QString& written) const;

    // Text stored by the help compiler (titles, names, pages that declare no charset): UTF-8 when
    // it is valid, else the file's code page.
    QString Text(const QByteArray& bytes) const { return DecodeText(bytes, m_codePage); }
    // A page or sitemap: in the charset it declares, else as Text().
    QString Html(const QByteArray& bytes) const;
    // UTF-8 when the bytes are valid UTF-8, else the Windows code page codePage.
    static QString DecodeText(const QByteArray& bytes, int codePage = 1252);
    // The Windows code page of a Windows language identifier (0x0407: 1252, 0x0419: 1251).
    static int CodePageOf(quint32 languageId);

private:
    struct Object {
        QString path;
        std::optional<QByteArray> bytes; // nullopt: the reader could not read it
    };

    explicit ChmFile(const QString& localPath) : m_localPath(localPath) {}
    bool TakeObjects(const QByteArray& output);
    void ReadSystemFile();
    void ReadContextMap();

    QString m_localPath;
    QList<Object> m_objects;
    QHash<QString, qsizetype> m_byLowerPath;
    QString m_title;
    QString m_defaultTopic;
    QString m_contentsFile;
    QString m_indexFile;
    int m_codePage = 1252;
    QHash<quint32, QString> m_contextTopics;
};
