#include "kx4reg/CommandIo.h"

#include "platform/registry/RegErrorText.h"

#include <QHash>

namespace Kx4RegCommands {

const QString NotFound = QStringLiteral("The system was unable to find the specified registry key or value.");
const QString Done = QStringLiteral("The operation completed successfully.");

int Io::Fail(const QString& why) {
    err << "ERROR: " << why << Qt::endl;
    return 1;
}

int Io::Syntax(const QString& verb, const QString& why) {
    return Fail(QStringLiteral("Invalid syntax: %1. Type \"kx4reg %2 /?\" for usage.").arg(why, verb));
}

int Io::Confirm(const QString& question, const QString& skipSwitch) {
    if (!answers)
        return Fail(QStringLiteral("%1 Not asked, because standard input is not a terminal; add %2 to go on "
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

QString ParseKey(const QString& text, HKEY* root, QString* path) {
    const QString rest = text.section(u'\\', 1);
    *path = RegistryStore::TrimKeyPath(rest);
    if (!RegistryStore::ParseRoot(text.section(u'\\', 0, 0), root))
        return QStringLiteral("it must begin with HKLM, HKCU or HKCR");
    if (text.contains(u'\\') && rest.isEmpty())
        return QStringLiteral("a key name must follow the backslash after the root");
    if (rest.endsWith(QStringLiteral("\\\\")))
        return QStringLiteral("it ends in two backslashes");
    return QString();
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

std::optional<int> Prepare(Io& io, const QString& verb, const QStringList& args, const QStringList& allowed,
                           int positional, bool withKey, Command* cmd) {
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
    if (!withKey)
        return std::nullopt;
    if (const QString why = ParseKey(cmd->sw.positional.at(0), &cmd->root, &cmd->path); !why.isEmpty())
        return io.Fail(QStringLiteral("Invalid key name \"%1\": %2.").arg(cmd->sw.positional.at(0), why));
    return std::nullopt;
}

} // namespace Kx4RegCommands
