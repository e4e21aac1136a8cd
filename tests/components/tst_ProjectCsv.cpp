#include "ProjectFixture.h"

#include "ProjectData/CsvReader.h"
#include "ProjectData/GroupTransfer.h"
#include "studio/Failure.h"

#include <QTest>

class tst_ProjectCsv : public QObject {
    Q_OBJECT

    // Group names need the same quoting as texts.
    inline static const QString GroupPath = QStringLiteral("Grüße, \"A\"\\Zeile");

    QString Next() { return m_dir.filePath(QString("P%1.kxs").arg(m_counter++)); }

    static QByteArray RawExport(const QString& path, const QString& group = QString()) {
        ProjectFile project(path);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        ProjectCsv::Export(project, group, &buffer);
        return buffer.data();
    }

private Q_SLOTS:
    void init() { ProjectFixture::UsePrefix(m_prefix); }

    void exportFormat() {
        const QString path = Next();
        {
            auto project = ProjectFile::Create(path, {"1031", "en-US"});
            const qint64 b = project->EnsureGroup("B");
            const qint64 a = project->EnsureGroup("B\\A");
            project->EnsureGroup("Leer");
            project->SetText(a, 2, project->LanguageId("1031"), "zwei");
            project->SetText(b, 10, project->LanguageId("en-US"), "ten, \"quoted\"");
            project->SetText(b, 9, project->LanguageId("1031"), "neun");
        }
        QCOMPARE(RawExport(path), QByteArray("group,index,1031,en-US\r\n"
                                             "B,9,neun,\r\n"
                                             "B,10,,\"ten, \"\"quoted\"\"\"\r\n"
                                             "B\\A,2,zwei,\r\n"
                                             "Leer,,,\r\n"));
        QCOMPARE(RawExport(path, "b\\a"), QByteArray("group,index,1031,en-US\r\nB\\A,2,zwei,\r\n"));
        QVERIFY_THROWS_EXCEPTION(Failure, RawExport(path, "Fehlt"));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "Kessel";
        QTest::newRow("comma") << "Kessel, links";
        QTest::newRow("quotes") << "der \"große\" Kessel";
        QTest::newRow("line break LF") << "Zeile 1\nZeile 2";
        QTest::newRow("line break CRLF") << "Zeile 1\r\nZeile 2";
        QTest::newRow("only a quote") << "\"";
        QTest::newRow("UTF-8 beyond Latin-1") << "Ölstand € 😀 日本";
        QTest::newRow("surrounding blanks") << "  eingerückt ";
    }
    void roundTrip() {
        QFETCH(QString, text);
        const QString first = Next();
        {
            auto project = ProjectFile::Create(first, {"1031", "1033"});
            const qint64 group = project->EnsureGroup(GroupPath);
            project->SetText(group, 1, project->LanguageId("1031"), text);
            project->SetText(group, 2, project->LanguageId("1033"), text + text);
        }
        const QByteArray csv = RawExport(first);
        const QString second = Next();
        {
            auto project = ProjectFile::Create(second, {});
            // Two indexes, and a row for the parent group, which has no texts.
            QCOMPARE(ProjectCsv::Import(*project, csv, "export.csv"), 3);
        }
        QCOMPARE(RawExport(second), csv);
        ProjectFile read(second);
        QCOMPARE(ProjectFixture::Dump(GroupTransfer::Copy(read, GroupPath, true)).value(1), "1/0 " + text);
    }

    void importSetsTextsAndAddsLanguages() {
        const QString path =
            ProjectFixture::Make(m_dir, "Imp.kxs", "group,index,1031,1033\nA,1,a,one\nA,2,b,two\n");
        ProjectFile project(path);
        // A row sets the texts of the header's languages; an empty cell removes one.
        ProjectCsv::Import(project, "\xEF\xBB\xBFgroup,index,1033,fr\r\nA,1,,un\r\nA,3,three,trois",
                           "more.csv");
        QCOMPARE(project.Languages(), QStringList({"1031", "1033", "fr"}));
        QCOMPARE(ProjectFixture::Export(path), QByteArray("group,index,1031,1033,fr\n"
                                                          "A,1,a,,un\n"
                                                          "A,2,b,two,\n"
                                                          "A,3,,three,trois\n"));
    }

    void malformedChangesNothing_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("why");
        QTest::newRow("no header") << QByteArray("")
                                   << "line 1: no header (expected group,index,<language>...)";
        QTest::newRow("header without group,index")
            << QByteArray("gruppe,index,1031\n") << "line 1: the header must begin with group,index";
        QTest::newRow("language twice in header")
            << QByteArray("group,index,1031,1031\n") << "line 1: language \"1031\" twice in the header";
        QTest::newRow("too few fields")
            << QByteArray("group,index,1031,1033\nB,1,x,y\nB,2,x\n") << "line 3: expected 4 fields, found 3";
        QTest::newRow("too many fields")
            << QByteArray("group,index,1031,1033\nB,1,x,y,z\n") << "line 2: expected 4 fields, found 5";
        QTest::newRow("index not a number") << QByteArray("group,index,1031,1033\nB,1,x,y\nB,zwei,x,y\n")
                                            << "line 3: index \"zwei\" is not a whole number";
        QTest::newRow("empty group") << QByteArray("group,index,1031,1033\n,1,x,y\n") << "line 2: no group";
        QTest::newRow("empty group level") << QByteArray("group,index,1031,1033\nB\\\\C,1,x,y\n")
                                           << "line 2: group \"B\\\\C\" has an empty level";
        QTest::newRow("texts without index")
            << QByteArray("group,index,1031,1033\nB,,x,\n") << "line 2: texts without an index";
        QTest::newRow("index twice") << QByteArray("group,index,1031,1033\nb,7,x,y\nB,7,x,y\n")
                                     << "line 3: index 7 of group \"B\" twice";
        QTest::newRow("index twice before a malformed row")
            << QByteArray("group,index,1031,1033\nB,7,x,y\nB,7,x,y\nB,8\n")
            << "line 3: index 7 of group \"B\" twice";
        QByteArray many("group,index,1031,1033\n");
        for (int i = 1; i <= 150; ++i)
            many += "B," + QByteArray::number(i) + ",x,y\n";
        QTest::newRow("index twice, far apart") << many + "B,2,x,y\nB,200,x,y\n"
                                                << "line 152: index 2 of group \"B\" twice";
        QTest::newRow("quote never closed, line of its record")
            << QByteArray("group,index,1031,1033\nB,1,x,y\nB,2,\"offen\nweiter,y\n")
            << "line 3: a quoted field is never closed";
        QTest::newRow("text after closing quote") << QByteArray("group,index,1031,1033\nB,1,\"x\"y,z\n")
                                                  << "line 2: text after the closing quote of field 3";
        QTest::newRow("stray quote in plain field") << QByteArray("group,index,1031,1033\nB,1,x\"y,z\n")
                                                    << "line 2: a quote inside field 3 that is not quoted";
        QTest::newRow("not UTF-8, line after a multi-line cell")
            << QByteArray("group,index,1031,1033\nB,1,\"a\nb\",y\nB,2,\xff,y\n") << "line 4: not UTF-8 text";
        QTest::newRow("CR line ends, line after a multi-line cell and an empty line")
            << QByteArray("group,index,1031,1033\rB,1,\"a\rb\",y\r\rB,zwei,x,y\r")
            << "line 5: index \"zwei\" is not a whole number";
        QTest::newRow("mixed line ends")
            << QByteArray("group,index,1031,1033\r\nB,1,x,y\rB,2,x,y\nB,3,\"x\"y,z\r\n")
            << "line 4: text after the closing quote of field 3";
    }
    void malformedChangesNothing() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, why);
        const QString path =
            ProjectFixture::Make(m_dir, QString("Bad%1.kxs").arg(m_counter++), "group,index,1031\nA,1,a\n");
        const QByteArray before = RawExport(path);
        ProjectFile project(path);
        try {
            ProjectCsv::Import(project, csv, "in.csv");
            QFAIL("imported");
        } catch (const Failure& failure) {
            QCOMPARE(failure.Description(), QString("in.csv %1; nothing imported").arg(why));
        }
        QCOMPARE(RawExport(path), before);
        QCOMPARE(project.Languages(), QStringList{"1031"});
    }

    // Records, their lines and the first fault must not depend on where a buffer ends.
    void smallBuffersReadTheSame_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("quoted line breaks of every kind, doubled quotes and a mark") << QByteArray(
            "\xEF\xBB\xBFgroup,index,1031\r\nA,1,\"x\r\ny\"\"\rz\nw\"\r\n\r\rA,2,\"\"\"\"\rB,,\n");
        QTest::newRow("UTF-8 split anywhere")
            << QByteArray("g,i,\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80\nA,\"\xc3\xbc\"\n");
        QTest::newRow("quote never closed") << QByteArray("g,i,l\r\nA,1,\"x\r\ny\r\n");
        QTest::newRow("text after a closing quote") << QByteArray("g,i,l\rA,1,\"x\r\n\"y\r");
        QTest::newRow("not UTF-8 after a line break") << QByteArray("g,i\r\n\"a\r\nb\",\xc3\n");
    }
    void smallBuffersReadTheSame() {
        QFETCH(QByteArray, csv);
        const auto read = [&](qsizetype bufferSize) {
            QBuffer device(&csv);
            device.open(QIODevice::ReadOnly);
            CsvReader reader(&device, bufferSize);
            QStringList seen;
            CsvRecord record;
            try {
                while (reader.Next(&record))
                    seen << QString::number(record.line) + ':' + QString::fromUtf8(record.fields.join('|'));
            } catch (const CsvError& error) {
                seen << QString("line %1: %2").arg(error.line).arg(error.what);
            }
            return seen;
        };
        const QStringList whole = read(csv.size());
        for (qsizetype size = 1; size <= 4; ++size)
            QCOMPARE(read(size), whole);
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_prefix;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_ProjectCsv)
#include "tst_ProjectCsv.moc"
