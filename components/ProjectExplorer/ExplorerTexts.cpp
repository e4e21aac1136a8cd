#include "ProjectExplorer/ExplorerTexts.h"

#include "platform/registry/Registry.h"

namespace ExplorerTexts {

namespace {

constexpr quint32 English = 1033;

quint32 ReadLcid() {
    RegValue value;
    if (RegistryStore::QueryValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\HALVERN GmbH\\Kestrix\\4.0"),
                                  QStringLiteral("LCID"), &value) != ERROR_SUCCESS)
        return 0;
    if (value.type == REG_DWORD)
        return value.Number();
    return value.Text().trimmed().toUInt();
}

} // namespace

bool IsEnglish() { return ReadLcid() == English; }

QString Get(Text text, bool english) {
    switch (text) {
    case Text::WindowTitle:
        // Must equal the program's string 300 character for character: it finds the window by it.
        return english ? QStringLiteral("KestrixStudio Project Explorer")
                       : QStringLiteral("KestrixStudio Projekt-Explorer");
    case Text::Project: return english ? QStringLiteral("Project") : QStringLiteral("Projekt");
    case Text::File: return english ? QStringLiteral("File") : QStringLiteral("Datei");
    case Text::Languages: return english ? QStringLiteral("Languages") : QStringLiteral("Sprachen");
    case Text::Group: return english ? QStringLiteral("Index group") : QStringLiteral("Indexgruppe");
    case Text::Texts: return english ? QStringLiteral("Texts") : QStringLiteral("Texte");
    case Text::Index: return english ? QStringLiteral("Index") : QStringLiteral("Index");
    case Text::NoGroupSelected:
        return english ? QStringLiteral("no index group is selected")
                       : QStringLiteral("keine Indexgruppe ausgewählt");
    }
    return QString();
}

} // namespace ExplorerTexts
