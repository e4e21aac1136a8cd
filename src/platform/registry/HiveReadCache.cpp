#include "platform/registry/HiveReadCache.h"

void HiveReadCache::Validate(quint32 counter) {
    if (m_valid && counter == m_counter)
        return;
    Clear();
    m_counter = counter;
    m_valid = true;
}

const HiveReadCache::Key* HiveReadCache::Find(const QString& foldedPath) const {
    const auto it = m_keys.constFind(foldedPath);
    return it == m_keys.cend() ? nullptr : &*it;
}

const HiveReadCache::Key* HiveReadCache::Store(const QString& foldedPath, bool exists,
                                               QList<RegValue> values) {
    if (m_valueCount + values.size() > MaxValues) {
        const quint32 counter = m_counter;
        Clear();
        Validate(counter);
    }
    Key key;
    key.exists = exists;
    for (qsizetype i = 0; i < values.size(); ++i)
        key.index.insert(values.at(i).name.toCaseFolded(), i);
    m_valueCount += values.size();
    key.values = std::move(values);
    return &*m_keys.insert(foldedPath, std::move(key));
}

void HiveReadCache::Clear() {
    m_keys.clear();
    m_valueCount = 0;
    m_valid = false;
}
