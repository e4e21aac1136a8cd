#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/registry/Registry.h"
#include "studio/StudioKeys.h"

// The studio's utility library: all registry, folder and file access of the program goes
// through it. Operations throw Failure when they fail.

class IRegistryService {
public:
    virtual ~IRegistryService() = default;
    // The value as a tagged value: REG_SZ/REG_EXPAND_SZ as text, REG_DWORD as a 32-bit integer.
    // A missing key or value gives defaultValue; a Missing default gives the empty text.
    virtual QVariant GetValue(HKEY root, const QString& key, const QString& valueName,
                              const QVariant& defaultValue) = 0;
    // valueKind 1 writes a string value (REG_SZ), 4 a DWORD. Fails (5) on a read-only hive.
    virtual void SetValue(HKEY root, const QString& key, const QVariant& valueName, const QVariant& value,
                          int valueKind) = 0;
    // Names of the direct subkeys in the store's order; an absent key gives none.
    virtual QStringList EnumKeys(HKEY root, const QString& key) = 0;
    // Removes the key with its subtree; fails (access denied 5, naming the key) on a read-only hive.
    virtual void DeleteKey(HKEY root, const QString& key) = 0;
    // Removes the named subkeys of parent with their subtrees as one change (all or none); a
    // name that is gone already is passed over. Fails like DeleteKey, naming the keys.
    virtual void DeleteKeys(HKEY root, const QString& parent, const QStringList& subkeys) = 0;
};

class IFoldersService {
public:
    virtual ~IFoldersService() = default;
    // Creates every missing level; succeeds when the folder exists afterwards.
    virtual void CreateFolder(const QString& path) = 0;
    virtual bool FolderExists(const QString& path) = 0;
};

class IFilesService {
public:
    virtual ~IFilesService() = default;
    // A ".kxs" path (any case) to that file's full local path; a registered project's name to
    // its registration's Path + "\" + name + ".kxs", mapped the same way. Unknown names fail.
    virtual QString GetProjectPath(const QString& path) = 0;
    virtual bool FileExists(const QString& path) = 0;
};

class IStudioUtilities {
public:
    virtual ~IStudioUtilities() = default;
    virtual IFoldersService& Folders() = 0;
    virtual IFilesService& Files() = 0;
    virtual IRegistryService& Registry() = 0;
};

// The one global object, created on first use. Defined by the utility library, which the
// program links; the program sees only this contract.
IStudioUtilities& StudioUtilities();

// The studio's locale id: "LCID" under HKEY_LOCAL_MACHINE\<StudioKeys::Studio>, read through
// the Registry service and converted as the platform converts to a 32-bit integer, so "1033",
// "1033.4" and "&H409" all give 1033; 1031 when it is missing. Throws Failure (13) for a value
// that is no number. Defined by the utility library: the program and the studio's components
// read the language so and no other way.
qint32 StudioLcid();
inline constexpr qint32 GermanLcid = 1031;
inline constexpr qint32 EnglishLcid = 1033;
