#include "platform/registry/HiveReadCache.h"

#include <QSet>

namespace {

// The folded path of the key above, "" for a top-level key.
QString Parent(const QString& path) {
    const qsizetype cut = path.lastIndexOf(u'\\');
    return cut < 0 ? QString() : path.left(cut);
}

} // namespace

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

const QStringList* HiveReadCache::FindSubkeys(const QString& foldedPath) const {
    const auto it = m_subkeys.constFind(foldedPath);
    return it == m_subkeys.cend() ? nullptr : &*it;
}

void HiveReadCache::StoreSubkeys(const QString& foldedPath, const QStringList& names) {
    m_subkeys.insert(foldedPath, names);
}

bool HiveReadCache::Advance(quint32 from, quint32 to) {
    // A commit moves the counter by one (none when it changed nothing); more means another writer.
    if (!m_valid || m_counter != from || (to != from && to != from + 1)) {
        Clear();
        return false;
    }
    m_counter = to;
    return true;
}

void HiveReadCache::ForgetKey(const QString& foldedPath) {
    auto forget = [&](const QString& path, bool onlyMissing) {
        const auto it = m_keys.find(path);
        if (it != m_keys.end() && (!onlyMissing || !it->exists)) {
            m_valueCount -= it->values.size();
            m_keys.erase(it);
        }
    };
    forget(foldedPath, false);
    m_subkeys.remove(foldedPath);
    for (QString path = foldedPath; !path.isEmpty();) {
        path = Parent(path);
        forget(path, true);
        m_subkeys.remove(path);
    }
}

void HiveReadCache::ForgetTrees(const QStringList& foldedPaths) {
    const QSet<QString> gone(foldedPaths.cbegin(), foldedPaths.cend());
    if (gone.contains(QString())) {
        Clear();
        return;
    }
    auto isGone = [&](QString path) {
        for (; !path.isEmpty(); path = Parent(path))
            if (gone.contains(path))
                return true;
        return false;
    };
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (isGone(it.key())) {
            m_valueCount -= it->values.size();
            it = m_keys.erase(it);
        } else {
            ++it;
        }
    }
    m_subkeys.removeIf([&](const auto& entry) { return isGone(entry.key()); });
    // The parents list what is left, in their order.
    QHash<QString, QSet<QString>> removed; // parent -> folded names gone
    for (const QString& path : gone)
        removed[Parent(path)].insert(path.mid(path.lastIndexOf(u'\\') + 1));
    for (auto it = removed.cbegin(); it != removed.cend(); ++it) {
        const auto list = m_subkeys.find(it.key());
        if (list != m_subkeys.end())
            list->removeIf([&](const QString& name) { return it->contains(name.toCaseFolded()); });
    }
}

void HiveReadCache::Clear() {
    m_keys.clear();
    m_subkeys.clear();
    m_valueCount = 0;
    m_valid = false;
}
