#pragma once

#include <QString>

// The text of the loose HTML that help pages and sitemaps are written in.
namespace HtmlText {

// Character references decoded: "&amp;", "&#220;", "&#x2013;" and the named references of
// HTML 4 (Latin-1, the typographic ones, arrows). An unknown or malformed one stays as written.
QString DecodeReferences(const QString& text);

// The words a reader sees: tags and comments removed, the content of <script> and <style>
// dropped, references decoded. A tag that breaks the text (a paragraph, a line break, a table
// cell) becomes a space; inline tags (<b>, <a>, <span>, ...) join what they separate.
QString PlainText(const QString& html);

// The page's <title>, references decoded and blanks simplified; empty when it has none.
QString Title(const QString& html);

} // namespace HtmlText
