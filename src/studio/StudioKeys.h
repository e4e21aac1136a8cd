#pragma once

#include <QString>

// Registry keys the program and the studio share.
namespace StudioKeys {
inline const QString Maker = QStringLiteral("Software\\HALVERN GmbH");
inline const QString Studio = QStringLiteral("Software\\HALVERN GmbH\\Kestrix\\4.0");
inline const QString Projects = QStringLiteral("Software\\HALVERN GmbH\\Kestrix\\4.0\\Projects");
inline const QString ServerComponents =
    QStringLiteral("Software\\HALVERN GmbH\\Kestrix\\4.0\\ServerComponents");
inline const QString Toolbox = QStringLiteral("SOFTWARE\\HALVERN GmbH\\Kestrix\\4.0\\Toolbox");
inline const QString ShellFolders =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
// The system information program: "PATH" under the first, else "MSINFO" under the second.
inline const QString SystemInformation = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString SystemInformationLocation = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
} // namespace StudioKeys
