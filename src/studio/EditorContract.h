#pragma once

#include <QString>

// What the program and the studio's editor components agree on beyond the signatures of
// IEditorAddIn: the main key, the message target, the language editor's collection and commands.
namespace EditorContract {

// The main key of StartEditor for index groups.
inline const QString MainKey = QStringLiteral("IDX0");
// The target of every message the program sends.
inline const QString GlobalTarget = QStringLiteral("GLOBAL");
// The collection that "Copy", "Copynonh", "Paste" and "Delete" name.
inline const QString IndexGroups = QStringLiteral("<IndexGroups>");

// The language editor's commands; their parameters are documented where they are carried out.
inline const QString Copy = QStringLiteral("Copy");
inline const QString Copynonh = QStringLiteral("Copynonh");
inline const QString Paste = QStringLiteral("Paste");
inline const QString Updategroup = QStringLiteral("Updategroup");
inline const QString Delete = QStringLiteral("Delete");
inline const QString AddLanguage = QStringLiteral("AddLanguage");
inline const QString Rename = QStringLiteral("Rename");

} // namespace EditorContract
