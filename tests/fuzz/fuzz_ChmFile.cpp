// Help file reader on a help file (ITSF..., via the reader process once checked sound) or reader output.
#include "platform/help/ChmFile.h"
#include "platform/help/ChmIndex.h"
#include "platform/help/ChmSitemap.h"
#include "platform/help/HelpSearchIndex.h"
#include "platform/help/reader/ChmCheck.h"

#include "FuzzCheck.h"

#include <QCoreApplication>
#include <QTemporaryFile>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv); // the reader is found beside the program
    return 0;
}

KX4_FUZZ_TARGET(input) {
    std::unique_ptr<ChmFile> file;
    QTemporaryFile chm;
    if (!input.startsWith("ITSF"))
        file = ChmFile::FromReaderOutput(input, QStringLiteral("fuzz.chm"));
    // Only a file the checks find sound is worth a reader process.
    else if (ChmCheck::Check(reinterpret_cast<const uint8_t*>(input.constData()), input.size()).verdict ==
                 ChmCheck::Verdict::Sound &&
             chm.open() && chm.write(input) == input.size() && chm.flush())
        file = ChmFile::Open(chm.fileName());
    if (!file)
        return;
    (void)file->Title();
    (void)file->ResolveTopic(file->DefaultTopic());
    for (quint32 context : {0u, 1u, 1234u, 60002u})
        if (const std::optional<QString> topic = file->ContextTopic(context))
            (void)file->ResolveTopic(*topic);
    if (const QString contents = file->ContentsFile(); !contents.isEmpty())
        if (const std::optional<QByteArray> bytes = file->Read(contents))
            (void)ChmSitemap::Parse(file->Html(*bytes));
    (void)ChmIndex::Filter(ChmIndex::Read(*file), QStringLiteral("ko"));
    (void)ChmIndex::ReadBinary(*file);
    (void)HelpSearchIndex::Build(*file).Search(QStringLiteral("kopieren gruppe"));
}
