#pragma once

#include "studio/IProjectExplorer.h"

#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>

// An explorer for the frame's tests. It appends "<n> <call> <argument>" to the file named by
// $KX4_TESTEXPLORER_LOG (n counts the explorers made in the process), titles its window with
// $KX4_TESTEXPLORER_TITLE, puts it in the frame's MDI area (or, with
// $KX4_TESTEXPLORER_PLACE=frame, straight under the frame; =none, nowhere), and fails
// LoadProject when $KX4_TESTEXPLORER_FAIL holds "LoadProject".
class RecordingExplorer : public QObject, public IProjectExplorer {
    Q_OBJECT
    Q_INTERFACES(IProjectExplorer)
public:
    RecordingExplorer();
    ~RecordingExplorer() override;

    bool LoadProject(QWidget* frame, const QString& projectPath) override;
    bool UnloadProject() override;
    bool ToolButtonClick() override;
    QString LastError() const override;

private:
    void Log(const QString& call, const QString& argument = QString()) const;

    int m_number;
    QPointer<QMdiSubWindow> m_window;
    QString m_lastError;
};
