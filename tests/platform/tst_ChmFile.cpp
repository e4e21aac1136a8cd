#include "platform/help/ChmFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <functional>

// The fixture maps context 1234 to sub/topic.htm (written by the compiler as its absolute build
// path) and nothing else; its default topic is start.htm.
class tst_ChmFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void records();
    void resolveTopic_data();
    void resolveTopic();
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

// The system records, the context map (1234 only, as the compiler wrote it: its build folder
// first) and reading objects in any spelling.
void tst_ChmFile::records() {
    QCOMPARE(m_file->Title(), QStringLiteral("Testhilfe Fixture"));
    QCOMPARE(m_file->DefaultTopic(), QStringLiteral("/start.htm"));
    QCOMPARE(m_file->ContentsFile(), QStringLiteral("/Fixture.hhc"));
    const std::optional<QString> written = m_file->ContextTopic(1234);
    QVERIFY(written && written->endsWith(QLatin1String("sub/topic.htm")));
    QCOMPARE(m_file->ResolveTopic(*written), QStringLiteral("/sub/topic.htm"));
    for (const quint32 unmapped : {4321u, 0u, 1u /* an offset value, no context number */})
        QVERIFY(!m_file->ContextTopic(unmapped));
    const std::optional<QByteArray> page = m_file->Read(QStringLiteral("SUB\\OTHER.HTM"));
    QVERIFY(page && page->contains("Zweiter Teil mit Umlauten: \xc3\xa4\xc3\xb6\xc3\xbc"));
    const std::optional<QByteArray> picture = m_file->Read(QStringLiteral("/sub/dot.png"));
    QVERIFY(picture && picture->startsWith("\x89PNG"));
    QVERIFY(!m_file->Read(QStringLiteral("/sub/missing.htm")));
}

void tst_ChmFile::resolveTopic_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("resolved");
    // clang-format off
    QTest::newRow("absolute in the file") << "/sub/topic.htm" << "/sub/topic.htm";
    QTest::newRow("leading backslash") << "\\sub\\topic.htm" << "/sub/topic.htm";
    QTest::newRow("other case") << "SUB/Topic.HTM" << "/sub/topic.htm";
    QTest::newRow("absolute build path of a Windows compiler") << "C:\\Projekte\\Hilfe\\sub\\topic.htm" << "/sub/topic.htm";
    QTest::newRow("build path before a top-level topic") << "/build/start.htm" << "/start.htm";
    QTest::newRow("anchor kept") << "sub/other.htm#teil2" << "/sub/other.htm#teil2";
    QTest::newRow("file name before the topic") << "Fixture.chm::/sub/topic.htm" << "/sub/topic.htm";
    QTest::newRow("store link with anchor") << "mk:@MSITStore:C:\\Hilfe\\Fixture.chm::/sub/other.htm#teil2" << "/sub/other.htm#teil2";
    QTest::newRow("dot levels") << "./sub/../sub/./topic.htm" << "/sub/topic.htm";
    QTest::newRow("surrounding blanks") << "  sub/topic.htm " << "/sub/topic.htm";
    QTest::newRow("missing topic") << "sub/missing.htm" << "";
    QTest::newRow("missing topic under a build path") << "/work/sub/nothing/topic.htm" << "";
    QTest::newRow("folder only") << "/sub/" << "";
    QTest::newRow("empty") << "" << "";
    // clang-format on
}

void tst_ChmFile::resolveTopic() {
    QFETCH(QString, written);
    QFETCH(QString, resolved);
    QCOMPARE(m_file->ResolveTopic(written), resolved);
}

namespace {

QByteArray Toolbox() {
    QFile file(QStringLiteral(KX4_HELP_TOOLBOX));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where the object's bytes begin: its directory entry (after the path, a compressed section number
// and start) plus the data offset of the header.
qsizetype ObjectAt(const QByteArray& file, const QByteArray& path) {
    qsizetype at = file.indexOf(path) + path.size() + 1;
    quint64 start = 0;
    for (; quint8(file.at(at)) >= 0x80; ++at)
        start = (start << 7) | (quint8(file.at(at)) & 0x7f);
    start = (start << 7) | quint8(file.at(at));
    return qsizetype(qFromLittleEndian<quint64>(file.constData() + 0x58) + start);
}

const QByteArray ControlData("::DataSpace/Storage/MSCompressed/ControlData");

// The help file with the bytes at offset (given the file) set to value.
QByteArray Patched(const std::function<qsizetype(const QByteArray&)>& offset, QByteArray value) {
    QByteArray bytes = Toolbox();
    bytes.replace(offset(bytes), value.size(), value);
    return bytes;
}

// The help file with its system file's length (a compressed number after the name, the section
// and the start) grown past the end of the file.
QByteArray SystemFileLongerThanTheFile() {
    QByteArray bytes = Toolbox();
    qsizetype at = bytes.indexOf("/#SYSTEM") + 8 + 1;
    while (quint8(bytes.at(at)) >= 0x80)
        ++at;
    bytes[at + 1] = char(0xff);
    return bytes;
}

} // namespace

void tst_ChmFile::openFailure_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    const QString notHelp = QStringLiteral("it is not a compiled help file");
    const QString damaged = QStringLiteral("the file is damaged");
    QTest::newRow("missing file") << "missing.chm" << QByteArray() << "the file does not exist";
    QTest::newRow("folder") << "folder.chm" << QByteArray() << "it is not a file";
    QTest::newRow("text file") << "text.chm" << QByteArray("Keine Hilfedatei\n") << notHelp;
    QTest::newRow("header only") << "header.chm" << QByteArray("ITSF") << notHelp;
    QTest::newRow("help file cut short") << "cut.chm" << Toolbox().left(120) << damaged;
    // Each of these once ended the process that read the file.
    // clang-format off
    QTest::newRow("no windows per reset") << "a.chm" << Patched([](const QByteArray& f) { return ObjectAt(f, ControlData) + 0x14; }, QByteArray(4, 0)) << damaged;
    QTest::newRow("reset table block length zero") << "b.chm" << Patched([](const QByteArray& f) { return ObjectAt(f, "InstanceData/ResetTable") + 0x20; }, QByteArray(8, 0)) << damaged;
    QTest::newRow("directory chunk followed by itself") << "c.chm" << Patched([](const QByteArray& f) { return qFromLittleEndian<qint64>(f.constData() + 0x48) + 0x54 + 0x10; }, QByteArray(4, 0)) << damaged;
    QTest::newRow("LZX version unknown, window of two bytes") << "d.chm" << Patched([](const QByteArray& f) { return ObjectAt(f, ControlData) + 8; }, "\x01") << damaged;
    QTest::newRow("object longer than the file") << "e.chm" << SystemFileLongerThanTheFile() << damaged;
    // clang-format on
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
    QTest::addColumn<quint32>("languageId");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("UTF-8 whatever the language") << QByteArray("\xc3\x9c" "bersicht") << 0x0419u << QString::fromUtf8("Übersicht");
    QTest::newRow("German: Western code page") << QByteArray("\xdc" "bersicht \x84Hilfe\x93") << 0x0407u << QString::fromUtf8("Übersicht „Hilfe“");
    QTest::newRow("Russian: Cyrillic code page") << QByteArray("\xd1\xef\xf0\xe0\xe2\xea\xe0") << 0x0419u << QString::fromUtf8("Справка");
    QTest::newRow("Polish: Central European code page") << QByteArray("Pomoc \xb9\xea") << 0x0415u << QString::fromUtf8("Pomoc ąę");
    QTest::newRow("Japanese: Shift JIS") << QByteArray("\x83\x77\x83\x8b\x83\x76") << 0x0411u << QString::fromUtf8("ヘルプ");
    QTest::newRow("no language: Western") << QByteArray("gr\xf6\xdf") << 0u << QString::fromUtf8("größ");
    // clang-format on
}

void tst_ChmFile::decodeText() {
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, languageId);
    QFETCH(QString, text);
    QCOMPARE(ChmFile::DecodeText(bytes, ChmFile::CodePageOf(languageId)), text);
}

QTEST_GUILESS_MAIN(tst_ChmFile)
#include "tst_ChmFile.moc"
