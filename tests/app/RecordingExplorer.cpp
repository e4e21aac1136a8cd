// An explorer plugin for the frame's tests. "KXProjectExplorer.Explorer" makes an explorer that
// appends "<n> <call> <argument>" to the file named by $KX4_TESTEXPLORER_LOG (n counts the
// explorers that logged there), titles its window with $KX4_TESTEXPLORER_TITLE and puts it in
// the frame's MDI area.
// $KX4_TESTEXPLORER_FAIL holding "LoadProject" fails that call; holding "Interface", the plugin
// makes an object without the explorer interface.

#include "platform/core/ObjectFactory.h"
#include "studio/IProjectExplorer.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTextStream>

class RecordingExplorer : public QObject, public IProjectExplorer {
    Q_OBJECT
    Q_INTERFACES(IProjectExplorer)
public:
    RecordingExplorer() {
        QFile file(qEnvironmentVariable("KX4_TESTEXPLORER_LOG"));
        m_number = file.open(QIODevice::ReadOnly) ? int(file.readAll().count(" create\n")) + 1 : 1;
        Log("create");
    }
    ~RecordingExplorer() override {
        delete m_window.data();
        Log("destroy");
    }

    bool LoadProject(QWidget* frame, const QString& projectPath) override {
        Log("LoadProject", projectPath);
        if (qEnvironmentVariable("KX4_TESTEXPLORER_FAIL").contains(QLatin1String("LoadProject"))) {
            m_lastError = QStringLiteral("cannot read project \"%1\"").arg(projectPath);
            return false;
        }
        m_window = new QMdiSubWindow;
        m_window->setWidget(new QLabel(projectPath));
        m_window->setWindowTitle(qEnvironmentVariable("KX4_TESTEXPLORER_TITLE"));
        frame->findChild<QMdiArea*>()->addSubWindow(m_window);
        m_window->show();
        return true;
    }
    bool UnloadProject() override {
        Log("UnloadProject");
        delete m_window.data(); // at once: the next explorer's window has the same title
        return true;
    }
    bool ToolButtonClick() override {
        Log("ToolButtonClick");
        return true;
    }
    QString LastError() const override { return m_lastError; }

private:
    void Log(const char* call, const QString& argument = QString()) const {
        QFile file(qEnvironmentVariable("KX4_TESTEXPLORER_LOG"));
        if (file.fileName().isEmpty() || !file.open(QIODevice::Append | QIODevice::Text))
            return;
        QTextStream(&file) << m_number << ' ' << call << (argument.isNull() ? "" : " " + argument) << '\n';
    }

    int m_number;
    QPointer<QMdiSubWindow> m_window;
    QString m_lastError;
};

class TestExplorerPlugin : public QObject, public IClassFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IClassFactory_iid)
    Q_INTERFACES(IClassFactory)
public:
    QObject* CreateInstance(const QString& progId) override {
        if (progId.compare(QLatin1String("KXProjectExplorer.Explorer"), Qt::CaseInsensitive) != 0)
            return nullptr;
        if (qEnvironmentVariable("KX4_TESTEXPLORER_FAIL").contains(QLatin1String("Interface")))
            return new QObject;
        return new RecordingExplorer;
    }
};

#include "RecordingExplorer.moc"
