#include "kx4reg/Kx4Reg.h"

#include "kx4reg/RegQueryPrinter.h"
#include "platform/registry/RegErrorText.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryBatch.h"

#include <QFileInfo>
#include <QtEndian>

#include <functional>
#include <optional>

namespace {

const QString NotFound = QStringLiteral("The system was unable to find the specified registry key or value.");
const QString Done = QStringLiteral("The operation completed successfully.");

struct Io {
    QTextStream& out;
    QTextStream& err;
    QTextStream* answers;

    int Fail(const QString& why) {
        err << "ERROR: " << why << Qt::endl;
        return 1;
    }
    int Syntax(const QString& verb, const QString& why) {
        return Fail(QStringLiteral("Invalid syntax: %1. Type \"kx4reg %2 /?\" for usage.").arg(why, verb));
    }
    // Asks a yes/no question; without a person to answer, fails naming the switch that skips it.
    // Returns 0 to go on, else the exit status.
    int Confirm(const QString& question, const QString& skipSwitch) {
        if (!answers)
            return Fail(
                QStringLiteral("%1 Not asked, because standard input is not a terminal; add %2 to go on "
                               "without asking.")
                    .arg(question, skipSwitch));
        out << (question.endsWith(u'?') ? question.chopped(1) : question) << " (Yes/No)? " << Qt::flush;
        const QString answer = answers->readLine().trimmed();
        if (answer.compare(QStringLiteral("y"), Qt::CaseInsensitive) == 0 ||
            answer.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0)
            return 0;
        out << "The operation was cancelled." << Qt::endl;
        return 1;
    }
};

// The parsed switches of one command line.
struct Switches {
    QStringList positional;
    std::optional<QString> valueName; // /v NAME, or "" for /ve
    bool allValues = false;           // /va
    bool recurse = false;             // /s (query)
    bool force = false;               // /f or /y
    bool regedit4 = false;            // /regedit4 (export)
    bool help = false;
    std::optional<QString> type;      // /t
    std::optional<QString> separator; // /s (add)
    std::optional<QString> data;      // /d
};

// Only the switch names kx4reg knows count as switches, so "/tmp/x.reg" stays a file name.
bool IsSwitch(const QString& arg) {
    static const QStringList known{"v", "ve", "va", "s", "f", "y", "t", "d", "regedit4", "?"};
    return arg.size() > 1 && (arg.startsWith(u'/') || arg.startsWith(u'-')) &&
           known.contains(arg.mid(1).toLower());
}

// Parses args for verb; allowed lists the switches the verb takes. Empty result on success.
QString ParseSwitches(const QString& verb, const QStringList& args, const QStringList& allowed,
                      Switches* sw) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!IsSwitch(arg)) {
            sw->positional << arg;
            continue;
        }
        const QString name = arg.mid(1).toLower();
        if (name == u"?") {
            sw->help = true;
            continue;
        }
        if (!allowed.contains(name))
            return QStringLiteral("%1 is not a switch of %2").arg(arg, verb);
        auto takeArgument = [&](std::optional<QString>* slot) -> QString {
            if (slot->has_value())
                return QStringLiteral("%1 given twice").arg(arg);
            if (i + 1 >= args.size())
                return QStringLiteral("%1 needs a value").arg(arg);
            *slot = args.at(++i);
            return QString();
        };
        QString problem;
        if (name == u"v") {
            if (sw->valueName || sw->allValues)
                return QStringLiteral("give only one of /v, /ve and /va");
            problem = takeArgument(&sw->valueName);
        } else if (name == u"ve" || name == u"va") {
            if (sw->valueName || sw->allValues)
                return QStringLiteral("give only one of /v, /ve and /va");
            if (name == u"ve")
                sw->valueName = QString();
            else
                sw->allValues = true;
        } else if (name == u"s" && verb == u"add") {
            problem = takeArgument(&sw->separator);
        } else if (name == u"s") {
            sw->recurse = true;
        } else if (name == u"f" || name == u"y") {
            sw->force = true;
        } else if (name == u"regedit4") {
            sw->regedit4 = true;
        } else if (name == u"t") {
            problem = takeArgument(&sw->type);
        } else if (name == u"d") {
            problem = takeArgument(&sw->data);
        }
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

// "HKLM\Software\X" into its root and path; false when the root is unknown.
bool ParseKey(const QString& text, HKEY* root, QString* path) {
    const QString rootName = text.section(u'\\', 0, 0);
    *path = text.section(u'\\', 1);
    while (path->endsWith(u'\\'))
        path->chop(1);
    return RegistryStore::ParseRoot(rootName, root);
}

QString FullName(HKEY root, const QString& path) {
    return path.isEmpty() ? RegistryStore::RootName(root) : RegistryStore::RootName(root) + u'\\' + path;
}

QString Why(long rc, HKEY root) {
    if (rc == ERROR_FILE_NOT_FOUND)
        return NotFound;
    const QString words = RegistryStore::Describe(rc, root);
    return words.left(1).toUpper() + words.mid(1) + u'.';
}

int Usage(Io& io, const QString& verb) {
    static const QHash<QString, QString> usage{
        {QStringLiteral("query"), QStringLiteral("kx4reg query KEY [/v NAME | /ve] [/s]")},
        {QStringLiteral("add"),
         QStringLiteral("kx4reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEP] [/d DATA] [/f]")},
        {QStringLiteral("delete"), QStringLiteral("kx4reg delete KEY [/v NAME | /ve | /va] [/f]")},
        {QStringLiteral("import"), QStringLiteral("kx4reg import FILE")},
        {QStringLiteral("export"), QStringLiteral("kx4reg export KEY FILE [/y] [/regedit4]")},
        {QStringLiteral("check"), QStringLiteral("kx4reg check [ROOT]")},
    };
    if (usage.contains(verb)) {
        io.out << usage.value(verb)
               << "\n\n  KEY  ROOT\\SubKey, ROOT one of HKLM, HKCU, HKCR (or their long names)" << Qt::endl;
        return 0;
    }
    io.out << "kx4reg query | add | delete | import | export | check ...\n"
              "The registry of the prefix $KX4_PREFIX. Type \"kx4reg VERB /?\" for the switches of a verb."
           << Qt::endl;
    return 0;
}

// Runs the common checks of a verb: switches, help, count of positional arguments, the key.
struct Command {
    Switches sw;
    HKEY root = 0;
    QString path;
};

std::optional<int> Prepare(Io& io, const QString& verb, const QStringList& args, const QStringList& allowed,
                           int positional, Command* cmd) {
    const QString problem = ParseSwitches(verb, args, allowed, &cmd->sw);
    if (cmd->sw.help)
        return Usage(io, verb);
    if (!problem.isEmpty())
        return io.Syntax(verb, problem);
    if (cmd->sw.positional.size() != positional)
        return io.Syntax(verb, QStringLiteral("%1 takes %2 argument(s), not %3")
                                   .arg(verb)
                                   .arg(positional)
                                   .arg(cmd->sw.positional.size()));
    if (verb == u"import")
        return std::nullopt;
    if (!ParseKey(cmd->sw.positional.at(0), &cmd->root, &cmd->path))
        return io.Fail(QStringLiteral("Invalid key name \"%1\": it must begin with HKLM, HKCU or HKCR.")
                           .arg(cmd->sw.positional.at(0)));
    return std::nullopt;
}

int Query(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("query"), args, {"v", "ve", "s"}, 1, &cmd))
        return *status;
    RegistryBatch batch; // one consistent view over the whole walk
    if (const long rc = batch.BeginRead(cmd.root != HKEY_CURRENT_USER, cmd.root == HKEY_CURRENT_USER);
        rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    if (const long rc = batch.OpenKey(cmd.root, cmd.path); rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    const std::optional<QString>& wanted = cmd.sw.valueName;
    auto matching = [&](const QString& path, QList<RegValue>* values) {
        const long rc = batch.EnumValues(cmd.root, path, values);
        if (wanted)
            values->removeIf(
                [&](const RegValue& v) { return v.name.compare(*wanted, Qt::CaseInsensitive) != 0; });
        return rc;
    };

    QString text = QStringLiteral("\n");
    if (!cmd.sw.recurse) {
        QList<RegValue> values;
        if (const long rc = matching(cmd.path, &values); rc != ERROR_SUCCESS)
            return io.Fail(Why(rc, cmd.root));
        if (wanted && values.isEmpty()) {
            if (!wanted->isEmpty())
                return io.Fail(NotFound);
            // The default value always shows, as reg shows it.
            text += FullName(cmd.root, cmd.path) +
                    QStringLiteral("\n    (Default)    REG_SZ    (value not set)\n\n");
            io.out << text << Qt::flush;
            return 0;
        }
        if (!values.isEmpty()) {
            text += FullName(cmd.root, cmd.path) + u'\n';
            for (const RegValue& value : std::as_const(values))
                text += RegQueryPrinter::ValueLine(value) + u'\n';
            text += u'\n';
        }
        if (!wanted) {
            QStringList subkeys;
            if (const long rc = batch.EnumKeys(cmd.root, cmd.path, &subkeys); rc != ERROR_SUCCESS)
                return io.Fail(Why(rc, cmd.root));
            for (const QString& subkey : std::as_const(subkeys))
                text += FullName(cmd.root, cmd.path.isEmpty() ? subkey : cmd.path + u'\\' + subkey) + u'\n';
        }
        io.out << text << Qt::flush;
        return 0;
    }

    int matches = 0;
    std::function<long(const QString&)> walk = [&](const QString& path) {
        QList<RegValue> values;
        if (const long rc = matching(path, &values); rc != ERROR_SUCCESS)
            return rc;
        if (!wanted || !values.isEmpty()) {
            text += FullName(cmd.root, path) + u'\n';
            for (const RegValue& value : std::as_const(values))
                text += RegQueryPrinter::ValueLine(value) + u'\n';
            if (!values.isEmpty())
                text += u'\n';
        }
        matches += int(values.size());
        QStringList subkeys;
        if (const long rc = batch.EnumKeys(cmd.root, path, &subkeys); rc != ERROR_SUCCESS)
            return rc;
        for (const QString& subkey : std::as_const(subkeys))
            if (const long rc = walk(path.isEmpty() ? subkey : path + u'\\' + subkey); rc != ERROR_SUCCESS)
                return rc;
        return long(ERROR_SUCCESS);
    };
    // Nothing is printed of a walk that fails part-way: a damaged hive must not look smaller.
    if (const long rc = walk(cmd.path); rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    if (wanted)
        text += QStringLiteral("End of search: %1 match(es) found.\n").arg(matches);
    io.out << text << Qt::flush;
    return 0;
}

// The bytes of /d DATA for a value of the given type; empty optional (with *why) when invalid.
std::optional<QByteArray> EncodeData(quint32 type, const QString& data,
                                     const std::optional<QString>& separator, QString* why) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return EncodeRegString(data);
    case REG_MULTI_SZ: {
        if (separator && separator->size() != 1) {
            *why = QStringLiteral("the separator of /s must be one character");
            return std::nullopt;
        }
        const QStringList parts = data.isEmpty() ? QStringList()
                                  : separator    ? data.split(separator->at(0))
                                                 : data.split(QStringLiteral("\\0"));
        QByteArray bytes;
        for (const QString& part : parts) {
            if (part.isEmpty()) {
                *why = QStringLiteral("REG_MULTI_SZ data holds an empty string");
                return std::nullopt;
            }
            bytes += EncodeRegString(part);
        }
        return bytes + QByteArray(2, '\0');
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
        bool ok = false;
        const QString digits = data.trimmed();
        quint64 number = digits.isEmpty() ? (ok = true, 0)
                         : digits.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                             ? digits.mid(2).toULongLong(&ok, 16)
                             : digits.toULongLong(&ok, 10);
        if (ok && digits.startsWith(u'+'))
            ok = false;
        if (!ok || (type != REG_QWORD && number > 0xffffffffull)) {
            *why = QStringLiteral("\"%1\" is not a number for %2").arg(data, RegQueryPrinter::TypeName(type));
            return std::nullopt;
        }
        QByteArray bytes(type == REG_QWORD ? 8 : 4, '\0');
        if (type == REG_QWORD)
            qToLittleEndian(number, bytes.data());
        else if (type == REG_DWORD)
            qToLittleEndian(quint32(number), bytes.data());
        else
            qToBigEndian(quint32(number), bytes.data());
        return bytes;
    }
    default: {
        const QByteArray hex = data.trimmed().toLatin1();
        const QByteArray bytes = QByteArray::fromHex(hex);
        if (hex.size() % 2 || bytes.size() * 2 != hex.size() || bytes.toHex() != hex.toLower()) {
            *why = QStringLiteral("\"%1\" is not an even number of hex digits").arg(data);
            return std::nullopt;
        }
        return bytes;
    }
    }
}

std::optional<quint32> ParseType(const QString& name) {
    static const QHash<QString, quint32> types{
        {QStringLiteral("REG_SZ"), REG_SZ},
        {QStringLiteral("REG_EXPAND_SZ"), REG_EXPAND_SZ},
        {QStringLiteral("REG_MULTI_SZ"), REG_MULTI_SZ},
        {QStringLiteral("REG_DWORD"), REG_DWORD},
        {QStringLiteral("REG_QWORD"), REG_QWORD},
        {QStringLiteral("REG_BINARY"), REG_BINARY},
        {QStringLiteral("REG_NONE"), REG_NONE},
        {QStringLiteral("REG_DWORD_BIG_ENDIAN"), REG_DWORD_BIG_ENDIAN},
        {QStringLiteral("REG_DWORD_LITTLE_ENDIAN"), REG_DWORD},
    };
    const auto it = types.constFind(name.toUpper());
    return it == types.cend() ? std::nullopt : std::optional<quint32>(*it);
}

int Add(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("add"), args, {"v", "ve", "t", "s", "d", "f"}, 1, &cmd))
        return *status;
    const Switches& sw = cmd.sw;
    if (!sw.valueName) {
        if (sw.type || sw.data || sw.separator)
            return io.Syntax(QStringLiteral("add"), QStringLiteral("/t, /s and /d need /v or /ve"));
        const long rc = RegistryStore::CreateKey(cmd.root, cmd.path);
        if (rc != ERROR_SUCCESS)
            return io.Fail(Why(rc, cmd.root));
        io.out << Done << Qt::endl;
        return 0;
    }
    const std::optional<quint32> type = sw.type ? ParseType(*sw.type) : std::optional<quint32>(REG_SZ);
    if (!type)
        return io.Syntax(QStringLiteral("add"), QStringLiteral("unknown type \"%1\"").arg(*sw.type));
    if (sw.separator && *type != REG_MULTI_SZ)
        return io.Syntax(QStringLiteral("add"), QStringLiteral("/s is for REG_MULTI_SZ only"));
    QString why;
    const std::optional<QByteArray> bytes =
        EncodeData(*type, sw.data.value_or(QString()), sw.separator, &why);
    if (!bytes)
        return io.Fail(QStringLiteral("Invalid data: %1.").arg(why));

    RegValue existing;
    if (!sw.force &&
        RegistryStore::QueryValue(cmd.root, cmd.path, *sw.valueName, &existing) == ERROR_SUCCESS) {
        const QString shown = sw.valueName->isEmpty() ? QStringLiteral("(Default)") : *sw.valueName;
        if (const int status = io.Confirm(
                QStringLiteral("Value %1 exists in %2, overwrite?").arg(shown, FullName(cmd.root, cmd.path)),
                QStringLiteral("/f")))
            return status;
    }
    const long rc = RegistryStore::SetValue(cmd.root, cmd.path, RegValue{*sw.valueName, *type, *bytes});
    if (rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    io.out << Done << Qt::endl;
    return 0;
}

int Delete(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("delete"), args, {"v", "ve", "va", "f"}, 1, &cmd))
        return *status;
    const Switches& sw = cmd.sw;
    const QString full = FullName(cmd.root, cmd.path);
    if (cmd.path.isEmpty() && !sw.valueName && !sw.allValues)
        return io.Fail(QStringLiteral("A root key cannot be deleted: %1.").arg(full));
    if (const long rc = RegistryStore::OpenKey(cmd.root, cmd.path); rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    QString question;
    if (sw.valueName) {
        RegValue existing;
        if (const long rc = RegistryStore::QueryValue(cmd.root, cmd.path, *sw.valueName, &existing))
            return io.Fail(Why(rc, cmd.root));
        question = QStringLiteral("Delete the registry value %1 of %2?")
                       .arg(sw.valueName->isEmpty() ? QStringLiteral("(Default)") : *sw.valueName, full);
    } else if (sw.allValues) {
        question = QStringLiteral("Delete all values of the registry key %1?").arg(full);
    } else {
        question = QStringLiteral("Permanently delete the registry key %1?").arg(full);
    }
    if (!sw.force)
        if (const int status = io.Confirm(question, QStringLiteral("/f")))
            return status;

    long rc = ERROR_SUCCESS;
    if (sw.valueName) {
        rc = RegistryStore::DeleteValue(cmd.root, cmd.path, *sw.valueName);
    } else if (sw.allValues) {
        // All values go together or none do.
        RegistryBatch batch;
        rc = batch.BeginWrite(cmd.root != HKEY_CURRENT_USER, cmd.root == HKEY_CURRENT_USER);
        QList<RegValue> values;
        if (rc == ERROR_SUCCESS)
            rc = batch.EnumValues(cmd.root, cmd.path, &values);
        for (qsizetype i = 0; rc == ERROR_SUCCESS && i < values.size(); ++i)
            rc = batch.DeleteValue(cmd.root, cmd.path, values.at(i).name);
        if (rc == ERROR_SUCCESS)
            rc = batch.Commit();
    } else {
        rc = RegistryStore::DeleteTree(cmd.root, cmd.path);
    }
    if (rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    io.out << Done << Qt::endl;
    return 0;
}

int Import(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("import"), args, {}, 1, &cmd))
        return *status;
    QString why;
    if (RegFile::Import(cmd.sw.positional.at(0), &why) != ERROR_SUCCESS)
        return io.Fail(why);
    io.out << Done << Qt::endl;
    return 0;
}

int Export(Io& io, const QStringList& args) {
    Command cmd;
    if (auto status = Prepare(io, QStringLiteral("export"), args, {"y", "regedit4"}, 2, &cmd))
        return *status;
    const QString file = cmd.sw.positional.at(1);
    if (const long rc = RegistryStore::OpenKey(cmd.root, cmd.path); rc != ERROR_SUCCESS)
        return io.Fail(Why(rc, cmd.root));
    if (!cmd.sw.force && QFileInfo::exists(file))
        if (const int status = io.Confirm(QStringLiteral("File %1 already exists. Overwrite?").arg(file),
                                          QStringLiteral("/y")))
            return status;
    QString why;
    const auto format = cmd.sw.regedit4 ? RegFileWriter::Format::Regedit4 : RegFileWriter::Format::Version5;
    if (RegFile::Export(cmd.root, cmd.path, file, format, &why) != ERROR_SUCCESS)
        return io.Fail(why);
    io.out << Done << Qt::endl;
    return 0;
}

// Runs SQLite's integrity check over the hive files (both, or the one holding ROOT) and lists what
// is damaged.
int Check(Io& io, const QStringList& args) {
    Switches sw;
    const QString problem = ParseSwitches(QStringLiteral("check"), args, {}, &sw);
    if (sw.help)
        return Usage(io, QStringLiteral("check"));
    if (!problem.isEmpty())
        return io.Syntax(QStringLiteral("check"), problem);
    if (sw.positional.size() > 1)
        return io.Syntax(
            QStringLiteral("check"),
            QStringLiteral("check takes at most one root, not %1 arguments").arg(sw.positional.size()));
    QList<HKEY> roots{HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    if (!sw.positional.isEmpty()) {
        HKEY root = 0;
        QString path;
        if (!ParseKey(sw.positional.first(), &root, &path) || !path.isEmpty())
            return io.Fail(QStringLiteral("Invalid root \"%1\": it must be HKLM, HKCU or HKCR.")
                               .arg(sw.positional.first()));
        roots = {root == HKEY_CURRENT_USER ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE};
    }
    long failed = ERROR_SUCCESS;
    HKEY failedRoot = 0;
    for (const HKEY root : roots) {
        QStringList findings;
        const long rc = RegistryStore::CheckHive(root, &findings);
        io.out << RegistryStore::RootName(root) << ": " << RegistryStore::HiveFilePath(root) << ": "
               << (rc == ERROR_SUCCESS ? "ok"
                   : rc == ERROR_BADDB ? "not a registry hive"
                                       : "damaged")
               << '\n';
        for (const QString& finding : std::as_const(findings))
            io.out << "    " << finding << '\n';
        if (rc != ERROR_SUCCESS && failed == ERROR_SUCCESS) {
            failed = rc;
            failedRoot = root;
        }
    }
    io.out << Qt::flush;
    return failed == ERROR_SUCCESS ? 0 : io.Fail(Why(failed, failedRoot));
}

} // namespace

int RunKx4Reg(const QStringList& args, QTextStream& out, QTextStream& err, QTextStream* answers) {
    Io io{out, err, answers};
    if (args.isEmpty())
        return io.Fail(QStringLiteral("Invalid syntax: no command. Type \"kx4reg /?\" for usage."));
    const QString verb = args.first().toLower();
    const QStringList rest = args.mid(1);
    if (verb == u"/?" || verb == u"-?" || verb == u"--help")
        return Usage(io, QString());
    if (verb == u"query")
        return Query(io, rest);
    if (verb == u"add")
        return Add(io, rest);
    if (verb == u"delete")
        return Delete(io, rest);
    if (verb == u"import")
        return Import(io, rest);
    if (verb == u"export")
        return Export(io, rest);
    if (verb == u"check")
        return Check(io, rest);
    return io.Fail(QStringLiteral("Invalid syntax: unknown command \"%1\". Type \"kx4reg /?\" for usage.")
                       .arg(args.first()));
}
