#include "RecordingExplorer.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QTextStream>
#include <memory>

namespace {

int explorersMade = 0;

QString Setting(const char* name) { return qEnvironmentVariable(name); }

} // namespace

RecordingExplorer::RecordingExplorer() : m_number(++explorersMade) { Log(QStringLiteral("create")); }

RecordingExplorer::~RecordingExplorer() {
    delete m_window.data();
    Log(QStringLiteral("destroy"));
}

void RecordingExplorer::Log(const QString& call, const QString& argument) const {
    QFile file(Setting("KX4_TESTEXPLORER_LOG"));
    if (file.fileName().isEmpty() || !file.open(QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << m_number << ' ' << call;
    if (!argument.isNull())
        out << ' ' << argument;
    out << '\n';
}

bool RecordingExplorer::LoadProject(QWidget* frame, const QString& projectPath) {
    Log(QStringLiteral("LoadProject"), projectPath);
    if (Setting("KX4_TESTEXPLORER_FAIL").contains(QLatin1String("LoadProject"))) {
        m_lastError = QStringLiteral("cannot read project \"%1\"").arg(projectPath);
        return false;
    }
    const QString place = Setting("KX4_TESTEXPLORER_PLACE");
    if (place == QLatin1String("none"))
        return true;
    auto window = std::make_unique<QMdiSubWindow>();
    window->setWidget(new QLabel(projectPath));
    window->setWindowTitle(Setting("KX4_TESTEXPLORER_TITLE"));
    m_window = window.get();
    auto* area = frame->findChild<QMdiArea*>();
    if (area && place != QLatin1String("frame"))
        area->addSubWindow(window.release());
    else
        window.release()->setParent(frame, m_window->windowFlags());
    m_window->show();
    return true;
}

bool RecordingExplorer::UnloadProject() {
    Log(QStringLiteral("UnloadProject"));
    delete m_window.data(); // at once: the next explorer's window has the same title
    return true;
}

bool RecordingExplorer::ToolButtonClick() {
    Log(QStringLiteral("ToolButtonClick"));
    return true;
}

QString RecordingExplorer::LastError() const { return m_lastError; }
