#include "KXLanguage/LanguageEditor.h"

#include "ProjectData/GroupCopy.h"
#include "ProjectData/GroupTransfer.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectLocator.h"
#include "ProjectData/ProjectTransaction.h"
#include "studio/EditorContract.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

namespace {

using EditorContract::IndexGroups;
using EditorContract::MainKey;

Failure Invalid(const QString& why) { return Failure(Failure::InvalidCall, why); }

// The parameters of one message, with the command's name for the descriptions.
class Params {
public:
    Params(const QString& command, const QVariantList& list) : m_command(command), m_list(list) {}

    void Require(int count) const {
        if (m_list.size() < count)
            throw Invalid(QStringLiteral("command \"%1\" needs %2 parameters, got %3")
                              .arg(m_command)
                              .arg(count)
                              .arg(m_list.size()));
    }
    bool Has(int i) const {
        return i < m_list.size() && m_list.at(i).isValid() && !Variant::IsMissing(m_list.at(i));
    }
    QString Text(int i) const { return Has(i) ? Variant::ToText(m_list.at(i)) : QString(); }
    int Number(int i, int fallback) const { return Has(i) ? Variant::ToInt16(m_list.at(i)) : fallback; }
    bool Flag(int i, bool fallback) const { return Has(i) ? Variant::ToInt16(m_list.at(i)) != 0 : fallback; }
    void Collection(int i) const {
        const QString collection = Text(i);
        if (collection.compare(IndexGroups, Qt::CaseInsensitive) != 0)
            throw Invalid(QStringLiteral("command \"%1\": collection \"%2\" is not supported (only \"%3\")")
                              .arg(m_command, collection, IndexGroups));
    }
    GroupCopy Copy(int i) const {
        const QVariant& value = m_list.at(i);
        GroupCopy copy;
        QString why;
        if (value.typeId() != QMetaType::QByteArray)
            why = QStringLiteral("the value is not a copy of an index group");
        else
            GroupCopy::FromBytes(value.toByteArray(), &copy, &why);
        if (!why.isEmpty())
            throw Invalid(QStringLiteral("command \"%1\": %2").arg(m_command, why));
        return copy;
    }

private:
    QString m_command;
    const QVariantList& m_list;
};

// One message's work on the project; the answer, or an empty value.
using Step = QVariant (*)(ProjectFile& project, const Params& params);

QVariant CopyGroup(const ProjectFile& project, const Params& params, bool withSubgroups) {
    params.Require(2);
    params.Collection(0);
    return GroupTransfer::Copy(project, params.Text(1), withSubgroups).ToBytes();
}

QVariant Copy(ProjectFile& project, const Params& params) { return CopyGroup(project, params, true); }

QVariant Copynonh(ProjectFile& project, const Params& params) { return CopyGroup(project, params, false); }

QVariant Paste(ProjectFile& project, const Params& params) {
    params.Require(3);
    const GroupCopy copy = params.Copy(0);
    params.Collection(1);
    GroupTransfer::Paste(project, copy, params.Text(4), params.Text(2), params.Flag(3, false),
                         params.Number(5, 0), params.Flag(6, true));
    return {};
}

QVariant Updategroup(ProjectFile& project, const Params& params) {
    params.Require(2);
    const GroupCopy copy = params.Copy(1);
    GroupTransfer::Update(project, params.Text(0), copy, params.Number(2, GroupTransfer::DefaultUpdateFlags));
    return {};
}

QVariant Delete(ProjectFile& project, const Params& params) {
    params.Require(2);
    params.Collection(0);
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    project.DeleteGroup(project.RequireGroup(params.Text(1)));
    transaction.Commit();
    return {};
}

QVariant AddLanguage(ProjectFile& project, const Params& params) {
    params.Require(1);
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    project.AddLanguage(params.Text(0));
    transaction.Commit();
    return {};
}

// A full path is accepted for the new name as long as its parent exists and is the group's own.
QString NameWithinParent(const ProjectFile& project, qint64 group, const QString& oldPath,
                         const QString& newName) {
    const qsizetype cut = newName.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0)
        return newName;
    if (project.RequireGroup(newName.left(cut)) != project.ParentOf(group))
        throw Invalid(QStringLiteral("cannot rename index group \"%1\" to \"%2\" in %3: "
                                     "renaming does not move a group to another parent")
                          .arg(oldPath, newName, project.Path()));
    return newName.mid(cut + 1);
}

QVariant Rename(ProjectFile& project, const Params& params) {
    params.Require(2);
    ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
    const qint64 group = project.RequireGroup(params.Text(0));
    project.RenameGroup(group, NameWithinParent(project, group, params.Text(0), params.Text(1)));
    transaction.Commit();
    return {};
}

struct Command {
    const QString& name;
    Step step;
};

const Command Commands[] = {
    {EditorContract::Copy, Copy},     {EditorContract::Copynonh, Copynonh},
    {EditorContract::Paste, Paste},   {EditorContract::Updategroup, Updategroup},
    {EditorContract::Delete, Delete}, {EditorContract::AddLanguage, AddLanguage},
    {EditorContract::Rename, Rename},
};

} // namespace

LanguageEditor::LanguageEditor() = default;

LanguageEditor::~LanguageEditor() = default;

// The caller reports why through LastError; logging it as well would say it twice.
bool LanguageEditor::Fail(const QString& why) {
    m_lastError = why;
    return false;
}

bool LanguageEditor::Usable() {
    if (!m_broken.isEmpty())
        return Fail(m_broken);
    if (!m_project)
        return Fail(QStringLiteral("the language editor is not connected to a project"));
    return true;
}

bool LanguageEditor::Connect(const QString& project, const QString&, QObject*, QObject*) {
    m_project.reset();
    m_started = false;
    m_broken.clear();
    try {
        m_project = std::make_unique<ProjectFile>(ProjectLocator::Resolve(project));
        return true;
    } catch (const Failure& failure) {
        m_broken = failure.Description();
    } catch (const std::exception& error) {
        m_broken = QStringLiteral("cannot open project \"%1\": %2")
                       .arg(project, QString::fromLocal8Bit(error.what()));
    }
    return Fail(m_broken);
}

bool LanguageEditor::Startup() { return Usable(); }

bool LanguageEditor::Disconnect() {
    m_project.reset();
    m_started = false;
    return true;
}

bool LanguageEditor::StartEditor(const QString&, const QString& mainKey, const QString&) {
    if (!Usable())
        return false;
    if (mainKey.compare(MainKey, Qt::CaseInsensitive) != 0)
        return Fail(QStringLiteral("main key \"%1\" is not supported by the language editor (only \"%2\")")
                        .arg(mainKey, MainKey));
    m_started = true;
    return true;
}

bool LanguageEditor::Message(const QString& target, const QString& command, const QVariant& params,
                             QVariant* answer) {
    if (answer)
        *answer = QVariant();
    if (!Usable())
        return false;
    if (!m_started)
        return Fail(
            QStringLiteral("the language editor is not started (StartEditor \"%1\" first)").arg(MainKey));
    if (target.compare(EditorContract::GlobalTarget, Qt::CaseInsensitive) != 0)
        return Fail(QStringLiteral("message target \"%1\" is not supported (only \"%2\")")
                        .arg(target, EditorContract::GlobalTarget));
    try {
        const QVariantList list =
            params.typeId() == QMetaType::QVariantList ? params.toList() : QVariantList{params};
        const QVariant result = Dispatch(command, list);
        if (answer)
            *answer = result;
        return true;
    } catch (const Failure& failure) {
        return Fail(failure.Description());
    } catch (const std::exception& error) {
        return Fail(QStringLiteral("command \"%1\" failed on %2: %3")
                        .arg(command, m_project->Path(), QString::fromLocal8Bit(error.what())));
    }
}

QVariant LanguageEditor::Dispatch(const QString& command, const QVariantList& list) {
    for (const Command& candidate : Commands) {
        if (command.compare(candidate.name, Qt::CaseInsensitive) == 0)
            return candidate.step(*m_project, Params(command, list));
    }
    throw Invalid(QStringLiteral("command \"%1\" is not supported by the language editor").arg(command));
}

QString LanguageEditor::LastError() const { return m_lastError; }
