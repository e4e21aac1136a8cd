#include "kx4studio/Kx4Studio.h"

#include "kx4studio/ProjectCommands.h"
#include "kx4studio/StudioSetup.h"
#include "kx4studio/StudioToolContext.h"
#include "kx4studio/TerminalProgress.h"
#include "kx4studio/ToolArguments.h"
#include "kx4studio/TranslatorCommands.h"
#include "studio/Failure.h"

#include <QTextStream>

namespace {

const char* const Usage =
    "usage: kx4studio COMMAND [ARGUMENTS]\n"
    "  setup [--lcid N] [--path DIR]           install the studio into the prefix ($KX4_PREFIX)\n"
    "  new FILE.kxs [--language L]...          create a project file\n"
    "  register FILE [--type TYPE] [--name NAME]  register a project (.kxs) or project group (.vbg)\n"
    "  unregister NAME                         remove a registration\n"
    "  list                                    registrations: name, type, path, present/missing\n"
    "  groups FILE                             the group tree with text counts per language\n"
    "  export FILE [--group NAME] [-o OUT]     the texts as CSV on standard output or in OUT\n"
    "  export FILE --format xliff|po --source L --target L [--group NAME] [-o OUT]\n"
    "                                          the texts for translators, languages by locale id or tag\n"
    "  import FILE CSV|XLF|PO [--force]        texts from CSV or a translated file, in one transaction\n"
    "  stats FILE [--group NAME]               per language, how many indexes have a text\n"
    "FILE is a .kxs path (Windows-style paths map through the prefix) or a registered project's name.\n";

void Dispatch(const QString& command, const QStringList& args, QTextStream& out, QTextStream& err,
              const StudioToolContext& context) {
    if (command == QLatin1String("setup")) {
        const ToolArguments line(args, {"lcid", "path"}, 0, 0, "kx4studio setup [--lcid N] [--path DIR]");
        StudioSetup::Run({line.Value("lcid"), line.Value("path")}, context, out);
    } else if (command == QLatin1String("new")) {
        ProjectCommands::New(
            ToolArguments(args, {"language"}, 1, 1, "kx4studio new FILE.kxs [--language L]..."), out);
    } else if (command == QLatin1String("register")) {
        ProjectCommands::Register(ToolArguments(args, {"type", "name"}, 1, 1,
                                                "kx4studio register FILE [--type TYPE] [--name NAME]"),
                                  out);
    } else if (command == QLatin1String("unregister")) {
        ProjectCommands::Unregister(ToolArguments(args, {}, 1, 1, "kx4studio unregister NAME"), out);
    } else if (command == QLatin1String("list")) {
        ProjectCommands::List(ToolArguments(args, {}, 0, 0, "kx4studio list"), out);
    } else if (command == QLatin1String("groups")) {
        ProjectCommands::Groups(ToolArguments(args, {}, 1, 1, "kx4studio groups FILE"), out);
    } else if (command == QLatin1String("export")) {
        const ToolArguments line(args, {"group", "format", "source", "target", "o"}, 1, 1,
                                 "kx4studio export FILE [--format csv|xliff|po --source L --target L] "
                                 "[--group NAME] [-o OUT]");
        // Texts scrolling over the terminal show how far they are; a percentage would garble them.
        const bool shown = context.progressOnError && (line.Has("o") || !context.outputOnTerminal);
        TerminalProgress progress(shown ? &err : nullptr, command);
        TranslatorCommands::Export(line, out, progress.Reporter());
    } else if (command == QLatin1String("import")) {
        TerminalProgress progress(context.progressOnError ? &err : nullptr, command);
        TranslatorCommands::Import(
            ToolArguments(args, {}, 2, 2, "kx4studio import FILE CSV|XLF|PO [--force]", {"force"}), out,
            progress.Reporter());
    } else if (command == QLatin1String("stats")) {
        TranslatorCommands::Stats(ToolArguments(args, {"group"}, 1, 1, "kx4studio stats FILE [--group NAME]"),
                                  out);
    } else {
        throw Failure(Failure::InvalidCall,
                      QStringLiteral("unknown command \"%1\" (kx4studio --help lists them)").arg(command));
    }
}

} // namespace

int RunKx4Studio(const QStringList& args, QTextStream& out, QTextStream& err,
                 const StudioToolContext& context) {
    if (args.isEmpty()) {
        err << Usage;
        err.flush();
        return 1;
    }
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << Usage;
        out.flush();
        return 0;
    }
    try {
        Dispatch(command, args.mid(1), out, err, context);
        out.flush();
        return 0;
    } catch (const Failure& failure) {
        out.flush();
        // One line, whatever the description holds.
        QString reason = failure.Description();
        reason.replace(QLatin1Char('\n'), QLatin1Char(' '));
        err << "kx4studio " << command << ": " << reason << Qt::endl;
        return 1;
    } catch (const std::exception& error) {
        out.flush();
        err << "kx4studio " << command << ": " << error.what() << Qt::endl;
        return 1;
    }
}
