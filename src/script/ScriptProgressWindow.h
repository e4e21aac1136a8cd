#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

// The modal window that shows how far a script run from the Extras menu has got: the line and
// the command being carried out. It cannot be closed while the run goes on; the run ends it.
class ScriptProgressWindow : public QDialog {
    Q_OBJECT
public:
    // totalLines < 0 when the number of lines is not known.
    ScriptProgressWindow(QWidget* owner, const QString& fileName, qint64 totalLines);

    // Shows line lineNumber and its command. Repaints and lets the event loop run at the first
    // call and then only every so often, so a long run stays painted without paying for it on
    // every line.
    void Update(qint64 lineNumber, const QString& command);

    QString LineText() const;
    QString CommandText() const;

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Show(qint64 lineNumber, const QString& command);

    QLabel* lblLine;
    QLabel* lblCommand;
    QProgressBar* prgLines;
    qint64 Total;
    QElapsedTimer SincePaint;
};
