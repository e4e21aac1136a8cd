#include "script/MScriptScan.h"

#include "editors/CBlindEditor.h"
#include "platform/core/Prefix.h"
#include "platform/windows/MessageBox.h"
#include "script/ScriptFileReader.h"
#include "script/ScriptProgressWindow.h"
#include "studio/EditorContract.h"
#include "studio/Failure.h"
#include "studio/Variant.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLoggingCategory>
#include <memory>
#include <optional>

Q_LOGGING_CATEGORY(lcScript, "kx4.script", QtWarningMsg)

namespace MScriptScan {

namespace {

std::unique_ptr<CBlindEditor> ReadEditor;
std::unique_ptr<CBlindEditor> WriteEditor;
qint16 UpdateFlag = 3;

const QString EditorComponent = QStringLiteral("KXLanguage");
using EditorContract::IndexGroups;
using EditorContract::MainKey;
const QString FailureTitle = QStringLiteral("KestrixStudio - Script");

enum class Arguments { TwoQuoted, OneQuoted, Selector };

struct CommandWord {
    QLatin1StringView word;
    Arguments arguments;
};

constexpr CommandWord CommandWords[] = {
    {QLatin1StringView("set"), Arguments::Selector},
    {QLatin1StringView("copy"), Arguments::TwoQuoted},
    {QLatin1StringView("delete"), Arguments::OneQuoted},
    {QLatin1StringView("copynonh"), Arguments::TwoQuoted},
    {QLatin1StringView("addlanguage"), Arguments::OneQuoted},
    {QLatin1StringView("updategroup"), Arguments::TwoQuoted},
    {QLatin1StringView("updateflag"), Arguments::OneQuoted},
    {QLatin1StringView("rename"), Arguments::TwoQuoted},
};

constexpr QLatin1StringView Selectors[] = {QLatin1StringView("dbread"), QLatin1StringView("dbwrite"),
                                           QLatin1StringView("prjread"), QLatin1StringView("prjwrite")};

// The next run of characters other than a space, from pos on; the runs of spaces between words
// only give empty words, which count for nothing.
QStringView NextWord(QStringView line, qsizetype& pos) {
    while (pos < line.size() && line[pos] == u' ')
        ++pos;
    const qsizetype start = pos;
    while (pos < line.size() && line[pos] != u' ')
        ++pos;
    return line.sliced(start, pos - start);
}

// Words compare as their lower-case form; most words are no command and are sorted out by length.
bool IsWord(QStringView word, QLatin1StringView lowerCase) {
    return word.size() == lowerCase.size() && word.toString().toLower() == lowerCase;
}

[[noreturn]] void ThrowTooFewQuotes(const CommandWord& command, int found) {
    QString text;
    switch (command.arguments) {
    case Arguments::TwoQuoted:
        text = QStringLiteral("index out of range: \"%1\" takes two quoted names and needs at least 3 double "
                              "quotes; the line has %2")
                   .arg(command.word)
                   .arg(found);
        break;
    case Arguments::OneQuoted:
        text =
            QStringLiteral("index out of range: \"%1\" takes a quoted argument; the line has no double quote")
                .arg(command.word);
        break;
    case Arguments::Selector:
        text = QStringLiteral(
            "index out of range: \"set\" with a selector takes a quoted project path; the line "
            "has no double quote");
        break;
    }
    throw Failure(Failure::IndexOutOfRange, text);
}

const CommandWord* FindCommand(QStringView firstWord) {
    for (const CommandWord& candidate : CommandWords) {
        if (IsWord(firstWord, candidate.word))
            return &candidate;
    }
    return nullptr;
}

// The selector of "set": the first selector word after "set", inside the quoted path or not.
std::optional<QLatin1StringView> FindSelector(QStringView line, qsizetype pos) {
    for (QStringView word = NextWord(line, pos); !word.isEmpty(); word = NextWord(line, pos)) {
        for (const QLatin1StringView selector : Selectors) {
            if (IsWord(word, selector))
                return selector;
        }
    }
    return std::nullopt;
}

// The pieces of a line between double quotes: piece 1 after the first quote, piece 3 after the
// third, each up to the next quote or the end of the line.
class QuotedPieces {
public:
    explicit QuotedPieces(QStringView line) : m_line(line) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u'"') {
                if (m_count < 4)
                    m_quotes[m_count] = i;
                ++m_count;
            }
        }
    }
    void Require(const CommandWord& command, int quotes) const {
        if (m_count < quotes)
            ThrowTooFewQuotes(command, m_count);
    }
    QString Piece(int number) const {
        const qsizetype start = m_quotes[number - 1] + 1;
        const qsizetype end = m_count > number ? m_quotes[number] : m_line.size();
        return m_line.sliced(start, end - start).toString();
    }

private:
    QStringView m_line;
    qsizetype m_quotes[4] = {};
    int m_count = 0;
};

CBlindEditor& Side(const std::unique_ptr<CBlindEditor>& editor, bool read) {
    if (!editor)
        throw Failure(Failure::ObjectNotSet,
                      read ? QStringLiteral("object not set: no read side selected (no \"set\" line with "
                                            "\"dbread\" or \"prjread\" before)")
                           : QStringLiteral("object not set: no write side selected (no \"set\" line with "
                                            "\"dbwrite\" or \"prjwrite\" before)"));
    return *editor;
}

void Select(std::unique_ptr<CBlindEditor>& editor, const QString& project) {
    // The old component disconnects before the new one connects.
    editor.reset();
    editor = std::make_unique<CBlindEditor>();
    editor->CreateBlindEditor(EditorComponent, project);
}

void CopyAndPaste(const QString& copyCommand, const QString& source, const QString& target) {
    CBlindEditor& read = Side(ReadEditor, true);
    read.Start(MainKey);
    CBlindEditor& write = Side(WriteEditor, false);
    write.Start(MainKey);
    const QVariant copy = read.GlobalMessage(copyCommand, QVariantList{IndexGroups, source});
    write.GlobalMessage(EditorContract::Paste, QVariantList{copy, IndexGroups, target, QVariant(true),
                                                            QString(), Variant::Int16(0), QVariant(true)});
}

void SetUpdateFlag(const QString& text) {
    const double number = Variant::RoundHalfEven(Variant::LenientNumber(text));
    if (!(number >= -32768.0 && number <= 32767.0))
        throw Failure(Failure::Overflow,
                      QStringLiteral("overflow: the update flag \"%1\" is outside -32768..32767").arg(text));
    UpdateFlag = static_cast<qint16>(number);
}

void OpenScript(ScriptFileReader& reader, const QString& fileName) {
    if (reader.Open())
        return;
    if (const std::optional<ScriptDecoding::Refusal>& refused = reader.Refused())
        throw Failure(Failure::InvalidCall, QStringLiteral("%1, %2").arg(fileName, refused->Text()));
    throw Failure(
        Failure::FileNotFound,
        QStringLiteral("cannot open the script file \"%1\": %2").arg(fileName, reader.ErrorString()));
}

void RunLines(ScriptFileReader& reader, const QString& fileName, const ProgressHook& progress) {
    QString line;
    QString command;
    QString param1;
    QString param2;
    qint64 lineNumber = 0;
    while (reader.ReadLine(line)) {
        ++lineNumber;
        try {
            ScanScriptLine(line, command, param1, param2);
            if (command.isEmpty())
                continue;
            if (progress)
                progress(lineNumber, reader.LineCount(), command);
            ExecuteScriptCommand(command, param1, param2);
        } catch (const Failure& failure) {
            qCInfo(lcScript) << fileName << lineNumber << failure.Text();
            throw Failure(failure.Number(),
                          QStringLiteral("%1, line %2 (%3): %4")
                              .arg(fileName, QString::number(lineNumber), command, failure.Description()));
        }
    }
    if (const std::optional<ScriptDecoding::Refusal>& refused = reader.Refused())
        throw Failure(
            Failure::InvalidCall,
            QStringLiteral("%1, %2 (the file changed while it ran)").arg(fileName, refused->Text()));
    if (!reader.ErrorString().isEmpty())
        throw Failure(Failure::DeviceIOError,
                      QStringLiteral("%1, line %2: reading the script file failed: %3")
                          .arg(fileName, QString::number(lineNumber + 1), reader.ErrorString()));
}

} // namespace

void ScanScriptLine(const QString& Line, QString& Command, QString& Param1, QString& Param2) {
    Command.clear();
    Param1.clear();
    Param2.clear();
    QString line = Line;
    if (line.contains(u'\t'))
        line.replace(u'\t', u' ');
    const QStringView view(line);

    qsizetype pos = 0;
    const CommandWord* found = FindCommand(NextWord(view, pos));
    if (!found)
        return;
    Command = found->word;
    const QuotedPieces pieces(view);
    switch (found->arguments) {
    case Arguments::TwoQuoted:
        pieces.Require(*found, 3);
        Param1 = pieces.Piece(1);
        Param2 = pieces.Piece(3);
        break;
    case Arguments::OneQuoted:
        pieces.Require(*found, 1);
        Param1 = pieces.Piece(1);
        break;
    case Arguments::Selector:
        if (const std::optional<QLatin1StringView> selector = FindSelector(view, pos)) {
            pieces.Require(*found, 1);
            Param1 = *selector;
            Param2 = pieces.Piece(1);
        }
        break;
    }
}

void ExecuteScriptCommand(const QString& Command, const QString& Param1, const QString& Param2) {
    if (Command == QLatin1String("set")) {
        if (Param1 == QLatin1String("dbread") || Param1 == QLatin1String("prjread"))
            Select(ReadEditor, Param2);
        else if (Param1 == QLatin1String("dbwrite") || Param1 == QLatin1String("prjwrite"))
            Select(WriteEditor, Param2);
    } else if (Command == QLatin1String("copy")) {
        CopyAndPaste(EditorContract::Copy, Param1, Param2);
    } else if (Command == QLatin1String("copynonh")) {
        CopyAndPaste(EditorContract::Copynonh, Param1, Param2);
    } else if (Command == QLatin1String("updategroup")) {
        CBlindEditor& read = Side(ReadEditor, true);
        read.Start(MainKey);
        CBlindEditor& write = Side(WriteEditor, false);
        write.Start(MainKey);
        const QVariant copy = read.GlobalMessage(EditorContract::Copynonh, QVariantList{IndexGroups, Param1});
        write.GlobalMessage(EditorContract::Updategroup,
                            QVariantList{Param2, copy, Variant::Int16(UpdateFlag)});
    } else if (Command == QLatin1String("delete")) {
        CBlindEditor& write = Side(WriteEditor, false);
        write.Start(MainKey);
        write.GlobalMessage(EditorContract::Delete, QVariantList{IndexGroups, Param1});
    } else if (Command == QLatin1String("addlanguage")) {
        CBlindEditor& write = Side(WriteEditor, false);
        write.Start(MainKey);
        write.GlobalMessage(EditorContract::AddLanguage, QVariantList{Param1});
    } else if (Command == QLatin1String("rename")) {
        CBlindEditor& write = Side(WriteEditor, false);
        write.Start(MainKey);
        write.GlobalMessage(EditorContract::Rename, QVariantList{Param1, Param2});
    } else if (Command == QLatin1String("updateflag")) {
        SetUpdateFlag(Param1);
    }
}

void RunScriptFile(const QString& FileName, const ProgressHook& progress) {
    UpdateFlag = 3;
    ReleaseEditors();
    // However the run ends, both components are disconnected before it returns or throws.
    struct EditorRelease {
        ~EditorRelease() { ReleaseEditors(); }
    } release;

    ScriptFileReader reader(Prefix::ToLocalPathNoCase(FileName));
    OpenScript(reader, FileName);
    if (progress)
        progress(0, reader.LineCount(), QString());
    RunLines(reader, FileName, progress);
}

void mnuExtra_Click(int Index, QWidget* frame) {
    if (Index != 0)
        return;
    QFileDialog cdl(frame);
    cdl.setAcceptMode(QFileDialog::AcceptOpen);
    cdl.setFileMode(QFileDialog::ExistingFile);
    cdl.setNameFilter(QStringLiteral("*.txt"));
    cdl.setDirectory(QCoreApplication::applicationDirPath());
    if (cdl.exec() != QDialog::Accepted || cdl.selectedFiles().isEmpty())
        return;
    const QString fileName = cdl.selectedFiles().constFirst();

    try {
        // Shown once the file is settled, so a refused file shows only its failure.
        std::unique_ptr<ScriptProgressWindow> window;
        RunScriptFile(fileName, [&](qint64 lineNumber, qint64 lineCount, const QString& command) {
            if (!window)
                window = std::make_unique<ScriptProgressWindow>(frame, fileName, lineCount);
            window->Update(lineNumber, command);
        });
    } catch (const Failure& failure) {
        MessageBox::Show(failure.Text(), FailureTitle, MessageBox::Icon::Critical, frame);
    }
}

void ReleaseEditors() {
    ReadEditor.reset();
    WriteEditor.reset();
}

qint16 CurrentUpdateFlag() { return UpdateFlag; }

bool HasReadEditor() { return ReadEditor != nullptr; }

bool HasWriteEditor() { return WriteEditor != nullptr; }

} // namespace MScriptScan
