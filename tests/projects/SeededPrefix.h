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

    // A registration; a null type or path leaves that value out. fileExtension ("kxs", "vbg"
    // or "") names the project file created in the projects folder.
    void Register(const QString& name, const QString& type, const QString& path,
                  const QString& fileExtension) {
        QCOMPARE(RegistryStore::CreateKey(HKEY_LOCAL_MACHINE, Key(name)), long(ERROR_SUCCESS));
        if (!type.isNull())
            Set(name, RegValue::String("ProjectType", type));
        if (!path.isNull())
            Set(name, RegValue::String("Path", path));
        QFile file(ProjectsFolder() + '/' + name + '.' + fileExtension);
        QVERIFY(fileExtension.isEmpty() || file.open(QIODevice::WriteOnly));
    }
    void RegisterPresent(const QString& name, const QString& type) {
        Register(name, type, ProjectsFolder(), "kxs");
    }
    // Replaces a value of a registration by binary data, which has no text form.
    void SetBinary(const QString& name, const QString& valueName) {
        Set(name, RegValue{valueName, REG_BINARY, QByteArray("\x01\x02", 2)});
    }

    static QStringList Registrations() {
        QStringList names;
        RegistryStore::EnumKeys(HKEY_LOCAL_MACHINE, StudioKeys::Projects, &names);
        return names;
    }

private:
    static QString Key(const QString& name) { return StudioKeys::Projects + '\\' + name; }
    static void Set(const QString& name, const RegValue& value) {
        QCOMPARE(RegistryStore::SetValue(HKEY_LOCAL_MACHINE, Key(name), value), long(ERROR_SUCCESS));
    }
};
