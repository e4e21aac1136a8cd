// Shows the project-open dialog over a few registrations in a temporary prefix, for a look
// or a screenshot: show_FProjectOpen [LCID [seconds]]. Ends by itself after the given time.
#include "platform/registry/Registry.h"
#include "projects/FProjectOpen.h"
#include "studio/IStudioUtilities.h"
#include "texts/MResources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const quint32 lcid = argc > 1 ? QString(argv[1]).toUInt() : 1031;
    const int seconds = argc > 2 ? QString(argv[2]).toInt() : 5;

    QTemporaryDir dir;
    qputenv("KX4_PREFIX", QFile::encodeName(dir.path() + "/prefix"));
    RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Studio, RegValue::Dword("LCID", lcid));
    const struct {
        const char* name;
        const char* type;
        const char* path;
    } projects[] = {
        {"Kläranlage Nord", "Single", "C:\\Projekte\\Klaeranlage"},
        {"Leitstand", "Server", "C:\\Projekte\\Leitstand"},
        {"Leitstand Client", "Client", "C:\\Projekte\\Leitstand"},
        {"Pumpwerk 3", "Terminal Server", "D:\\Anlagen\\Pumpwerk3"},
        {"Wasserwerk", "Terminal Client", "D:\\Anlagen\\Wasserwerk"},
        {"Alle Anlagen", "Group", "D:\\Anlagen"},
    };
    for (const auto& project : projects) {
        // Each project's folder lives on drive C: or D: of the prefix.
        const QString path = QString::fromUtf8(project.path);
        const QString drive = dir.path() + "/prefix/drives/" + path.left(1).toLower();
        const QString folder = drive + '/' + path.mid(3).replace('\\', '/');
        QDir().mkpath(folder);
        const bool group = QByteArray(project.type) == "Group";
        QFile(folder + '/' + QString::fromUtf8(project.name) + (group ? ".vbg" : ".kxs"))
            .open(QIODevice::WriteOnly);
        const QString key = StudioKeys::Projects + '\\' + QString::fromUtf8(project.name);
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("ProjectType", project.type));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, key, RegValue::String("Path", path));
    }

    // A registration whose "Path" is binary data: passed over, named in the status line.
    RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Altanlage",
                            RegValue{"Path", REG_BINARY, QByteArray("\x43\x3a", 2)});

    MResources::InitLanguage();
    FProjectOpen& dialog = FProjectOpen::Instance();
    QTimer::singleShot(seconds * 1000, &dialog, [&dialog] { dialog.reject(); });
    QTextStream(stdout) << "chosen: \"" << dialog.ShowDialog("Leitstand", false) << "\"\n";
    return 0;
}
