#include "script/ScriptProgressWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
// Often enough to look alive, rarely enough to cost nothing on a long run.
constexpr qint64 RepaintMilliseconds = 100;
} // namespace

ScriptProgressWindow::ScriptProgressWindow(QWidget* owner, const QString& fileName, qint64 totalLines)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), lblLine(new QLabel(this)),
      lblCommand(new QLabel(this)), prgLines(new QProgressBar(this)), Total(totalLines) {
    setObjectName(QStringLiteral("ScriptProgressWindow"));
    setWindowTitle(QFileInfo(fileName).fileName());
    setWindowModality(Qt::ApplicationModal);
    lblLine->setObjectName(QStringLiteral("lblLine"));
    lblCommand->setObjectName(QStringLiteral("lblCommand"));
    prgLines->setObjectName(QStringLiteral("prgLines"));
    prgLines->setTextVisible(false);
    if (Total > 0) {
        // A progress bar counts in int; very long files are shown in proportion.
        prgLines->setRange(0, 1000);
    } else {
        prgLines->setRange(0, 0);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblLine);
    layout->addWidget(lblCommand);
    layout->addWidget(prgLines);
    setMinimumWidth(360);
    Show(0, QString());
    // Painted by the first Update: a constructor that let the event loop run would let other
    // events reach the frame before the window exists.
    show();
}

void ScriptProgressWindow::Update(qint64 lineNumber, const QString& command) {
    if (SincePaint.isValid() && SincePaint.elapsed() < RepaintMilliseconds)
        return;
    Show(lineNumber, command);
    QCoreApplication::processEvents();
    SincePaint.start();
}

void ScriptProgressWindow::Show(qint64 lineNumber, const QString& command) {
    lblLine->setText(Total >= 0 ? QStringLiteral("%1 / %2").arg(lineNumber).arg(Total)
                                : QString::number(lineNumber));
    lblCommand->setText(command);
    if (Total > 0)
        prgLines->setValue(static_cast<int>(lineNumber * 1000 / Total));
}

QString ScriptProgressWindow::LineText() const { return lblLine->text(); }

QString ScriptProgressWindow::CommandText() const { return lblCommand->text(); }

void ScriptProgressWindow::reject() {
    // Escape would hide the window while the run goes on.
}

void ScriptProgressWindow::closeEvent(QCloseEvent* event) { event->ignore(); }
