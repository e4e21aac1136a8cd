#pragma once

#include <QString>

// The resolved installation and user folders of the studio, one record per process.
struct InstallSettingsRecord {
    qint32 LCID = 0;
    QString Path;
    QString MainDir;
    QString Common;
    QString Version;
    QString DefaultProjectsPath;
    QString TemplatesPath;
    bool operator==(const InstallSettingsRecord&) const = default;
};

namespace MKX4Functions {

// The process-wide record; empty until ReadInstallSettings runs.
InstallSettingsRecord& InstallSettings();

// Fills InstallSettings from the registry. False (after a stop message box) when no
// installation folder is registered or it does not exist. Failures of the utility library
// before the user folders are read reach the caller; later ones are ignored.
bool ReadInstallSettings();

} // namespace MKX4Functions
