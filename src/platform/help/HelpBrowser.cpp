#include "platform/help/HelpBrowser.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/help/ChmFile.h"
#include "platform/help/HelpLink.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>

namespace {

// The link as the page wrote it; QUrl keeps "\" and spaces percent-encoded.
QString LinkText(const QUrl& url) {
    if (url.isRelative() || url.scheme() == QLatin1String("chm") || url.scheme() == QLatin1String("ms-its") ||
        url.scheme() == QLatin1String("its") || url.scheme() == QLatin1String("mk")) {
        QString text = url.path(QUrl::FullyDecoded);
        if (!url.scheme().isEmpty())
            text.prepend(url.scheme() + QLatin1Char(':'));
        if (url.hasFragment())
            text += QLatin1Char('#') + url.fragment(QUrl::FullyDecoded);
        return text;
    }
    return url.toString();
}

} // namespace

HelpBrowser::HelpBrowser(std::shared_ptr<const ChmFile> file, QWidget* parent)
    : QTextBrowser(parent), m_file(std::move(file)) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

QUrl HelpBrowser::TopicUrl(const QString& topic) {
    QUrl url;
    url.setScheme(QStringLiteral("chm"));
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    url.setPath(hash >= 0 ? topic.left(hash) : topic, QUrl::DecodedMode);
    if (hash >= 0)
        url.setFragment(topic.mid(hash + 1), QUrl::DecodedMode);
    return url;
}

QString HelpBrowser::CurrentTopic() const {
    const QUrl url = source();
    if (url.isEmpty())
        return {};
    QString topic = url.path(QUrl::FullyDecoded);
    if (url.hasFragment())
        topic += QLatin1Char('#') + url.fragment(QUrl::FullyDecoded);
    return topic;
}

QString HelpBrowser::OwnFileName() const { return QFileInfo(m_file->LocalPath()).fileName(); }

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    const HelpLink link = HelpLink::Parse(LinkText(name), CurrentTopic(), OwnFileName());
    switch (link.kind) {
    case HelpLink::Kind::External: QDesktopServices::openUrl(QUrl(link.address)); return;
    case HelpLink::Kind::OtherFile: Q_EMIT OtherFileRequested(link.file, link.topic); return;
    case HelpLink::Kind::Topic: break;
    }
    const QString topic = link.topic.isEmpty() ? m_file->DefaultTopic() : m_file->ResolveTopic(link.topic);
    if (topic.isEmpty()) {
        qCInfo(lcHelpBrowser) << "No topic" << link.topic << "in" << m_file->LocalPath();
        Q_EMIT TopicMissing(link.topic);
        return;
    }
    QTextBrowser::doSetSource(TopicUrl(topic),
                              type == QTextDocument::UnknownResource ? QTextDocument::HtmlResource : type);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const HelpLink link = HelpLink::Parse(LinkText(name), CurrentTopic(), OwnFileName());
    if (link.kind != HelpLink::Kind::Topic)
        return {};
    const QString path = m_file->ResolveTopic(link.topic.section(QLatin1Char('#'), 0, 0));
    const std::optional<QByteArray> bytes = path.isEmpty() ? std::nullopt : m_file->Read(path);
    if (!bytes) {
        qCDebug(lcHelpBrowser) << "No object" << link.topic << "in" << m_file->LocalPath();
        return {};
    }
    if (type == QTextDocument::StyleSheetResource)
        return m_file->Text(*bytes);
    if (type == QTextDocument::HtmlResource)
        return m_file->Html(*bytes);
    return *bytes;
}
