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
    // After a commit of this process that moved the counter from `from` to `to`: when the
    // cache was valid for `from`, it stays valid for `to` and returns true, so the caller can
    // forget what the change touched; otherwise it empties.
    bool Advance(quint32 from, quint32 to);
    // Forgets the key at its folded path, the subkeys of its ancestors and those of them read
    // as missing: what creating or changing the key may change.
    void ForgetKey(const QString& foldedPath);
    // Forgets every key at or below each folded path and takes them off their parents' subkeys.
    void ForgetTrees(const QStringList& foldedPaths);

    // The cached direct subkeys of the key at its folded path, or null.
    const QStringList* FindSubkeys(const QString& foldedPath) const;
    void StoreSubkeys(const QString& foldedPath, const QStringList& names);
    // How many values the cache holds.
    qsizetype ValueCount() const { return m_valueCount; }
    void Clear();

    static constexpr qsizetype MaxValues = 250000;

private:
    quint32 m_counter = 0;
    bool m_valid = false;
    qsizetype m_valueCount = 0;
    QHash<QString, Key> m_keys;
    QHash<QString, QStringList> m_subkeys;
};
