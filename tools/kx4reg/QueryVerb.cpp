#include "kx4reg/RegQueryPrinter.h"
#include "kx4reg/Verbs.h"
#include "platform/registry/RegistryBatch.h"

namespace Kx4RegCommands {

namespace {

// One query's reading and its text, printed only when all of it could be read: a damaged hive
// must not look smaller.
class QueryRun {
public:
    QueryRun(RegistryBatch& batch, const Command& cmd) : m_batch(batch), m_cmd(cmd) {}

    // The key's values (only the one asked for with /v or /ve).
    long Values(const QString& path, QList<RegValue>* values) {
        const long rc = m_batch.EnumValues(m_cmd.root, path, values);
        if (m_cmd.sw.valueName)
            values->removeIf([&](const RegValue& v) {
                return v.name.compare(*m_cmd.sw.valueName, Qt::CaseInsensitive) != 0;
            });
        return rc;
    }

    // The key's name, then its values.
    void AddKey(const QString& path, const QList<RegValue>& values) {
        m_text += FullName(m_cmd.root, path) + u'\n';
        for (const RegValue& value : values)
            m_text += RegQueryPrinter::ValueLine(value) + u'\n';
    }

    // The key and its direct subkeys, as reg prints them without /s.
    long One() {
        QList<RegValue> values;
        if (const long rc = Values(m_cmd.path, &values); rc != ERROR_SUCCESS)
            return rc;
        if (m_cmd.sw.valueName && values.isEmpty()) {
            if (!m_cmd.sw.valueName->isEmpty())
                return ERROR_FILE_NOT_FOUND;
            // The default value always shows, as reg shows it.
            m_text += FullName(m_cmd.root, m_cmd.path) +
                      QStringLiteral("\n    (Default)    REG_SZ    (value not set)\n\n");
            return ERROR_SUCCESS;
        }
        if (!values.isEmpty()) {
            AddKey(m_cmd.path, values);
            m_text += u'\n';
        }
        if (m_cmd.sw.valueName)
            return ERROR_SUCCESS;
        QStringList subkeys;
        if (const long rc = m_batch.EnumKeys(m_cmd.root, m_cmd.path, &subkeys); rc != ERROR_SUCCESS)
            return rc;
        for (const QString& subkey : std::as_const(subkeys))
            m_text += FullName(m_cmd.root, Child(m_cmd.path, subkey)) + u'\n';
        return ERROR_SUCCESS;
    }

    // The key and every key below it (/s), laid out as reg lays them out: a key below the one
    // asked for shows with a blank line after it even without values, the key asked for only
    // with values; with /v or /ve, only keys holding the value show.
    long Tree(const QString& path, bool top) {
        QList<RegValue> values;
        if (const long rc = Values(path, &values); rc != ERROR_SUCCESS)
            return rc;
        if (!values.isEmpty() || (!top && !m_cmd.sw.valueName)) {
            AddKey(path, values);
            m_text += u'\n';
        }
        m_matches += int(values.size());
        QStringList subkeys;
        if (const long rc = m_batch.EnumKeys(m_cmd.root, path, &subkeys); rc != ERROR_SUCCESS)
            return rc;
        for (const QString& subkey : std::as_const(subkeys))
            if (const long rc = Tree(Child(path, subkey), false); rc != ERROR_SUCCESS)
                return rc;
        return ERROR_SUCCESS;
    }

    QString Text() const {
        return m_cmd.sw.recurse && m_cmd.sw.valueName
                   ? m_text + QStringLiteral("End of search: %1 match(es) found.\n").arg(m_matches)
                   : m_text;
    }

private:
    static QString Child(const QString& path, const QString& name) {
        return path.isEmpty() ? name : path + u'\\' + name;
    }

    RegistryBatch& m_batch;
    const Command& m_cmd;
    QString m_text = QStringLiteral("\n");
    int m_matches = 0;
};

} // namespace

int Query(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("query"), args, {"v", "ve", "s"}, 1, true, &cmd))
        return *status;
    RegistryBatch batch; // one consistent view over the whole walk
    long rc = batch.BeginRead(cmd.root != HKEY_CURRENT_USER, cmd.root == HKEY_CURRENT_USER);
    if (rc == ERROR_SUCCESS)
        rc = batch.OpenKey(cmd.root, cmd.path);
    QueryRun run(batch, cmd);
    if (rc == ERROR_SUCCESS)
        rc = cmd.sw.recurse ? run.Tree(cmd.path, true) : run.One();
    if (rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    io.out << run.Text() << Qt::flush;
    return 0;
}

} // namespace Kx4RegCommands
