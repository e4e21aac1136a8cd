#include "help/MHelp.h"

#include "platform/core/Ansi.h"
#include "platform/help/HtmlHelp.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"

namespace {

QString appHelpFile;

} // namespace

void MHelp::InitHelp() {
    const QVariant common = StudioUtilities().Registry().GetValue(
        HKEY_LOCAL_MACHINE, StudioKeys::Maker, QStringLiteral("Common"), Variant::MissingArgument());
    appHelpFile = Variant::ToText(common) + QStringLiteral("\\HelpFiles\\Toolbox.chm");
}

void MHelp::ShowHelp(qint32 hWnd, qint32 ContextId) {
    const QByteArray file = ToAnsi(appHelpFile);
    HtmlHelpA(hWnd, file.constData(), HH_HELP_CONTEXT, quintptr(quint32(ContextId)));
}

void MHelp::CloseHelp() { HtmlHelpA(0, nullptr, HH_CLOSE_ALL, 0); }

QString MHelp::AppHelpFile() { return appHelpFile; }
