#include "KXLanguage/LanguageEditor.h"

#include "ProjectData/GroupCopy.h"
#include "ProjectData/GroupTransfer.h"
#include "ProjectData/ProjectFile.h"
#include "ProjectData/ProjectLocator.h"
#include "ProjectData/ProjectTransaction.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

namespace {

const QString IndexGroups = QStringLiteral("<IndexGroups>");
const QString MainKey = QStringLiteral("IDX0");

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

bool Is(const QString& command, const char* name) {
    return command.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

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
    if (target.compare(QLatin1String("GLOBAL"), Qt::CaseInsensitive) != 0)
        return Fail(QStringLiteral("message target \"%1\" is not supported (only \"GLOBAL\")").arg(target));
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
    const Params params(command, list);
    ProjectFile& project = *m_project;
    if (Is(command, "Copy") || Is(command, "Copynonh")) {
        params.Require(2);
        params.Collection(0);
        return GroupTransfer::Copy(project, params.Text(1), Is(command, "Copy")).ToBytes();
    }
    if (Is(command, "Paste")) {
        params.Require(3);
        const GroupCopy copy = params.Copy(0);
        params.Collection(1);
        GroupTransfer::Paste(project, copy, params.Text(4), params.Text(2), params.Flag(3, false),
                             params.Number(5, 0), params.Flag(6, true));
        return {};
    }
    if (Is(command, "Updategroup")) {
        params.Require(2);
        const GroupCopy copy = params.Copy(1);
        GroupTransfer::Update(project, params.Text(0), copy,
                              params.Number(2, GroupTransfer::DefaultUpdateFlags));
        return {};
    }
    if (Is(command, "Delete")) {
        params.Require(2);
        params.Collection(0);
        ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
        project.DeleteGroup(project.RequireGroup(params.Text(1)));
        transaction.Commit();
        return {};
    }
    if (Is(command, "AddLanguage")) {
        params.Require(1);
        ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
        project.AddLanguage(params.Text(0));
        transaction.Commit();
        return {};
    }
    if (Is(command, "Rename")) {
        params.Require(2);
        const QString oldPath = params.Text(0);
        QString newName = params.Text(1);
        ProjectTransaction transaction(project.Database(), ProjectTransaction::Kind::Write);
        const qint64 group = project.RequireGroup(oldPath);
        // A full path is accepted for the new name as long as it keeps the group's parent.
        if (newName.contains(QLatin1Char('\\'))) {
            const QString parentPath = newName.section(QLatin1Char('\\'), 0, -2);
            if (project.FindGroup(parentPath) != project.ParentOf(group))
                throw Invalid(QStringLiteral("cannot rename index group \"%1\" to \"%2\" in %3: "
                                             "renaming does not move a group to another parent")
                                  .arg(oldPath, newName, project.Path()));
            newName = newName.section(QLatin1Char('\\'), -1);
        }
        project.RenameGroup(group, newName);
        transaction.Commit();
        return {};
    }
    throw Invalid(QStringLiteral("command \"%1\" is not supported by the language editor").arg(command));
}

QString LanguageEditor::LastError() const { return m_lastError; }
