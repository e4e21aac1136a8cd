#pragma once

#include "platform/registry/Registry.h"
#include "studio/IStudioUtilities.h"

#include "common/TestSupport.h"

#include <QDir>

// A temporary prefix with a projects folder beside it, and helpers that register projects the
// way the studio does. Each test function makes its own.
class SeededPrefix : public TestSupport::TempPrefix {
public:
    SeededPrefix() { QDir().mkpath(ProjectsFolder()); }

    QString ProjectsFolder() const { return Work() + "/projects"; }

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
        QFile file(ProjectsFolder() + '/' + name + '.' + fileExtension);
        QVERIFY(fileExtension.isEmpty() || file.open(QIODevice::WriteOnly));
    }
    // A listed project in the projects folder with its file.
    void RegisterPresent(const QString& name, const QString& type) {
        Register(name, type, ProjectsFolder(), "kxs");
    }

    // Replaces a value of a registration by binary data, which has no text form.
    void SetBinary(const QString& name, const QString& valueName) {
        const RegValue binary{valueName, REG_BINARY, QByteArray("\x01\x02", 2)};
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + '\\' + name, binary),
                 long(ERROR_SUCCESS));
    }

    static QStringList Registrations() {
        QStringList names;
        RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects, &names);
        return names;
    }

    static bool SetMachineHiveWritable(bool writable) {
        return QFile::setPermissions(RegistryStore::HiveFilePath(HKEY_LOCAL_MACHINE),
                                     writable ? QFile::ReadOwner | QFile::WriteOwner : QFile::ReadOwner);
    }
};
