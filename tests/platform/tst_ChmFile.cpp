#include "platform/help/ChmFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

// The fixture maps context 1234 to sub/topic.htm (written by the compiler as its absolute build
// path) and nothing else; its default topic is start.htm.
class tst_ChmFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void systemRecords();
    void contextTopic_data();
    void contextTopic();
    void resolveTopic_data();
    void resolveTopic();
    void read();
    void openFailure_data();
    void openFailure();
    void decodeText_data();
    void decodeText();

private:
    std::unique_ptr<ChmFile> m_file;
};

void tst_ChmFile::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English));
    QString why;
    m_file = ChmFile::Open(QStringLiteral(KX4_HELP_FIXTURE), &why);
    QVERIFY2(m_file, qPrintable(why));
}

void tst_ChmFile::systemRecords() {
    QCOMPARE(m_file->Title(), QStringLiteral("Testhilfe Fixture"));
    QCOMPARE(m_file->DefaultTopic(), QStringLiteral("/start.htm"));
    QCOMPARE(m_file->ContentsFile(), QStringLiteral("/Fixture.hhc"));
}

void tst_ChmFile::contextTopic_data() {
    QTest::addColumn<quint32>("contextId");
    QTest::addColumn<bool>("mapped");
    QTest::addColumn<QString>("topic");
    QTest::newRow("mapped number gives its topic") << 1234u << true << "/sub/topic.htm";
    QTest::newRow("unmapped number gives none") << 4321u << false << "";
    QTest::newRow("zero is not mapped") << 0u << false << "";
    QTest::newRow("offset value is no context number") << 1u << false << "";
}

void tst_ChmFile::contextTopic() {
    QFETCH(quint32, contextId);
    QFETCH(bool, mapped);
    QFETCH(QString, topic);
    const std::optional<QString> written = m_file->ContextTopic(contextId);
    QCOMPARE(written.has_value(), mapped);
    if (mapped) {
        // As the compiler wrote it (its build folder first); resolving drops what the file lacks.
        QVERIFY2(written->endsWith(QLatin1String("sub/topic.htm")), qPrintable(*written));
        QCOMPARE(m_file->ResolveTopic(*written), topic);
    }
}

void tst_ChmFile::resolveTopic_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("resolved");
    QTest::newRow("relative path") << "sub/topic.htm"
                                   << "/sub/topic.htm";
    QTest::newRow("absolute in the file") << "/sub/topic.htm"
                                          << "/sub/topic.htm";
    QTest::newRow("backslashes") << "sub\\topic.htm"
                                 << "/sub/topic.htm";
    QTest::newRow("leading backslash") << "\\sub\\topic.htm"
                                       << "/sub/topic.htm";
    QTest::newRow("other case") << "SUB/Topic.HTM"
                                << "/sub/topic.htm";
    QTest::newRow("absolute build path of a Linux compiler") << "/home/builder/projekt/hilfe/sub/topic.htm"
                                                             << "/sub/topic.htm";
    QTest::newRow("absolute build path of a Windows compiler") << "C:\\Projekte\\Hilfe\\sub\\topic.htm"
                                                               << "/sub/topic.htm";
    QTest::newRow("build path before a top-level topic") << "/build/start.htm"
                                                         << "/start.htm";
    QTest::newRow("anchor kept") << "sub/other.htm#teil2"
                                 << "/sub/other.htm#teil2";
    QTest::newRow("build path with anchor") << "/tmp/x/sub/other.htm#teil2"
                                            << "/sub/other.htm#teil2";
    QTest::newRow("file name before the topic") << "Fixture.chm::/sub/topic.htm"
                                                << "/sub/topic.htm";
    QTest::newRow("store link with anchor") << "mk:@MSITStore:C:\\Hilfe\\Fixture.chm::/sub/other.htm#teil2"
                                            << "/sub/other.htm#teil2";
    QTest::newRow("dot levels") << "./sub/../sub/./topic.htm"
                                << "/sub/topic.htm";
    QTest::newRow("surrounding blanks") << "  sub/topic.htm "
                                        << "/sub/topic.htm";
    QTest::newRow("missing topic") << "sub/missing.htm"
                                   << "";
    QTest::newRow("missing topic under a build path") << "/work/sub/nothing/topic.htm"
                                                      << "";
    QTest::newRow("folder only") << "/sub/"
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_ChmFile::resolveTopic() {
    QFETCH(QString, written);
    QFETCH(QString, resolved);
    QCOMPARE(m_file->ResolveTopic(written), resolved);
}

void tst_ChmFile::read() {
    const std::optional<QByteArray> page = m_file->Read(QStringLiteral("SUB\\OTHER.HTM"));
    QVERIFY(page);
    QVERIFY(page->contains("Zweiter Teil mit Umlauten: \xc3\xa4\xc3\xb6\xc3\xbc"));
    const std::optional<QByteArray> picture = m_file->Read(QStringLiteral("/sub/dot.png"));
    QVERIFY(picture);
    QVERIFY(picture->startsWith("\x89PNG"));
    QVERIFY(!m_file->Read(QStringLiteral("/sub/missing.htm")));
}

void tst_ChmFile::openFailure_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    QTest::newRow("missing file") << "missing.chm" << QByteArray() << "the file does not exist";
    QTest::newRow("folder") << "folder.chm" << QByteArray() << "it is not a file";
    QTest::newRow("empty file") << "empty.chm" << QByteArray("") << "it is not a compiled help file";
    QTest::newRow("text file") << "text.chm" << QByteArray("Keine Hilfedatei\n")
                               << "it is not a compiled help file";
    QTest::newRow("header only") << "header.chm" << QByteArray("ITSF") << "it is not a compiled help file";
    QFile fixture(QStringLiteral(KX4_HELP_FIXTURE));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    QTest::newRow("help file cut short")
        << "cut.chm" << fixture.read(120) << "it is not a compiled help file";
}

void tst_ChmFile::openFailure() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, why);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    if (name == QLatin1String("folder.chm")) {
        QVERIFY(QDir().mkpath(path));
    } else if (!content.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QString reason;
    QVERIFY(!ChmFile::Open(path, &reason));
    QCOMPARE(reason, why);
}

void tst_ChmFile::decodeText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain ASCII") << QByteArray("Hilfe") << "Hilfe";
    QTest::newRow("UTF-8 umlauts") << QByteArray("\xc3\x9c"
                                                 "bersicht")
                                   << QString::fromUtf8("Übersicht");
    QTest::newRow("Western code page umlauts") << QByteArray("\xdc"
                                                             "bersicht")
                                               << QString::fromUtf8("Übersicht");
    QTest::newRow("Western code page quotes") << QByteArray("\x84Hilfe\x93") << QString::fromUtf8("„Hilfe“");
}

void tst_ChmFile::decodeText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(ChmFile::DecodeText(bytes), text);
}

QTEST_GUILESS_MAIN(tst_ChmFile)
#include "tst_ChmFile.moc"
