// libFuzzer target for the help file reader. An input is either a compiled help file ("ITSF...")
// or the help reader's output (ChmStream.h). A help file goes through the checks in this process
// and, when it passes them, through the reader process, as the viewer opens it; the reader's output
// goes straight to ChmFile. Whatever the file holds, the viewer's side then reads it as a help
// window would. Nothing here may crash, hang or leak; the reader process may die, which the viewer
// reports as a damaged file.
#include "platform/help/ChmFile.h"
#include "platform/help/ChmIndex.h"
#include "platform/help/ChmSitemap.h"
#include "platform/help/HelpSearchIndex.h"
#include "platform/help/reader/ChmCheck.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTemporaryFile>

namespace {

void ReadAsTheViewerDoes(const ChmFile& file) {
    (void)file.Title();
    (void)file.ResolveTopic(file.DefaultTopic());
    for (quint32 context : {0u, 1u, 1234u, 60002u})
        if (const std::optional<QString> topic = file.ContextTopic(context))
            (void)file.ResolveTopic(*topic);
    if (const QString contents = file.ContentsFile(); !contents.isEmpty())
        if (const std::optional<QByteArray> bytes = file.Read(contents))
            (void)ChmSitemap::Parse(file.Html(*bytes));
    const QList<IndexEntry> keywords = ChmIndex::Read(file);
    (void)ChmIndex::ReadBinary(file);
    (void)ChmIndex::Filter(keywords, QStringLiteral("ko"));
    const HelpSearchIndex search = HelpSearchIndex::Build(file);
    (void)search.Search(QStringLiteral("kopieren gruppe"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The reader is found beside the running program, as the viewer finds it.
    static QCoreApplication application(*argc, *argv);
    QLoggingCategory::setFilterRules(QStringLiteral("kx4.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    std::unique_ptr<ChmFile> file;
    if (input.startsWith("ITSF")) {
        // The reader refuses what the checks refuse; only a sound file is worth a process.
        if (ChmCheck::Check(data, size).verdict != ChmCheck::Verdict::Sound)
            return 0;
        QTemporaryFile chm;
        if (!chm.open() || chm.write(input) != input.size() || !chm.flush())
            return 0;
        file = ChmFile::Open(chm.fileName());
    } else {
        file = ChmFile::FromReaderOutput(input, QStringLiteral("fuzz.chm"));
    }
    if (file)
        ReadAsTheViewerDoes(*file);
    return 0;
}
