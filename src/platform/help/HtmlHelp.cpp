#include "platform/help/HtmlHelp.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/core/Ansi.h"
#include "platform/core/Prefix.h"
#include "platform/help/ChmFile.h"
#include "platform/help/HelpWindow.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/SystemLanguage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QLoggingCategory>
#include <QPointer>

namespace {

struct OpenWindow {
    QString key; // the file's canonical local path
    QPointer<HelpWindow> window;
};

// The help windows of the process, in the order they were opened.
QList<OpenWindow> openWindows;
qint32 lastWindowId = 0;

QString FileKey(const QString& localPath) {
    const QFileInfo info(localPath);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// A window closed by the user lingers until its deferred deletion; it no longer counts.
void ForgetClosedWindows() {
    openWindows.removeIf([](const OpenWindow& open) { return !open.window || open.window->isHidden(); });
}

void Present(HelpWindow* window) {
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

void ReportUnopenable(const QString& given, const QString& localPath, const QString& why) {
    QString text = SystemLanguage::Pick("Cannot open the help file \"%1\": %2.",
                                        "Die Hilfedatei \"%1\" kann nicht geöffnet werden: %2.")
                       .arg(given, why);
    if (QDir::fromNativeSeparators(given) != localPath)
        text += SystemLanguage::Pick(" (Looked for \"%1\".)", " (Gesucht als \"%1\".)").arg(localPath);
    // The box says it (on standard error without a display); a log line would say it twice.
    MessageBox::Show(text, SystemLanguage::Pick("Help", "Hilfe"), MessageBox::Icon::Exclamation);
}

void OpenOtherFile(HelpWindow* from, const QString& file, const QString& topic);

// The window showing the file: the one already open, or a new one. nullptr when the file cannot
// be opened, which has been reported.
HelpWindow* WindowFor(const QString& given, const QString& localPath) {
    ForgetClosedWindows();
    const QString key = FileKey(localPath);
    for (const OpenWindow& open : openWindows)
        if (open.key == key)
            return open.window;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        ReportUnopenable(
            given, localPath,
            SystemLanguage::Pick("this process shows no windows", "dieser Prozess zeigt keine Fenster"));
        return nullptr;
    }
    QString why;
    std::unique_ptr<ChmFile> file = ChmFile::Open(localPath, &why);
    if (!file) {
        ReportUnopenable(given, localPath, why);
        return nullptr;
    }
    // Deletes itself when closed.
    auto* window = new HelpWindow(std::move(file), ++lastWindowId);
    QObject::connect(
        window, &HelpWindow::OtherFileRequested, window,
        [window](const QString& other, const QString& topic) { OpenOtherFile(window, other, topic); });
    openWindows.append({key, window});
    qCInfo(lcHtmlHelp) << "Help window" << window->Id() << "for" << localPath;
    return window;
}

// A link to another help file: as given when that exists, else by its name beside the file shown.
void OpenOtherFile(HelpWindow* from, const QString& file, const QString& topic) {
    const QFileInfo shown(from->File().LocalPath());
    QString localPath = Prefix::ToLocalPathNoCase(file);
    if (QFileInfo(localPath).isRelative())
        localPath = Prefix::ToLocalPathNoCase(QDir(shown.absolutePath()).filePath(localPath));
    if (!QFileInfo::exists(localPath)) {
        const QString name = QDir::fromNativeSeparators(file).section(QLatin1Char('/'), -1);
        const QString beside = Prefix::ToLocalPathNoCase(QDir(shown.absolutePath()).filePath(name));
        if (QFileInfo::exists(beside))
            localPath = beside;
    }
    if (HelpWindow* window = WindowFor(file, localPath)) {
        window->ShowTopic(topic);
        Present(window);
    }
}

qint32 ShowContext(const char* file, quint32 contextId) {
    if (!file) {
        qCWarning(lcHtmlHelp) << "HH_HELP_CONTEXT without a file";
        return 0;
    }
    // "File.chm::/topic.htm>window" names a topic and a window type too; the context decides here.
    QString given = FromAnsi(QByteArray(file)).section(QLatin1Char('>'), 0, 0);
    given = given.left(given.indexOf(QLatin1String("::")));
    HelpWindow* window = WindowFor(given, Prefix::ToLocalPathNoCase(given));
    if (!window)
        return 0;
    window->ShowContext(contextId);
    Present(window);
    return window->Id();
}

void CloseAll() {
    const QList<OpenWindow> closing = openWindows;
    openWindows.clear();
    for (const OpenWindow& open : closing)
        if (open.window)
            open.window->close();
}

} // namespace

qint32 HtmlHelpA(qint32 /*hwndCaller*/, const char* file, quint32 command, quintptr data) {
    switch (command) {
    case HH_HELP_CONTEXT: return ShowContext(file, quint32(data));
    case HH_CLOSE_ALL: CloseAll(); return 0;
    default: qCWarning(lcHtmlHelp) << "Help command" << Qt::hex << command << "is not supported"; return 0;
    }
}

HelpWindow* HtmlHelp::Window(qint32 id) {
    ForgetClosedWindows();
    for (const OpenWindow& open : openWindows)
        if (open.window->Id() == id)
            return open.window;
    return nullptr;
}

int HtmlHelp::WindowCount() {
    ForgetClosedWindows();
    return int(openWindows.size());
}
