#pragma once

#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A temporary prefix as KX4_PREFIX, with a projects folder and helpers that register projects
// the way the studio does. Each test function makes its own.
class SeededPrefix {
public:
    SeededPrefix() {
        qputenv("KX4_PREFIX", QFile::encodeName(m_dir.path() + "/prefix"));
        QDir().mkpath(ProjectsFolder());
    }
    ~SeededPrefix() { qunsetenv("KX4_PREFIX"); }
    SeededPrefix(const SeededPrefix&) = delete;
    SeededPrefix& operator=(const SeededPrefix&) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    QString ProjectsFolder() const { return m_dir.path() + "/projects"; }

    // A registration; an empty type or path leaves that value out. fileExtension ("kxs", "vbg"
    // or "") names the project file created in the projects folder.
    void Register(const QString& name, const QString& type, const QString& path,
                  const QString& fileExtension) {
        const QString key = StudioKeys::Projects + '\\' + name;
        QCOMPARE(RegistryStore::CreateKey(HKEY_LOCAL_MACHINE, key), long(ERROR_SUCCESS));
        if (!type.isNull())
            QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("ProjectType", type)),
                     long(ERROR_SUCCESS));
        if (!path.isNull())
            QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("Path", path)),
                     long(ERROR_SUCCESS));
        if (!fileExtension.isEmpty()) {
            QFile file(ProjectsFolder() + '/' + name + '.' + fileExtension);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }

    // Replaces a value of a registration by binary data, which has no text form.
    void SetBinary(const QString& name, const QString& valueName) {
        const RegValue binary{valueName, REG_BINARY, QByteArray("\x01\x02", 2)};
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + '\\' + name, binary),
                 long(ERROR_SUCCESS));
    }

    // A listed project in the projects folder with its file.
    void RegisterPresent(const QString& name, const QString& type) {
        Register(name, type, ProjectsFolder(), "kxs");
    }

    void SetLcid(quint32 lcid) {
        QCOMPARE(
            RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", lcid)),
            long(ERROR_SUCCESS));
    }

    static QStringList Registrations() {
        QStringList names;
        RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects, &names);
        return names;
    }

    static bool SetMachineHiveWritable(bool writable) {
        const QString file = RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE);
        return QFile::setPermissions(file,
                                     writable ? QFile::ReadOwner | QFile::WriteOwner : QFile::ReadOwner);
    }

private:
    QTemporaryDir m_dir;
};
