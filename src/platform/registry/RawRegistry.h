#pragma once

#include "platform/registry/Registry.h"

// The platform's raw registry reads in their ANSI form, over RegistryStore. An opened key is a
// handle from a table of this process (never one of the predefined roots); names and string
// data pass through the ANSI code page (Ansi.h). Return values are RegError codes.

inline constexpr quint32 KEY_QUERY_VALUE = 0x0001;
inline constexpr quint32 KEY_SET_VALUE = 0x0002;
inline constexpr quint32 KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr quint32 KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr quint32 KEY_NOTIFY = 0x0010;
inline constexpr quint32 KEY_CREATE_LINK = 0x0020;
inline constexpr quint32 KEY_WOW64_64KEY = 0x0100;
inline constexpr quint32 KEY_WOW64_32KEY = 0x0200;
inline constexpr quint32 DELETE_ACCESS = 0x00010000;
inline constexpr quint32 READ_CONTROL = 0x00020000;
inline constexpr quint32 WRITE_DAC = 0x00040000;
inline constexpr quint32 WRITE_OWNER = 0x00080000;
inline constexpr quint32 GENERIC_ALL = 0x10000000;
inline constexpr quint32 GENERIC_WRITE = 0x40000000;
inline constexpr quint32 KEY_READ = 0x00020019;
inline constexpr quint32 KEY_WRITE = 0x00020006;
inline constexpr quint32 KEY_ALL_ACCESS = 0x000F003F;
// The access bits that ask to change something; on a read-only hive they give ERROR_ACCESS_DENIED.
inline constexpr quint32 KEY_WRITE_BITS = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK |
                                          DELETE_ACCESS | WRITE_DAC | WRITE_OWNER | GENERIC_ALL |
                                          GENERIC_WRITE;

// Opens subKey below root (a predefined root or an open handle); a null or empty subKey opens
// root itself again. *result is 0 unless the call succeeds. ERROR_FILE_NOT_FOUND for a missing
// key, ERROR_ACCESS_DENIED for write access to a read-only hive, ERROR_INVALID_HANDLE for an
// unknown root, ERROR_INVALID_PARAMETER for a null result or a bad path.
long RegOpenKeyExA(HKEY root, const char* subKey, quint32 options, quint32 samDesired, HKEY* result);

// Reads a value (null or "" is the default value). reserved must be null. With data null the
// call only reports *type and the size in *dataSize. A string value (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) comes out in the ANSI code page, its terminator kept if it had one. A buffer too
// small gives ERROR_MORE_DATA with *dataSize set to the size needed.
long RegQueryValueExA(HKEY key, const char* valueName, quint32* reserved, quint32* type, unsigned char* data,
                      quint32* dataSize);

// Closes an open handle; a predefined root is accepted and left alone.
long RegCloseKey(HKEY key);
