#pragma once

#include <QList>
#include <QString>

class ProjectFile;

// How far the translation of a project has come: how many indexes it has, and per language how
// many of them have a text.
struct TextStatistics {
    struct Language {
        QString name;
        // The language's BCP 47 tag; empty when it has none.
        QString tag;
        qint64 indexes = 0;
        bool operator==(const Language&) const = default;
    };

    // Indexes with a text in any language.
    qint64 indexes = 0;
    // Every language of the project, in its order.
    QList<Language> languages;
    bool operator==(const TextStatistics&) const = default;

    // Counts the whole project, or the group at groupPath with its subgroups (throws Failure
    // when the project has no such group).
    static TextStatistics Of(const ProjectFile& project, const QString& groupPath);
};
