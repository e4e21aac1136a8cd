#pragma once

#include "studio/IStudioUtilities.h"

class RegistryService : public IRegistryService {
public:
    QVariant GetValue(HKEY root, const QString& key, const QString& valueName,
                      const QVariant& defaultValue) override;
    void SetValue(HKEY root, const QString& key, const QVariant& valueName, const QVariant& value,
                  int valueKind) override;
    QStringList EnumKeys(HKEY root, const QString& key) override;
    void DeleteKey(HKEY root, const QString& key) override;
    void DeleteKeys(HKEY root, const QString& parent, const QStringList& subkeys) override;
};
