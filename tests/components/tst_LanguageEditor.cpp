#include "ProjectFixture.h"

#include "platform/core/ObjectFactory.h"
#include "platform/registry/Registry.h"
#include "studio/IEditorAddIn.h"
#include "studio/IStudioUtilities.h"
#include "studio/Variant.h"

#include <QTest>

namespace {

const QByteArray SourceCsv = "group,index,1031,1033\n"
                             "Alarme,1,Kessel heiß,Boiler hot\n"
                             "Alarme\\Kessel,1,Druck,Pressure\n"
                             "Meldungen,1,Start,Start\n";
const QByteArray TargetCsv = "group,index,1031\n"
                             "Alarme,1,alt\n"
                             "Alarme,2,zwei\n"
                             "Texte,1,t\n";

// The parameters exactly as the script runner builds them.
QVariantList PasteParams(const QVariant& copy, const QString& target) {
    return {copy, "<IndexGroups>", target, true, "", Variant::Int16(0), true};
}

} // namespace

class tst_LanguageEditor : public QObject {
    Q_OBJECT

    // A fresh editor made the way the program makes it: by its programmatic identifier.
    ObjectRef NewEditor(IEditorAddIn** addIn) {
        QString why;
        ObjectRef object = ObjectFactory::Create("KXLanguage.Connect", &why);
        *addIn = ObjectFactory::Query<IEditorAddIn>(object);
        if (!*addIn)
            qWarning() << "cannot create the editor:" << why;
        return object;
    }

    // An editor connected to path and started, or nullptr.
    IEditorAddIn* Started(ObjectRef* keep, const QString& path) {
        IEditorAddIn* addIn = nullptr;
        *keep = NewEditor(&addIn);
        if (!addIn || !addIn->Connect(path, "", nullptr, nullptr) || !addIn->Startup() ||
            !addIn->StartEditor("", "IDX0", ""))
            return nullptr;
        return addIn;
    }

private Q_SLOTS:
    void init() {
        m_prefix.reset(new QTemporaryDir);
        m_dir.reset(new QTemporaryDir);
        ProjectFixture::UsePrefix(*m_prefix);
        QCOMPARE(RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXLanguage.Connect\\InprocServer32",
                                         RegValue::String("", KX4_LANGUAGE_PLUGIN)),
                 long(ERROR_SUCCESS));
        m_source = ProjectFixture::Make(*m_dir, "Quelle.kxs", SourceCsv);
        m_target = ProjectFixture::Make(*m_dir, "Ziel.kxs", TargetCsv);
    }

    void connectFailureShowsAtEveryLaterCall_data() {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("why");
        // clang-format off
        QTest::newRow("mistyped Windows path") << "D:\\Prj\\Demo.kxs" << "project \"D:\\Prj\\Demo.kxs\" not found";
        QTest::newRow("unregistered name") << "Nirgends" << "project \"Nirgends\" is not registered";
        QTest::newRow("empty project") << "" << "no project given";
        // clang-format on
    }
    void connectFailureShowsAtEveryLaterCall() {
        QFETCH(QString, project);
        QFETCH(QString, why);
        IEditorAddIn* addIn = nullptr;
        ObjectRef keep = NewEditor(&addIn);
        QVERIFY(addIn);
        QVERIFY(!addIn->Connect(project, "", nullptr, nullptr));
        QCOMPARE(addIn->LastError(), why);
        QVERIFY(!addIn->Startup());
        QVERIFY(!addIn->StartEditor("", "IDX0", ""));
        QCOMPARE(addIn->LastError(), why);
        QVariant answer = "stale";
        QVERIFY(!addIn->Message("GLOBAL", "Copy", QVariantList{"<IndexGroups>", "Alarme"}, &answer));
        QCOMPARE(addIn->LastError(), why);
        QVERIFY(!answer.isValid());
        QVERIFY(addIn->Disconnect());
    }

    void connectFindsProjects_data() {
        QTest::addColumn<QString>("project");
        // clang-format off
        QTest::newRow("local path") << "%1/Quelle.kxs";
        QTest::newRow("Windows path through a drive, other case") << "P:\\QUELLE.KXS";
        QTest::newRow("registered name") << "Quelle";
        // clang-format on
    }
    void connectFindsProjects() {
        QFETCH(QString, project);
        // Drive P: of the prefix is the projects folder.
        QVERIFY(QDir().mkpath(m_prefix->filePath("drives")));
        QVERIFY(QFile::link(m_dir->path(), m_prefix->filePath("drives/p")));
        RegistryStore::SetValue(HKEY_LOCAL_MACHINE, StudioKeys::Projects + "\\Quelle",
                                RegValue::String("Path", "P:\\"));
        ObjectRef keep;
        IEditorAddIn* addIn = Started(&keep, project.arg(m_dir->path()));
        QVERIFY(addIn);
        QVariant copy;
        QVERIFY2(addIn->Message("GLOBAL", "Copy", QVariantList{"<IndexGroups>", "Meldungen"}, &copy),
                 qPrintable(addIn->LastError()));
        QCOMPARE(copy.typeId(), QMetaType::QByteArray);
    }

    void startEditorAcceptsOnlyIdx0() {
        IEditorAddIn* addIn = nullptr;
        ObjectRef keep = NewEditor(&addIn);
        QVERIFY(addIn->Connect(m_target, "", nullptr, nullptr));
        QVERIFY(addIn->Startup());
        QVERIFY(!addIn->Message("GLOBAL", "AddLanguage", QVariantList{"1033"}, nullptr));
        QCOMPARE(addIn->LastError(), "the language editor is not started (StartEditor \"IDX0\" first)");
        QVERIFY(!addIn->StartEditor("", "TXT0", ""));
        QCOMPARE(addIn->LastError(),
                 "main key \"TXT0\" is not supported by the language editor (only \"IDX0\")");
        QVERIFY(addIn->StartEditor("", "IDX0", ""));
        QVERIFY(addIn->StartEditor("", "IDX0", ""));
    }

    void scriptCommandsAsTheRunnerSendsThem() {
        ObjectRef readKeep, writeKeep;
        IEditorAddIn* read = Started(&readKeep, m_source);
        IEditorAddIn* write = Started(&writeKeep, m_target);
        QVERIFY(read && write);
        QVariant copy;
        // copy "Alarme" "Kopie"
        QVERIFY(read->Message("GLOBAL", "Copy", QVariantList{"<IndexGroups>", "Alarme"}, &copy));
        QVERIFY2(write->Message("GLOBAL", "Paste", PasteParams(copy, "Kopie"), nullptr),
                 qPrintable(write->LastError()));
        // copynonh "Alarme" "Flach"
        QVERIFY(read->Message("GLOBAL", "Copynonh", QVariantList{"<IndexGroups>", "Alarme"}, &copy));
        QVERIFY(write->Message("GLOBAL", "Paste", PasteParams(copy, "Flach"), nullptr));
        // addlanguage "1033" twice, the second no change
        QVERIFY(write->Message("GLOBAL", "AddLanguage", QVariantList{"1033"}, nullptr));
        QVERIFY(write->Message("GLOBAL", "AddLanguage", QVariantList{"1033"}, nullptr));
        // updategroup "Alarme" "Alarme" with flag 3
        QVERIFY(read->Message("GLOBAL", "Copynonh", QVariantList{"<IndexGroups>", "Alarme"}, &copy));
        QVERIFY(write->Message("GLOBAL", "Updategroup", QVariantList{"Alarme", copy, Variant::Int16(3)},
                               nullptr));
        QVERIFY(write->Message("GLOBAL", "Rename", QVariantList{"Flach", "Eben"}, nullptr));
        QVERIFY(write->Message("GLOBAL", "Rename", QVariantList{"Kopie\\Kessel", "Kopie\\Boiler"}, nullptr));
        QVERIFY(write->Message("GLOBAL", "Delete", QVariantList{"<IndexGroups>", "texte"}, nullptr));
        write->Disconnect();
        QCOMPARE(ProjectFixture::Export(m_target), QByteArray("group,index,1031,1033\n"
                                                              "Alarme,1,Kessel heiß,Boiler hot\n"
                                                              "Alarme,2,zwei,\n"
                                                              "Kopie,1,Kessel heiß,\n"
                                                              "Kopie\\Boiler,1,Druck,\n"
                                                              "Eben,1,Kessel heiß,\n"));
    }

    void failingMessagesChangeNothing_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QVariantList>(
            "params"); // "copy": a copy of Meldungen, "damaged" or "deep" a forged one
        QTest::addColumn<QString>("why");
        const QVariant copy("copy");
        const auto paste = [](const QVariant& value, const QString& name, const QString& parent = "") {
            return QVariantList{value, "<IndexGroups>", name, true, parent, Variant::Int16(0), true};
        };
        // clang-format off
        QTest::newRow("other target") << "LOCAL" << "Delete" << QVariantList{"<IndexGroups>", "Texte"} << "message target \"LOCAL\" is not supported (only \"GLOBAL\")";
        QTest::newRow("unknown command") << "GLOBAL" << "Purge" << QVariantList{"<IndexGroups>", "Texte"} << "command \"Purge\" is not supported by the language editor";
        QTest::newRow("other collection") << "GLOBAL" << "Delete" << QVariantList{"<Texts>", "Texte"} << "command \"Delete\": collection \"<Texts>\" is not supported (only \"<IndexGroups>\")";
        QTest::newRow("too few parameters") << "GLOBAL" << "Rename" << QVariantList{"Texte"} << "command \"Rename\" needs 2 parameters, got 1";
        QTest::newRow("delete below a missing parent") << "GLOBAL" << "Delete" << QVariantList{"<IndexGroups>", "Nirgends\\Alarme"} << "index group \"Nirgends\" not found in %1";
        QTest::newRow("rename into a missing parent") << "GLOBAL" << "Rename" << QVariantList{"Texte", "Nirgends\\Tief\\Neu"} << "index group \"Nirgends\" not found in %1";
        QTest::newRow("rename of a missing group") << "GLOBAL" << "Rename" << QVariantList{"Fehlt", "Neu"} << "index group \"Fehlt\" not found in %1";
        QTest::newRow("rename onto an existing group") << "GLOBAL" << "Rename" << QVariantList{"Texte", "ALARME"} << "index group \"ALARME\" already exists in %1";
        QTest::newRow("rename to another parent") << "GLOBAL" << "Rename" << QVariantList{"Texte", "Alarme\\Texte"} << "cannot rename index group \"Texte\" to \"Alarme\\Texte\" in %1: renaming does not move a group to another parent";
        QTest::newRow("paste below a missing parent") << "GLOBAL" << "Paste" << paste(copy, "Neu", "Fehlt") << "index group \"Fehlt\" not found in %1";
        QTest::newRow("paste of a text instead of a copy") << "GLOBAL" << "Paste" << paste("Meldungen", "Neu") << "command \"Paste\": the value is not a copy of an index group";
        QTest::newRow("paste of a damaged copy") << "GLOBAL" << "Paste" << paste("damaged", "Neu") << "command \"Paste\": the copy is damaged (checksum mismatch)";
        QTest::newRow("paste of a copy nested too deeply") << "GLOBAL" << "Paste" << paste("deep", "Neu") << "command \"Paste\": the copy is damaged (groups nested too deeply)";
        QTest::newRow("update with a damaged copy") << "GLOBAL" << "Updategroup" << QVariantList{"Texte", "damaged", Variant::Int16(3)} << "command \"Updategroup\": the copy is damaged (checksum mismatch)";
        // clang-format on
    }
    void failingMessagesChangeNothing() {
        QFETCH(QString, target);
        QFETCH(QString, command);
        QFETCH(QVariantList, params);
        QFETCH(QString, why);
        ObjectRef readKeep, writeKeep;
        IEditorAddIn* read = Started(&readKeep, m_source);
        IEditorAddIn* write = Started(&writeKeep, m_target);
        QVERIFY(read && write);
        QVariant copy;
        QVERIFY(read->Message("GLOBAL", "Copy", QVariantList{"<IndexGroups>", "Meldungen"}, &copy));
        QByteArray damaged = copy.toByteArray();
        damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 1);
        // A forged copy one level deeper than any project makes, sealed as a sound one.
        GroupCopyWriter deep({"1031"}, true);
        for (int level = 0; level <= 257; ++level)
            deep.BeginGroup(QString("Ebene %1").arg(level));
        for (int level = 0; level <= 257; ++level)
            deep.EndGroup();
        const QHash<QString, QVariant> forged{
            {"copy", copy}, {"damaged", damaged}, {"deep", deep.Finish().ToBytes()}};
        for (QVariant& param : params)
            param = forged.value(param.toString(), param);
        const QByteArray before = ProjectFixture::Export(m_target);
        QVERIFY(!write->Message(target, command, params, nullptr));
        QCOMPARE(write->LastError(), why.arg(m_target));
        QCOMPARE(ProjectFixture::Export(m_target), before);
        // The editor stays usable after a failing message.
        QVERIFY(write->Message("GLOBAL", "Paste", PasteParams(copy, "Danach"), nullptr));
    }

    void otherClassOfThePluginIsNotMade() {
        QString why;
        QVERIFY2(ObjectFactory::Create("KXLanguage.Connect", &why), qPrintable(why));
        RegistryStore::SetValue(HKEY_CLASSES_ROOT, "KXLanguage.Other\\InprocServer32",
                                RegValue::String("", KX4_LANGUAGE_PLUGIN));
        QVERIFY(!ObjectFactory::Create("KXLanguage.Other", &why));
    }

private:
    std::unique_ptr<QTemporaryDir> m_prefix;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    QString m_target;
};

QTEST_GUILESS_MAIN(tst_LanguageEditor)
#include "tst_LanguageEditor.moc"
