#include "texts/MResourceTable.h"

#include "texts/MResources.h"

#include <QStringList>

namespace MResourceTable {
namespace {

struct Row {
    qint32 id;
    const char16_t* german;
    const char16_t* english; // nullptr: German only
};

// Texts stay as the user sees them: "&" marks an access key, "-" a separator line. Messages
// use "@n@" placeholders and backslash escapes (MResources::GetResMessage).
constexpr Row Rows[] = {
    {10, u"OK", u"OK"},
    {11, u"Abbrechen", u"Cancel"},
    {12, u"&Hilfe", u"&Help"},
    {13, u"Ö&ffnen", u"&Open"},
    {80, u"KestrixStudio", nullptr},
    {90, u"KestrixStudio ToolBox - Meldung @1@", u"KestrixStudio ToolBox - Message @1@"},
    {91, u"Es ist kein Installationspfad von KestrixStudio registriert.",
     u"No KestrixStudio installation path is registered."},
    {92, u"Das registrierte Installationsverzeichnis von KestrixStudio existiert nicht:\\n@1@",
     u"The registered KestrixStudio installation folder does not exist:\\n@1@"},
    {100, u"KestrixStudio ToolBox", u"KestrixStudio ToolBox"},
    {110, u"&Datei", u"&File"},
    {111, u"Ö&ffnen", u"&Open"},
    {112, u"&Schließen", u"&Close"},
    {113, u"-", u"-"},
    {114, u"&Beenden", u"&End"},
    {130, u"&Extras", u"&Extras"},
    {131, u"&Scriptdatei ausführen", u"&Procedure Script file"},
    {140, u"&?", u"&?"},
    {141, u"&Hilfe", u"&Help"},
    {142, u"&Info", u"&Info"},
    {200, u"KestrixStudio ToolBox - Projekt öffnen", u"KestrixStudio ToolBox - Open Project"},
    {201, u"Registrierte Projekte", u"Registered Projects"},
    {210, u"Name", u"Name"},
    {211, u"Verzeichnis", u"Directory"},
    {212, u"Typ", u"Type"},
    // The dialog's status line: a registration passed over (@1@ its name, @2@ why), and how many more.
    {220, u"Die Registrierung \"@1@\" ist nicht lesbar und fehlt in der Liste: @2@",
     u"The registration \"@1@\" cannot be read and is not listed: @2@"},
    {221, u"(@1@ weitere sind nicht lesbar)", u"(@1@ more cannot be read)"},
    // Must equal the project explorer's own window caption: the frame finds the window by it.
    {300, u"KestrixStudio Projekt-Explorer", u"KestrixStudio Project Explorer"},
};

} // namespace

void FillResourceTable() {
    for (const Row& row : Rows) {
        QStringList texts{QString::fromUtf16(row.german)};
        if (row.english)
            texts << QString::fromUtf16(row.english);
        MResources::AddResource(row.id, texts);
    }
}

} // namespace MResourceTable
