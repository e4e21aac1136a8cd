#include "ProjectExplorer/ExplorerTexts.h"

namespace ExplorerTexts {

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
