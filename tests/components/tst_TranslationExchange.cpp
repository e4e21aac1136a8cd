#include "ProjectFixture.h"

#include "ProjectData/ProjectTransaction.h"
#include "ProjectData/TranslationExport.h"
#include "ProjectData/TranslationImport.h"
#include "common/TestSupport.h"

#include <QProcess>
#include <QSaveFile>
#include <QTest>

namespace {

const QString Lconvert = QStringLiteral("/usr/lib/qt6/bin/lconvert");

const QByteArray Base = "group,index,1031,1033\n"
                        "A,1,Kessel,Boiler\n"
                        "A,2,Ventil,\n"
                        "A\\B,7,Druck,Pressure\n";

QByteArray PoHeader(const char* language = "en-US", const char* source = "de-DE",
                    const char* charset = "UTF-8") {
    return QByteArray("msgid \"\"\nmsgstr \"\"\n\"Language: ") + language +
           "\\n\"\n\"Content-Type: text/plain; charset=" + charset + "\\n\"\n\"X-Source-Language: " + source +
           "\\n\"\n\n";
}

QByteArray Xliff(const QByteArray& units, const char* target = "en-US") {
    return QByteArray("<?xml version=\"1.0\"?>\n<xliff version=\"1.2\" "
                      "xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n<file source-language=\"de-DE\" "
                      "target-language=\"") +
           target + "\" datatype=\"plaintext\"><body>\n" + units + "</body></file></xliff>\n";
}

// The exit status of a translation tool and what it said on standard error, less the warning
// gettext gives for every carriage return (which it carries all the same).
struct ToolRun {
    int status = -1;
    QString complaints;
};

ToolRun RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        run.complaints = program + ": " + process.errorString() + " (make deps installs it)";
        return run;
    }
    run.status = process.exitCode();
    for (const QString& line : QString::fromUtf8(process.readAllStandardError()).split('\n')) {
        if (!line.isEmpty() && !line.contains("should not contain the '\\r' escape sequence"))
            run.complaints += line + '\n';
    }
    return run;
}

} // namespace

class tst_TranslationExchange : public QObject {
    Q_OBJECT

    // Group names travel inside the ids, so they carry the awkward characters too; lconvert
    // writes ids into .ts files without escaping them, so its files get a plainer path.
    inline static const QString GroupPath = QStringLiteral("Grüße, \"A\"\\Zeile <1> & 'x'");
    inline static const QString PlainGroupPath = QStringLiteral("Grüße\\Zeile 1");

    QString Next(const char* suffix = "kxs") {
        return m_dir.filePath(QString("F%1.%2").arg(m_counter++).arg(suffix));
    }

    // Index 1 has both texts, 2 only the source, 3 only the target, -7 lies in a subgroup.
    QString MakeProject(const QString& groupPath, const QString& text, bool withTargets) {
        const QString path = Next();
        auto project = ProjectFile::Create(path, {"1031", "1033", "1040"});
        ProjectTransaction transaction(project->Database(), ProjectTransaction::Kind::Write);
        const qint64 de = project->LanguageId("1031");
        const qint64 en = project->LanguageId("1033");
        const qint64 it = project->LanguageId("1040");
        const qint64 group = project->EnsureGroup(groupPath);
        const qint64 sub = project->EnsureGroup(groupPath + "\\Unter");
        project->SetText(group, 1, de, text);
        project->SetText(group, 2, de, text);
        project->SetText(group, 3, it, text);
        project->SetText(sub, -7, de, text);
        if (withTargets) {
            project->SetText(group, 1, en, text + text);
            project->SetText(group, 3, en, text);
            project->SetText(sub, -7, en, text);
        }
        transaction.Commit();
        return path;
    }

    QString ExportFile(const QString& project, TranslationFormat format, const QString& group = QString()) {
        const QString path = Next(format == TranslationFormat::Xliff ? "xlf" : "po");
        QSaveFile file(path);
        file.open(QIODevice::WriteOnly);
        TranslationExport::Write(ProjectFile(project), {format, "1031", "1033", group}, &file);
        file.commit();
        return path;
    }

    QString Written(const QString& suffix, const QByteArray& bytes) {
        const QString path = Next(qPrintable(suffix));
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
    }

    static QByteArray Read(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    // A file that the tools below have rewritten, or an empty path with the reason in *why.
    QString Rewritten(const QString& route, const QString& file, QString* why) {
        const QString out = Next(route == "lconvert" ? "xlf" : "po");
        QList<ToolRun> runs;
        if (route == "msgcat")
            runs << RunTool("msgcat", {"--sort-output", "--width=20", file, "-o", out});
        else if (route == "msgmerge")
            runs << RunTool("msgmerge", {"--quiet", "--width=30", file, file, "-o", out});
        else if (route == "lconvert")
            runs << RunTool(Lconvert, {"-i", file, "-o", out + ".ts"})
                 << RunTool(Lconvert, {"-i", out + ".ts", "-o", out});
        else
            return file;
        for (const ToolRun& run : runs) {
            if (run.status != 0 || !run.complaints.isEmpty())
                *why = QString("%1: status %2 %3").arg(route).arg(run.status).arg(run.complaints);
        }
        return why->isEmpty() ? out : QString();
    }

    // What the real clients say about a file we wrote: nothing.
    static QString Complaints(const QString& file) {
        QList<ToolRun> runs;
        if (file.endsWith(".po"))
            runs << RunTool("msgfmt", {"--check-format", "-o", "/dev/null", file})
                 << RunTool("msgfmt", {"--check", "-o", "/dev/null", file})
                 << RunTool("msgcat", {file, "-o", "/dev/null"});
        else
            runs << RunTool("xmllint", {"--noout", file});
        QString complaints;
        for (const ToolRun& run : runs) {
            if (run.status != 0 || !run.complaints.isEmpty())
                complaints += QString("status %1: %2").arg(run.status).arg(run.complaints);
        }
        return complaints;
    }

private Q_SLOTS:
    void init() { ProjectFixture::UsePrefix(m_prefix); }

    // Every text reaches the file and comes back byte for byte, directly and after tools that
    // rewrite the file; the tools find nothing wrong with what we wrote.
    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("plain") << "Kessel";
        QTest::newRow("line breaks, leading and at the end") << "\nZeile 1\nZeile 2\n";
        QTest::newRow("CRLF and a lone carriage return") << "Zeile 1\r\nZeile 2\rb";
        QTest::newRow("quotes, backslashes, tabs, PO syntax") << "der \"große\" C:\\Pfad\\n\\\\\ta\tb\nmsgid \"x\"\n#, fuzzy";
        QTest::newRow("surrounding blanks and scripts") << "  Ölstand € 😀 日本語 العربية  ";
        QTest::newRow("only blanks") << "   ";
        QTest::newRow("markup, entities, format directives") << "<b>&amp; ]]> &lt;/b> %d %s %1 %%";
        // clang-format on
    }
    void roundTrip() {
        QFETCH(QString, text);
        QHash<QString, std::pair<QString, QString>> made; // group path: translated, untranslated
        const QStringList routes = {"xliff", "po", "msgcat", "msgmerge", "lconvert"};
        for (const QString& route : routes) {
            // lconvert turns carriage returns into line feeds on its own.
            if (route == "lconvert" && text.contains('\r'))
                continue;
            const QString groupPath = route == "lconvert" ? PlainGroupPath : GroupPath;
            if (!made.contains(groupPath))
                made.insert(groupPath,
                            {MakeProject(groupPath, text, true), MakeProject(groupPath, text, false)});
            const auto [original, untranslated] = made.value(groupPath);
            const bool xliff = route == "xliff" || route == "lconvert";
            const QString file =
                ExportFile(original, xliff ? TranslationFormat::Xliff : TranslationFormat::Po);
            const QString complaints = Complaints(file);
            QVERIFY2(complaints.isEmpty(), qPrintable(route + ": " + complaints));
            QString why;
            const QString rewritten = Rewritten(route, file, &why);
            QVERIFY2(!rewritten.isEmpty(), qPrintable(why));
            const QString fresh = Next();
            QVERIFY(QFile::copy(untranslated, fresh));
            ProjectFile project(fresh);
            const auto summary = TranslationImport::ApplyFile(project, rewritten, false);
            QVERIFY2(summary.changedSources.isEmpty(), qPrintable(route));
            QVERIFY2(ProjectFixture::Export(fresh) == ProjectFixture::Export(original),
                     qPrintable(route + ":\n" + ProjectFixture::Export(fresh)));
        }
    }

    // The shape of the files: the group tree, the ids, what marks a missing translation, and that
    // an index without a source text stays an entry rather than a second header.
    void exportedFiles() {
        const QString path = ProjectFixture::Make(m_dir, "Form.kxs",
                                                  "group,index,1031,1033,1040\n"
                                                  "A,1,Kessel,Boiler,\n"
                                                  "A,2,Ventil,,valvola\n"
                                                  "A\\B,1,,Pressure,\n"
                                                  "A\\B,2,\"Zeile\n\",line,\n"
                                                  "Leer,,,,\n"
                                                  "Nur,1,,,solo\n");
        QCOMPARE(
            Read(ExportFile(path, TranslationFormat::Xliff)),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\" version=\"1.2\">\n"
                       "    <file original=\"Form.kxs\" datatype=\"plaintext\" source-language=\"de-DE\" "
                       "target-language=\"en-US\">\n"
                       "        <body>\n"
                       "            <group resname=\"A\">\n"
                       "                <trans-unit id=\"A\\1\" xml:space=\"preserve\">\n"
                       "                    <source>Kessel</source>\n"
                       "                    <target>Boiler</target>\n"
                       "                </trans-unit>\n"
                       "                <trans-unit id=\"A\\2\" xml:space=\"preserve\">\n"
                       "                    <source>Ventil</source>\n"
                       "                    <target state=\"needs-translation\"/>\n"
                       "                </trans-unit>\n"
                       "                <group resname=\"B\">\n"
                       "                    <trans-unit id=\"A\\B\\1\" xml:space=\"preserve\">\n"
                       "                        <source></source>\n"
                       "                        <target>Pressure</target>\n"
                       "                    </trans-unit>\n"
                       "                    <trans-unit id=\"A\\B\\2\" xml:space=\"preserve\">\n"
                       "                        <source>Zeile\n</source>\n"
                       "                        <target>line</target>\n"
                       "                    </trans-unit>\n"
                       "                </group>\n"
                       "            </group>\n"
                       "        </body>\n"
                       "    </file>\n"
                       "</xliff>\n"));
        // The header is read back by every import; an entry's source and target end alike in a
        // line break or it is marked fuzzy, as gettext demands.
        const QString po = QString::fromUtf8(Read(ExportFile(path, TranslationFormat::Po, "a\\b")));
        QCOMPARE(po.mid(po.indexOf("\n\nmsgctxt")),
                 QString("\n\nmsgctxt \"A\\\\B\\\\1\"\nmsgid \"\"\nmsgstr \"Pressure\"\n\n"
                         "#, fuzzy\nmsgctxt \"A\\\\B\\\\2\"\nmsgid \"Zeile\\n\"\nmsgstr \"line\"\n"));
    }

    void exportRefuses_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("why");
        // clang-format off
        QTest::newRow("a control character XML cannot carry") << QByteArray("group,index,1031,1033\nA,1,a,b\nA,3,,\"a\x01" "b\"\n") << "1031" << "1033" << "a text of index group \"A\" index 3 in <project> holds U+0001, which XLIFF and PO cannot carry";
        QTest::newRow("a language without a tag") << QByteArray("group,index,Deutsch,1033\nA,1,a,b\n") << "deutsch" << "1033" << "language \"Deutsch\" has no BCP 47 tag (name languages by locale id, such as 1031, or by tag, such as de-DE)";
        QTest::newRow("one language by id and by tag") << QByteArray("group,index,1031,1033\nA,1,a,b\n") << "1031" << "de_de" << "source and target are both de-DE";
        // clang-format on
    }
    void exportRefuses() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, why);
        const QString path = ProjectFixture::Make(m_dir, QString("P%1.kxs").arg(m_counter++), csv);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const std::optional<Failure> failure = TestSupport::FailureOf([&] {
            TranslationExport::Write(ProjectFile(path), {TranslationFormat::Po, source, target, {}}, &buffer);
        });
        QVERIFY(failure);
        QCOMPARE(failure->Description(), QString(why).replace("<project>", path));
    }

    // What an import takes from a file and what it leaves.
    void importRules_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("force");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("changed");
        const QByteArray changed = PoHeader() +
                                   "msgctxt \"A\\\\1\"\nmsgid \"Kessel alt\"\nmsgstr \"Old boiler\"\n\n"
                                   "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n";
        const QByteArray valve =
            "group,index,1031,1033\nA,1,Kessel,Boiler\nA,2,Ventil,Valve\nA\\B,7,Druck,Pressure\n";
        // clang-format off
        QTest::newRow("po: empty and fuzzy targets keep the text; ids in any case") << "po" << PoHeader() + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\"\nmsgstr \"\"\n\n#, c-format, fuzzy\nmsgctxt \"A\\\\B\\\\7\"\nmsgid \"Druck\"\nmsgstr \"Guess\"\n\nmsgctxt \"a\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << false << valve << QStringList();
        QTest::newRow("xliff: ids alone; needs-translation keeps the text; text in markers counts") << "xlf" << Xliff("<trans-unit id=\"A\\B\\7\"><source>Druck</source><target state=\"needs-translation\">Druck</target></trans-unit>\n"
                     "<trans-unit id=\"A\\2\"><note>n</note><source>Ventil</source><target><mrk mtype=\"seg\" mid=\"1\">Val</mrk>ve</target><alt-trans><target>x</target></alt-trans></trans-unit>\n") << false << valve << QStringList();
        QTest::newRow("po: a changed source is listed and kept") << "po" << changed << false << valve << QStringList{"A\\1"};
        QTest::newRow("po: --force takes a changed source") << "po" << changed << true << QByteArray(valve).replace("Boiler", "Old boiler") << QStringList{"A\\1"};
        QTest::newRow("po: new language by locale id; CRLF lines; a string over two lines") << "po" << PoHeader("fr_FR").replace("\n", "\r\n") + "msgctxt \"A\\\\1\"\r\nmsgid \"Kessel\"\r\nmsgstr \"\"\r\n\"Chau\"\r\n\"dière\"\r\n" << false << QByteArray("group,index,1031,1033,1036\nA,1,Kessel,Boiler,Chaudière\nA,2,Ventil,,\nA\\B,7,Druck,Pressure,\n") << QStringList();
        QTest::newRow("xliff: new language by tag where no locale id fits") << "xlf" << Xliff("<trans-unit id=\"A\\1\"><source>Kessel</source><target>puq</target></trans-unit>", "tlh") << false << QByteArray("group,index,1031,1033,tlh\nA,1,Kessel,Boiler,puq\nA,2,Ventil,,\nA\\B,7,Druck,Pressure,\n") << QStringList();
        QTest::newRow("po: nothing translated adds no language") << "po" << PoHeader("fr-FR") + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\"\nmsgstr \"\"\n" << false << Base << QStringList();
        // clang-format on
    }
    void importRules() {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, file);
        QFETCH(bool, force);
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, changed);
        const QString path = ProjectFixture::Make(m_dir, QString("P%1.kxs").arg(m_counter++), Base);
        ProjectFile project(path);
        QCOMPARE(TranslationImport::ApplyFile(project, Written(suffix, file), force).changedSources, changed);
        QCOMPARE(ProjectFixture::Export(path), csv);
    }

    // A refused file changes nothing, though a good unit comes before the bad one.
    void refusals_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        const QByteArray po = PoHeader() + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n\n";
        const QByteArray unit =
            "<trans-unit id=\"A\\2\"><source>Ventil</source><target>Valve</target></trans-unit>\n";
        const QByteArray otherFile = "</body></file><file source-language=\"de-DE\" "
                                     "target-language=\"fr-FR\" datatype=\"plaintext\"><body>";
        // clang-format off
        QTest::newRow("group not in the project") << "po" << po + "msgctxt \"Fehlt\\\\1\"\nmsgid \"x\"\nmsgstr \"y\"\n" << "line 11: unit \"Fehlt\\1\": index group \"Fehlt\" is not in <project>";
        QTest::newRow("index not in the project") << "xlf" << Xliff(unit + "<trans-unit id=\"A\\9\"><source/><target>y</target></trans-unit>") << "line 5: unit \"A\\9\": index group \"A\" has no index 9 in <project>";
        QTest::newRow("another source language") << "po" << PoHeader("en-US", "fr-FR") + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << "line 7: the file is for source language fr-FR, which <project> does not have";
        QTest::newRow("same language on both sides") << "po" << PoHeader("de_DE") + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << "line 7: source and target are both de-DE";
        QTest::newRow("language pair changes between files") << "xlf" << Xliff(unit + otherFile + unit) << "line 5: languages de-DE to fr-FR after de-DE to en-US (one pair per file)";
        QTest::newRow("XML not well-formed") << "xlf" << Xliff(unit + "<trans-unit id=\"A\\1\"><source>Kessel</source><target>x</trans-unit>") << "line 5: Opening and ending tag mismatch.";
        QTest::newRow("not XLIFF") << "xlf" << QByteArray("<TS version=\"2.1\"/>") << "line 1: not XLIFF 1.2: the document is <TS> in namespace \"\"";
        QTest::newRow("unit without id") << "xlf" << Xliff(unit + "<trans-unit><source>x</source></trans-unit>") << "line 5: <trans-unit> without id";
        QTest::newRow("inline code in a target") << "xlf" << Xliff(unit + "<trans-unit id=\"A\\1\"><source>K</source><target>a<ph id=\"1\"/></target></trans-unit>") << "line 5: unit \"A\\1\": <ph> inside <target> (only text is read)";
        QTest::newRow("string never closed") << "po" << po + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\nmsgstr \"\"\n" << "line 12: a string that is never closed";
        QTest::newRow("entry without msgctxt") << "po" << po + "msgid \"Kessel\"\nmsgstr \"x\"\n" << "line 11: an entry without msgctxt (the unit's id)";
        QTest::newRow("id without an index") << "po" << po + "msgctxt \"A\\\\eins\"\nmsgid \"\"\nmsgstr \"x\"\n" << "line 11: unit \"A\\eins\": the id is no index group path and index";
        QTest::newRow("unit twice") << "po" << po + "msgctxt \"a\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Other\"\n" << "line 11: unit \"a\\2\" a second time";
        QTest::newRow("plural forms") << "po" << po + "msgctxt \"A\\\\1\"\nmsgid \"a\"\nmsgid_plural \"b\"\nmsgstr[0] \"c\"\n" << "line 13: plural forms are not read (msgid_plural)";
        QTest::newRow("charset other than UTF-8") << "po" << PoHeader("en-US", "de-DE", "ISO-8859-1") + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << "line 1: the header must give the charset UTF-8";
        QTest::newRow("bytes that are not UTF-8") << "po" << po + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\"\nmsgstr \"\xff\"\n" << "line 11: not UTF-8 text";
        QTest::newRow("entry before the header") << "po" << QByteArray("msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n\n") + PoHeader() << "line 1: an entry before the header";
        // clang-format on
    }
    void refusals() {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        const QString path = ProjectFixture::Make(m_dir, QString("P%1.kxs").arg(m_counter++), Base);
        const QString translated = Written(suffix, file);
        ProjectFile project(path);
        const std::optional<Failure> failure =
            TestSupport::FailureOf([&] { TranslationImport::ApplyFile(project, translated, true); });
        QVERIFY(failure);
        QCOMPARE(failure->Description(),
                 QString("%1 %2; nothing imported").arg(translated, QString(why).replace("<project>", path)));
        QCOMPARE(ProjectFixture::Export(path), Base);
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_prefix;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_TranslationExchange)
#include "tst_TranslationExchange.moc"
