#pragma once

#include "platform/registry/Registry.h"

#include <QHash>
#include <QList>
#include <QString>

// What was last read of a hive's keys, valid while the hive file's change counter stays the
// same. SQLite bumps that counter on every commit in rollback-journal mode, from any process,
// so one read of it tells whether anything changed; a warm read then costs no locking at all.
class HiveReadCache {
public:
    struct Key {
        bool exists = false;
        QList<RegValue> values;          // in creation order
        QHash<QString, qsizetype> index; // folded name -> position in values
    };

    // Forgets everything unless counter is the one the cache was filled under.
    void Validate(quint32 counter);
    // The cached key at its folded path, or null.
    const Key* Find(const QString& foldedPath) const;
    // Stores a key read under the validated counter; the cache empties itself past its limit.
    const Key* Store(const QString& foldedPath, bool exists, QList<RegValue> values);
    void Clear();

    static constexpr qsizetype MaxValues = 250000;

private:
    quint32 m_counter = 0;
    bool m_valid = false;
    qsizetype m_valueCount = 0;
    QHash<QString, Key> m_keys;
};
