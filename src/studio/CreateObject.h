#pragma once

#include "platform/core/ObjectFactory.h"

#include <QString>

// Creates the object registered under progId (HKEY_CLASSES_ROOT\<progId>\InprocServer32).
// Never returns null: throws Failure 429 "cannot create object "<progId>": <reason>" when the
// identifier is not registered, its plugin file is missing or not a plugin, or it has no such class.
ObjectRef CreateObject(const QString& progId);
