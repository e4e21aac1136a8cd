#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// A temporary prefix in place of the machine's state, for tests of every layer.
namespace TestSupport {

// A temporary folder as $KX4_PREFIX while it lives (the prefix is its "prefix" subfolder, made
// on first use by the store). On destruction the variable gets its earlier value back, but only
// while it still names this prefix: replacing one TempPrefix by another must not leave the tests
// on the user's own prefix.
class TempPrefix {
public:
    TempPrefix() : m_earlier(qgetenv("KX4_PREFIX")), m_hadEarlier(qEnvironmentVariableIsSet("KX4_PREFIX")) {
        qputenv("KX4_PREFIX", QFile::encodeName(Path()));
    }
    ~TempPrefix() {
        if (qgetenv("KX4_PREFIX") != QFile::encodeName(Path()))
            return;
        if (m_hadEarlier)
            qputenv("KX4_PREFIX", m_earlier);
        else
            qunsetenv("KX4_PREFIX");
    }
    TempPrefix(const TempPrefix&) = delete;
    TempPrefix& operator=(const TempPrefix&) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    // The prefix folder itself.
    QString Path() const { return m_dir.path() + QStringLiteral("/prefix"); }
    // A folder beside the prefix for the test's own files (projects, scripts).
    QString Work() const { return m_dir.path(); }
    // The environment for a program started by the test: this prefix, the offscreen platform,
    // and no display.
    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KX4_PREFIX"), Path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return environment;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_earlier;
    bool m_hadEarlier;
};

// Writes data to path, making its folder.
inline bool WriteFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
           file.write(data) == data.size();
}

// The file's bytes, none when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// The non-empty lines of a UTF-8 file (a recorder's log), none when it cannot be read.
inline QStringList ReadLines(const QString& path) {
    return QString::fromUtf8(ReadFile(path)).split('\n', Qt::SkipEmptyParts);
}
} // namespace TestSupport
