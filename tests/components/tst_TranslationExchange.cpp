#include "ProjectFixture.h"

#include "ProjectData/ProjectTransaction.h"
#include "ProjectData/TranslationExport.h"
#include "ProjectData/TranslationImport.h"
#include "common/TestSupport.h"

#include <QProcess>
#include <QSaveFile>
#include <QTest>

#include <functional>

namespace {

const QString Lconvert = QStringLiteral("/usr/lib/qt6/bin/lconvert");

const QByteArray Base = "group,index,1031,1033\n"
                        "A,1,Kessel,Boiler\n"
                        "A,2,Ventil,\n"
                        "A\\B,7,Druck,Pressure\n";

QByteArray PoHeader(const char* language = "en-US", const char* source = "de-DE") {
    return QByteArray("msgid \"\"\nmsgstr \"\"\n\"Language: ") + language +
           "\\n\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"X-Source-Language: " + source +
           "\\n\"\n\n";
}

QByteArray Xliff(const QByteArray& units, const char* target = "en-US") {
    return QByteArray("<?xml version=\"1.0\"?>\n<xliff version=\"1.2\" "
                      "xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n<file source-language=\"de-DE\" "
                      "target-language=\"") +
           target + "\" datatype=\"plaintext\"><body>\n" + units + "</body></file></xliff>\n";
}

// What is wrong with a run of a translation tool: its exit status or what it said on standard
// error, less the warning gettext gives for every carriage return (which it carries all the same).
QString RunTool(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return program + ": " + process.errorString() + " (make deps installs it)\n";
    QString complaints;
    for (const QString& line : QString::fromUtf8(process.readAllStandardError()).split('\n'))
        if (!line.isEmpty() && !line.contains("should not contain the '\\r' escape sequence"))
            complaints += line + '\n';
    return process.exitCode() || !complaints.isEmpty()
               ? QString("%1: status %2 %3").arg(program).arg(process.exitCode()).arg(complaints)
               : QString();
}

} // namespace

class tst_TranslationExchange : public QObject {
    Q_OBJECT

    // Group names travel inside the ids, so they carry the awkward characters too; lconvert
    // writes ids into .ts files without escaping them, so its files get a plainer path.
    inline static const QString GroupPath = QStringLiteral("Grüße, \"A\"\\Zeile <1> & 'x'");
    inline static const QString PlainGroupPath = QStringLiteral("Grüße\\Zeile 1");

    ProjectFixture::Files m_files;

    // Index 1 has both texts, 2 only the source, 3 only the target, -7 lies in a subgroup.
    QString MakeProject(const QString& groupPath, const QString& text, bool withTargets) {
        const QString path = m_files.Next();
        auto project = ProjectFile::Create(path, {"1031", "1033", "1040"});
        ProjectTransaction transaction(project->Database(), ProjectTransaction::Kind::Write);
        const qint64 de = project->LanguageId("1031"), en = project->LanguageId("1033");
        const qint64 group = project->EnsureGroup(groupPath),
                     sub = project->EnsureGroup(groupPath + "\\Unter");
        project->SetText(group, 1, de, text);
        project->SetText(group, 2, de, text);
        project->SetText(group, 3, project->LanguageId("1040"), text);
        project->SetText(sub, -7, de, text);
        if (withTargets) {
            project->SetText(group, 1, en, text + text);
            project->SetText(group, 3, en, text);
            project->SetText(sub, -7, en, text);
        }
        transaction.Commit();
        return path;
    }

private Q_SLOTS:
    // Every text reaches the file and comes back byte for byte, directly and after tools that
    // rewrite the file; the tools find nothing wrong with what we wrote.
    void roundTrip() {
        const QString all = "\n  Ölstand € 😀 日本語 <b>&amp; ]]> &lt;/b> %d %s %1 %% der \"große\" "
                            "C:\\Pfad\\n\\\\\ta\tb\nmsgid \"x\"\n#, fuzzy\nZeile 1\r\nZeile 2\rb  \n";
        // route: the checks of what we wrote, then the tools that rewrite it to *out.
        using Route = std::function<QStringList(const QString&, const QString&)>;
        // clang-format off
        const QList<std::pair<QString, Route>> routes = {
            {"xliff", [](const QString& in, const QString&) { return QStringList{RunTool("xmllint", {"--noout", in})}; }},
            {"po", [](const QString& in, const QString&) { return QStringList{RunTool("msgfmt", {"--check", "-o", "/dev/null", in})}; }},
            {"msgcat", [](const QString& in, const QString& out) { return QStringList{RunTool("msgcat", {"--sort-output", "--width=20", in, "-o", out})}; }},
            {"lconvert", [](const QString& in, const QString& out) { return QStringList{RunTool(Lconvert, {"-i", in, "-o", out + ".ts"}), RunTool(Lconvert, {"-i", out + ".ts", "-o", out})}; }}};
        // clang-format on
        for (const auto& [route, run] : routes) {
            // lconvert turns carriage returns into line feeds on its own.
            const QString text = route == "lconvert" ? QString(all).remove('\r') : all;
            const QString groupPath = route == "lconvert" ? PlainGroupPath : GroupPath;
            const QString original = MakeProject(groupPath, text, true);
            const QString fresh = MakeProject(groupPath, text, false);
            const bool xliff = route == "xliff" || route == "lconvert";
            const QString file = m_files.Next(xliff ? "xlf" : "po");
            QSaveFile save(file);
            QVERIFY(save.open(QIODevice::WriteOnly));
            TranslationExport::Write(
                ProjectFile(original),
                {xliff ? TranslationFormat::Xliff : TranslationFormat::Po, "1031", "1033", {}}, &save);
            QVERIFY(save.commit());
            const bool rewrites = route != "xliff" && route != "po";
            const QString rewritten = rewrites ? m_files.Next(xliff ? "xlf" : "po") : file;
            const QString complaints = run(file, rewritten).join(QString());
            QVERIFY2(complaints.isEmpty(), qPrintable(route + ": " + complaints));
            ProjectFile project(fresh);
            QVERIFY2(TranslationImport::ApplyFile(project, rewritten, false).changedSources.isEmpty(),
                     qPrintable(route));
            QVERIFY2(ProjectFixture::Export(fresh) == ProjectFixture::Export(original),
                     qPrintable(route + ":\n" + ProjectFixture::Export(fresh)));
        }
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
        const QString path = m_files.Make(csv);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const std::optional<Failure> failure = TestSupport::FailureOf([&] {
            TranslationExport::Write(ProjectFile(path), {TranslationFormat::Po, source, target, {}}, &buffer);
        });
        QCOMPARE(failure ? failure->Description() : QString(), QString(why).replace("<project>", path));
    }

    // What an import (with --force) takes from a file; a refused file changes nothing, though a good
    // unit comes before the bad one. "result" is the project's export, or "!" and the refusal.
    void imports_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("result");
        // clang-format off
        const QByteArray valve = QByteArray(Base).replace("Ventil,", "Ventil,Valve");
        const QByteArray po = PoHeader() + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n\n";
        const QByteArray unit = "<trans-unit id=\"A\\2\"><source>Ventil</source><target>Valve</target></trans-unit>\n";
        const QByteArray otherFile = "</body></file><file source-language=\"de-DE\" target-language=\"fr-FR\" datatype=\"plaintext\"><body>";
        const auto refused = [](const char* why) { return QByteArray("!") + why; };
        QTest::newRow("po: empty and fuzzy targets keep the text; ids in any case") << "po" << PoHeader() + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\"\nmsgstr \"\"\n\n#, c-format, fuzzy\nmsgctxt \"A\\\\B\\\\7\"\nmsgid \"Druck\"\nmsgstr \"Guess\"\n\nmsgctxt \"a\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << valve;
        QTest::newRow("xliff: ids alone; needs-translation keeps the text; text in markers counts") << "xlf" << Xliff("<trans-unit id=\"A\\B\\7\"><source>Druck</source><target state=\"needs-translation\">Druck</target></trans-unit>\n"
                     "<trans-unit id=\"A\\2\"><note>n</note><source>Ventil</source><target><mrk mtype=\"seg\" mid=\"1\">Val</mrk>ve</target><alt-trans><target>x</target></alt-trans></trans-unit>\n") << valve;
        QTest::newRow("po: new language by locale id; CRLF lines; a string over two lines") << "po" << PoHeader("fr_FR").replace("\n", "\r\n") + "msgctxt \"A\\\\1\"\r\nmsgid \"Kessel\"\r\nmsgstr \"\"\r\n\"Chau\"\r\n\"dière\"\r\n" << QByteArray("group,index,1031,1033,1036\nA,1,Kessel,Boiler,Chaudière\nA,2,Ventil,,\nA\\B,7,Druck,Pressure,\n");
        QTest::newRow("xliff: new language by tag where no locale id fits") << "xlf" << Xliff("<trans-unit id=\"A\\1\"><source>Kessel</source><target>puq</target></trans-unit>", "tlh") << QByteArray("group,index,1031,1033,tlh\nA,1,Kessel,Boiler,puq\nA,2,Ventil,,\nA\\B,7,Druck,Pressure,\n");
        QTest::newRow("po: nothing translated adds no language") << "po" << PoHeader("fr-FR") + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\"\nmsgstr \"\"\n" << Base;
        QTest::newRow("group not in the project") << "po" << po + "msgctxt \"Fehlt\\\\1\"\nmsgid \"x\"\nmsgstr \"y\"\n" << refused("line 11: unit \"Fehlt\\1\": index group \"Fehlt\" is not in <project>");
        QTest::newRow("index not in the project") << "xlf" << Xliff(unit + "<trans-unit id=\"A\\9\"><source/><target>y</target></trans-unit>") << refused("line 5: unit \"A\\9\": index group \"A\" has no index 9 in <project>");
        QTest::newRow("another source language") << "po" << PoHeader("en-US", "fr-FR") + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << refused("line 7: the file is for source language fr-FR, which <project> does not have");
        QTest::newRow("same language on both sides") << "po" << PoHeader("de_DE") + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << refused("line 7: source and target are both de-DE");
        QTest::newRow("language pair changes between files") << "xlf" << Xliff(unit + otherFile + unit) << refused("line 5: languages de-DE to fr-FR after de-DE to en-US (one pair per file)");
        QTest::newRow("XML not well-formed") << "xlf" << Xliff(unit + "<trans-unit id=\"A\\1\"><source>Kessel</source><target>x</trans-unit>") << refused("line 5: Opening and ending tag mismatch.");
        QTest::newRow("unit without id") << "xlf" << Xliff(unit + "<trans-unit><source>x</source></trans-unit>") << refused("line 5: <trans-unit> without id");
        QTest::newRow("inline code in a target") << "xlf" << Xliff(unit + "<trans-unit id=\"A\\1\"><source>K</source><target>a<ph id=\"1\"/></target></trans-unit>") << refused("line 5: unit \"A\\1\": <ph> inside <target> (only text is read)");
        QTest::newRow("string never closed") << "po" << po + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\nmsgstr \"\"\n" << refused("line 12: a string that is never closed");
        QTest::newRow("entry without msgctxt") << "po" << po + "msgid \"Kessel\"\nmsgstr \"x\"\n" << refused("line 11: an entry without msgctxt (the unit's id)");
        QTest::newRow("id without an index") << "po" << po + "msgctxt \"A\\\\eins\"\nmsgid \"\"\nmsgstr \"x\"\n" << refused("line 11: unit \"A\\eins\": the id is no index group path and index");
        QTest::newRow("unit twice") << "po" << po + "msgctxt \"a\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Other\"\n" << refused("line 11: unit \"a\\2\" a second time");
        QTest::newRow("charset other than UTF-8") << "po" << PoHeader().replace("UTF-8", "ISO-8859-1") + "msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n" << refused("line 1: the header must give the charset UTF-8");
        QTest::newRow("bytes that are not UTF-8") << "po" << po + "msgctxt \"A\\\\1\"\nmsgid \"Kessel\"\nmsgstr \"\xff\"\n" << refused("line 11: not UTF-8 text");
        QTest::newRow("entry before the header") << "po" << QByteArray("msgctxt \"A\\\\2\"\nmsgid \"Ventil\"\nmsgstr \"Valve\"\n\n") + PoHeader() << refused("line 1: an entry before the header");
        // clang-format on
    }
    void imports() {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, result);
        const QString path = m_files.Make(Base);
        const QString translated = m_files.Next(suffix);
        QVERIFY(TestSupport::WriteFile(translated, file));
        ProjectFile project(path);
        QStringList listed;
        const std::optional<Failure> failure = TestSupport::FailureOf(
            [&] { listed = TranslationImport::ApplyFile(project, translated, true).changedSources; });
        const bool refused = result.startsWith('!');
        const QString why = QString::fromUtf8(result.mid(1)).replace("<project>", path);
        QCOMPARE(failure ? failure->Description() : QString(),
                 refused ? QString("%1 %2; nothing imported").arg(translated, why) : QString());
        QVERIFY(listed.isEmpty());
        QCOMPARE(ProjectFixture::Export(path), refused ? Base : result);
    }
};

QTEST_GUILESS_MAIN(tst_TranslationExchange)
#include "tst_TranslationExchange.moc"
