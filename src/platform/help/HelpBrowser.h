#pragma once

#include <QTextBrowser>
#include <memory>

class ChmFile;

// The page view of a help window. Every page, picture and stylesheet comes from the help file;
// nothing is read from the disk. Topics are shown under addresses "chm:/folder/page.htm#part".
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    HelpBrowser(std::shared_ptr<const ChmFile> file, QWidget* parent = nullptr);

    // The address of a topic of the file ("/sub/page.htm#part").
    static QUrl TopicUrl(const QString& topic);
    // The topic shown, "/sub/page.htm" with its "#part"; empty before the first page.
    QString CurrentTopic() const;

    QVariant loadResource(int type, const QUrl& name) override;

    // Marks every occurrence of the words as the search finds them (a word of
    // HelpSearchIndex::PrefixLength or more letters also where it begins a longer one) and
    // scrolls to the first; an empty list clears the marks. Returns how many were marked.
    int HighlightWords(const QStringList& words);
    // The texts marked, in page order.
    QStringList Highlighted() const;

Q_SIGNALS:
    // A link led to a topic that the file does not hold; the page shown stays.
    void TopicMissing(const QString& topic);
    // A link named another help file (as written) and a topic in it (empty: its default topic).
    void OtherFileRequested(const QString& file, const QString& topic);

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    QString OwnFileName() const;

    std::shared_ptr<const ChmFile> m_file;
};
