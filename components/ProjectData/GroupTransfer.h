#pragma once

#include "ProjectData/GroupCopy.h"

class ProjectFile;

// Copying index groups between projects: the copy, the paste and the merge of a copy into an
// existing group. Each call is one transaction: when it throws, the project is as it was.
namespace GroupTransfer {

// Update flags of Update(); combine with |.
enum UpdateFlag : int {
    UpdateExisting = 1, // an index on both sides takes the copy's texts
    AddMissing = 2,     // an index only in the copy is added
    RemoveExtra = 4,    // an index only in the target is removed
};
inline constexpr int DefaultUpdateFlags = UpdateExisting | AddMissing;

// The group at path (levels joined by "\") with all its texts, and its subgroups unless
// withSubgroups is false. Throws when the group does not exist.
GroupCopy Copy(const ProjectFile& project, const QString& path, bool withSubgroups);

// Makes the group target under parentPath ("" is the top level) from the copy. target may
// itself hold "\" to go deeper below parentPath; an empty target takes the copy's own name.
// An existing group of that name is replaced when replace is true (keeping its place unless
// position says otherwise) and makes the paste fail otherwise. position counts from 1 among
// the siblings, 0 puts a new group last. Texts of languages the project lacks are left out;
// withTexts false pastes the groups without texts.
void Paste(ProjectFile& project, const GroupCopy& copy, const QString& parentPath, const QString& target,
           bool replace, int position, bool withTexts);

// Merges the copy into the existing group target, subgroups matched by name (only when the
// copy holds subgroups). flags combines UpdateFlag values (0..7); a subgroup only in the copy
// counts as indexes only in the copy, one only in the target as indexes only in the target.
void Update(ProjectFile& project, const QString& target, const GroupCopy& copy, int flags);

} // namespace GroupTransfer
