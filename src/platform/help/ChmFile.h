#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <optional>

struct chmFile;

// One compiled help file, open for reading through chmlib. Paths inside the file are written
// "/folder/page.htm" and compare without regard to case. Closes the file when destroyed.
class ChmFile {
public:
    // Opens the file at localPath; nullptr when that fails, with *why (if given) saying why
    // in words for the user, in the system's language ("the file does not exist", "it is not a
    // compiled help file").
    static std::unique_ptr<ChmFile> Open(const QString& localPath, QString* why = nullptr);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    QString LocalPath() const { return m_localPath; }

    // The path of the object as the file spells it, or empty when the file holds no such object.
    QString Find(const QString& path) const;
    // The object's bytes; nullopt when the file holds no such object or it cannot be read.
    std::optional<QByteArray> Read(const QString& path) const;

    // The title record of the system file; empty when the file has none.
    QString Title() const { return m_title; }
    // The default topic, resolved to a path in the file; empty when there is none.
    QString DefaultTopic() const;
    // The table of contents (a sitemap); empty when the file has none.
    QString ContentsFile() const;

    // The topic that the file's map gives for a context number, exactly as the compiler wrote
    // it; nullopt when the map lacks the number (or the file has no map).
    std::optional<QString> ContextTopic(quint32 contextId) const;

    // A topic as a compiler or an author writes it ("sub\page.htm", "/build/dir/sub/page.htm",
    // "File.chm::/sub/page.htm#part") to "/sub/page.htm#part"; leading folders that the file
    // does not hold are dropped until a path matches. Empty when nothing matches.
    QString ResolveTopic(const QString& written) const;

    // Text stored by the help compiler (titles, names): UTF-8 when it is valid, else the
    // Western code page.
    static QString DecodeText(const QByteArray& bytes);

private:
    ChmFile(chmFile* handle, const QString& localPath);
    void ReadSystemFile();
    void ReadContextMap();

    chmFile* m_handle = nullptr;
    QString m_localPath;
    QHash<QString, QString> m_objects; // lower-case path -> path as stored
    QString m_title;
    QString m_defaultTopic;
    QString m_contentsFile;
    QHash<quint32, QString> m_contextTopics;
};
