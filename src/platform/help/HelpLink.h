#pragma once

#include <QString>

// Where a link in a help page leads: a topic of the same file, a topic of another help file,
// or an address outside the help ("https:", "mailto:").
struct HelpLink {
    enum class Kind { Topic, OtherFile, External };

    Kind kind = Kind::Topic;
    // OtherFile: the help file as the link names it ("Other.chm", "C:\Help\Other.chm").
    QString file;
    // Topic and OtherFile: the topic, made absolute ("/sub/page.htm#part"); empty for the
    // file's default topic.
    QString topic;
    // External: the address as written.
    QString address;

    bool operator==(const HelpLink&) const = default;

    // A link as written in the page currentTopic ("/sub/page.htm") of the file ownFileName
    // ("Toolbox.chm"): relative paths, "#anchor", "ms-its:", "its:", "mk:@MSITStore:" and
    // "File.chm::/topic" forms. A link naming the open file by its name stays in it.
    static HelpLink Parse(const QString& link, const QString& currentTopic, const QString& ownFileName);
};
