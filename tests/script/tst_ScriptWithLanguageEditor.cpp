#include "ProjectFixture.h"
#include "TestComponents.h"

#include "script/MScriptScan.h"
#include "studio/Failure.h"

#include <QTest>
#include <memory>

// Script runs against the studio's own language editor component, registered the way the
// installer registers it, on real project files.
class tst_ScriptWithLanguageEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void migrationChangesTheWriteSide();
    void failingLineNamesFileLineAndGroup();

private:
    QString WriteScript(const QString& text);

    std::unique_ptr<QTemporaryDir> m_prefix;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    QString m_target;
};

void tst_ScriptWithLanguageEditor::init() {
    m_prefix = std::make_unique<QTemporaryDir>();
    m_dir = std::make_unique<QTemporaryDir>();
    ProjectFixture::UsePrefix(*m_prefix);
    QVERIFY(TestComponents::RegisterClass(QStringLiteral("KXLanguage.Connect"),
                                          QStringLiteral(KX4_LANGUAGE_PLUGIN)));
    QVERIFY(TestComponents::RegisterComponent(QStringLiteral("KXLanguage"), QStringLiteral("KXLanguage")));
    m_source = ProjectFixture::Make(*m_dir, QStringLiteral("Quelle.kxs"),
                                    "group,index,1031,1033\n"
                                    "Alarme,1,Kessel hei\xC3\x9F,Boiler hot\n"
                                    "Alarme\\Kessel,1,Druck,Pressure\n"
                                    "Meldungen,1,Start,Start\n");
    m_target = ProjectFixture::Make(*m_dir, QStringLiteral("Ziel.kxs"),
                                    "group,index,1031\n"
                                    "Alarme,1,alt\n"
                                    "Texte,1,t\n");
}

void tst_ScriptWithLanguageEditor::cleanup() {
    m_dir.reset();
    m_prefix.reset();
}

QString tst_ScriptWithLanguageEditor::WriteScript(const QString& text) {
    const QString path = m_dir->filePath(QStringLiteral("migrate.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(text.toUtf8());
    return path;
}

void tst_ScriptWithLanguageEditor::migrationChangesTheWriteSide() {
    MScriptScan::RunScriptFile(WriteScript(QStringLiteral("' Migration\r\n"
                                                          "set dbread \"%1\"\r\n"
                                                          "set dbwrite \"%2\"\r\n"
                                                          "addlanguage \"1033\"\r\n"
                                                          "copy \"Alarme\" \"Kopie\"\r\n"
                                                          "rename \"Texte\" \"Notizen\"\r\n"
                                                          "copynonh \"Meldungen\" \"Meldungen\"\r\n")
                                               .arg(m_source, m_target)));
    QCOMPARE(ProjectFixture::Export(m_target), QByteArray("group,index,1031,1033\n"
                                                          "Alarme,1,alt,\n"
                                                          "Notizen,1,t,\n"
                                                          "Kopie,1,Kessel hei\xC3\x9F,Boiler hot\n"
                                                          "Kopie\\Kessel,1,Druck,Pressure\n"
                                                          "Meldungen,1,Start,Start\n"));
}

void tst_ScriptWithLanguageEditor::failingLineNamesFileLineAndGroup() {
    const QByteArray before = ProjectFixture::Export(m_target);
    const QString script = WriteScript(
        QStringLiteral("set dbread \"%1\"\nset dbwrite \"%2\"\ncopy \"Fehlt\" \"Neu\"\ndelete \"Texte\"\n")
            .arg(m_source, m_target));
    try {
        MScriptScan::RunScriptFile(script);
        QFAIL("the run did not fail");
    } catch (const Failure& failure) {
        QCOMPARE(
            failure.Description(),
            QStringLiteral("%1, line 3 (copy): index group \"Fehlt\" not found in %2").arg(script, m_source));
    }
    QCOMPARE(ProjectFixture::Export(m_target), before);
}

QTEST_GUILESS_MAIN(tst_ScriptWithLanguageEditor)
#include "tst_ScriptWithLanguageEditor.moc"
