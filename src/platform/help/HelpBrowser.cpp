#include "platform/help/HelpBrowser.h"
#include "platform/windows/PlatformGuiLog.h"

#include "platform/help/ChmFile.h"
#include "platform/help/HelpLink.h"
#include "platform/help/HelpSearchIndex.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextBlock>

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

int HelpBrowser::HighlightWords(const QStringList& words) {
    QTextCharFormat mark;
    mark.setBackground(QColor(255, 225, 80));
    mark.setForeground(Qt::black);
    QList<ExtraSelection> marks;
    for (const QString& word : words) {
        // Short words are whole words only; longer ones may begin a word, as the search has them.
        const QTextDocument::FindFlags flags = word.size() < HelpSearchIndex::PrefixLength
                                                   ? QTextDocument::FindWholeWords
                                                   : QTextDocument::FindFlags();
        for (QTextCursor found = document()->find(word, 0, flags); !found.isNull();
             found = document()->find(word, found, flags)) {
            const int before = found.selectionStart() - found.block().position() - 1;
            if (before >= 0 && found.block().text().at(before).isLetterOrNumber())
                continue;
            marks.append({found, mark});
        }
    }
    std::sort(marks.begin(), marks.end(), [](const ExtraSelection& a, const ExtraSelection& b) {
        return a.cursor.selectionStart() < b.cursor.selectionStart();
    });
    setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.first().cursor;
        first.clearSelection();
        setTextCursor(first);
        ensureCursorVisible();
    }
    return int(marks.size());
}

QStringList HelpBrowser::Highlighted() const {
    QStringList texts;
    for (const ExtraSelection& mark : extraSelections())
        texts.append(mark.cursor.selectedText());
    return texts;
}
