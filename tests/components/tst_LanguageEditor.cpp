#include "ProjectFixture.h"
#include "TestComponents.h"

#include "studio/IEditorAddIn.h"
#include "studio/Variant.h"

#include <QTest>

// The language editor component as the script runner drives it; the runs of whole scripts through
// the program are in the tools' chain test.
class tst_LanguageEditor : public QObject {
    Q_OBJECT

    IEditorAddIn* NewEditor() { return TestComponents::Create<IEditorAddIn>("KXLanguage.Connect", m_keep); }

private Q_SLOTS:
    void init() {
        m_files = std::make_unique<ProjectFixture::Files>();
        QVERIFY(TestComponents::RegisterClass("KXLanguage.Connect", KX4_LANGUAGE_PLUGIN));
        m_target = m_files->Make("group,index,1031\nAlarme,1,alt\nTexte,1,t\n");
    }
    void cleanup() { m_keep.reset(); }

    // A project that cannot be connected makes every later call fail with the same reason.
    void refusedConnectAndStart() {
        const QString why = "project \"Nirgends\" is not registered";
        IEditorAddIn* addIn = NewEditor();
        QVERIFY(addIn && !addIn->Startup());
        QCOMPARE(addIn->LastError(), "the language editor is not connected to a project");
        QVERIFY(!addIn->Connect("Nirgends", "", nullptr, nullptr));
        QVERIFY(!addIn->Startup() && !addIn->StartEditor("", "IDX0", ""));
        QCOMPARE(addIn->LastError(), why);
        QVERIFY(addIn->Disconnect());
        QVERIFY(!addIn->Connect("", "", nullptr, nullptr));
        QCOMPARE(addIn->LastError(), "no project given");
        QVERIFY(!addIn->Connect("C:\\Nix\\Nix.kxs", "", nullptr, nullptr));
        QCOMPARE(addIn->LastError(), "project \"C:\\Nix\\Nix.kxs\" not found");
        // Messages wait for StartEditor, which takes only "IDX0".
        QVERIFY(addIn->Connect(m_target, "", nullptr, nullptr) && addIn->Startup());
        QVERIFY(!addIn->Message("GLOBAL", "AddLanguage", QVariantList{"1033"}, nullptr));
        QCOMPARE(addIn->LastError(), "the language editor is not started (StartEditor \"IDX0\" first)");
        QVERIFY(!addIn->StartEditor("", "TXT0", ""));
        QCOMPARE(addIn->LastError(),
                 "main key \"TXT0\" is not supported by the language editor (only \"IDX0\")");
        QVERIFY(addIn->StartEditor("", "IDX0", "") && addIn->StartEditor("", "IDX0", ""));
    }

    void failingMessagesChangeNothing_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QVariantList>("params"); // "deep": a forged copy
        QTest::addColumn<QString>("why");
        // clang-format off
        QTest::newRow("other target") << "LOCAL" << "Delete" << QVariantList{"<IndexGroups>", "Texte"} << "message target \"LOCAL\" is not supported (only \"GLOBAL\")";
        QTest::newRow("unknown command") << "GLOBAL" << "Purge" << QVariantList{"<IndexGroups>", "Texte"} << "command \"Purge\" is not supported by the language editor";
        QTest::newRow("other collection") << "GLOBAL" << "Delete" << QVariantList{"<Texts>", "Texte"} << "command \"Delete\": collection \"<Texts>\" is not supported (only \"<IndexGroups>\")";
        QTest::newRow("too few parameters") << "GLOBAL" << "Rename" << QVariantList{"Texte"} << "command \"Rename\" needs 2 parameters, got 1";
        QTest::newRow("rename into a missing parent") << "GLOBAL" << "Rename" << QVariantList{"Texte", "Nirgends\\Tief\\Neu"} << "index group \"Nirgends\" not found in %1";
        QTest::newRow("rename onto an existing group") << "GLOBAL" << "Rename" << QVariantList{"Texte", "ALARME"} << "index group \"ALARME\" already exists in %1";
        QTest::newRow("rename to another parent") << "GLOBAL" << "Rename" << QVariantList{"Texte", "Alarme\\Texte"} << "cannot rename index group \"Texte\" to \"Alarme\\Texte\" in %1: renaming does not move a group to another parent";
        QTest::newRow("paste of a text, not a copy") << "GLOBAL" << "Paste" << QVariantList{"kein Kopie", "<IndexGroups>", "Neu", true, "", Variant::Int16(0), true} << "command \"Paste\": the value is not a copy of an index group";
        QTest::newRow("paste of a copy nested too deeply") << "GLOBAL" << "Paste" << QVariantList{"deep", "<IndexGroups>", "Neu", true, "", Variant::Int16(0), true} << "command \"Paste\": the copy is damaged (groups nested too deeply)";
        // clang-format on
    }
    void failingMessagesChangeNothing() {
        QFETCH(QString, target);
        QFETCH(QString, command);
        QFETCH(QVariantList, params);
        QFETCH(QString, why);
        IEditorAddIn* write = NewEditor();
        QVERIFY(write->Connect(m_target, "", nullptr, nullptr) && write->Startup() &&
                write->StartEditor("", "IDX0", ""));
        QVariant copy;
        QVERIFY(write->Message("GLOBAL", "Copy", QVariantList{"<IndexGroups>", "Texte"}, &copy));
        // A forged copy one level deeper than any project makes, sealed as a sound one.
        GroupCopyWriter deep({"1031"}, true);
        for (int level = 0; level <= 257; ++level)
            deep.BeginGroup(QString("Ebene %1").arg(level));
        for (int level = 0; level <= 257; ++level)
            deep.EndGroup();
        for (QVariant& param : params)
            param = param.toString() == "deep" ? deep.Finish().ToBytes() : param;
        const QByteArray before = ProjectFixture::Export(m_target);
        QVERIFY(!write->Message(target, command, params, nullptr));
        QCOMPARE(write->LastError(), why.arg(m_target));
        QCOMPARE(ProjectFixture::Export(m_target), before);
        // The editor stays usable after a failing message: a paste as the script runner sends it.
        QVERIFY(write->Message(
            "GLOBAL", "Paste",
            QVariantList{copy, "<IndexGroups>", "Danach", true, "", Variant::Int16(0), true}, nullptr));
        QCOMPARE(ProjectFixture::Export(m_target), before + "Danach,1,t\n");
    }

private:
    std::unique_ptr<ProjectFixture::Files> m_files;
    ObjectRef m_keep;
    QString m_target;
};

QTEST_GUILESS_MAIN(tst_LanguageEditor)
#include "tst_LanguageEditor.moc"
