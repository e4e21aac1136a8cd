// The help viewer's costs that a user waits for:
//   bench_help [TOPICS [BYTES]]
// (1) opening the program's help file through the help reader process, (2) building the search
// index for TOPICS HTML topics of about BYTES bytes each (default 1,000 of 2,048; the goal is
// under 300 ms), (3) a search of two words in it. Each figure is the median of several runs.
#include "platform/help/ChmFile.h"
#include "platform/help/HelpSearchIndex.h"
#include "platform/help/reader/ChmStream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timing {
    double wall; // median elapsed time
    double cpu;  // median processor time of this thread, which other load on the machine does not add to
};

Timing Median(int runs, const std::function<void()>& work) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = ThreadCpuMs();
        timer.start();
        work();
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(ThreadCpuMs() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void Put(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i)));
}

// A vocabulary of German-like words of two to four syllables.
QList<QByteArray> Vocabulary(QRandomGenerator& random, int size) {
    static const char* const syllables[] = {"in",   "dex",   "grup", "pe",     "ko",  "pie",  "ren",  "pro",
                                            "jekt", "spra",  "che",  "schrei", "be",  "sei",  "te",   "le",
                                            "mel",  "dung",  "an",   "la",     "ge",  "über", "neh",  "men",
                                            "lö",   "schen", "fens", "ter",    "grö", "ße",   "da",   "tei",
                                            "öff",  "nen",   "hil",  "fe",     "me",  "nü",   "stun", "zei"};
    QList<QByteArray> words;
    while (words.size() < size) {
        QByteArray word;
        for (int n = 2 + random.bounded(3); n > 0; --n)
            word += syllables[random.bounded(int(std::size(syllables)))];
        words.append(word);
    }
    return words;
}

// A help file as the reader would hand it over: topics of running text with markup.
QByteArray SyntheticReaderOutput(int topics, int bytes) {
    QRandomGenerator random(42);
    const QList<QByteArray> words = Vocabulary(random, 5000);
    QByteArray out(ChmStream::Magic, sizeof ChmStream::Magic);
    for (int topic = 0; topic < topics; ++topic) {
        QByteArray html = "<html><head><meta charset=\"utf-8\"><title>Thema " + QByteArray::number(topic) +
                          "</title></head><body><h1>Thema " + QByteArray::number(topic) + "</h1><p>";
        while (html.size() < bytes) {
            html += words.at(random.bounded(int(words.size())));
            if (random.bounded(12) == 0)
                html += "</p>\n<p><b>" + words.at(random.bounded(int(words.size()))) + "</b>";
            html += ' ';
        }
        html += "</p></body></html>";
        const QByteArray path = "/themen/thema" + QByteArray::number(topic) + ".htm";
        Put(out, quint64(path.size()), 2);
        out += path;
        out.append(char(ChmStream::Bytes));
        Put(out, quint64(html.size()), 4);
        out += html;
    }
    Put(out, 0, 2);
    return out;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int topics = argc > 1 ? atoi(argv[1]) : 1000;
    const int bytes = argc > 2 ? atoi(argv[2]) : 2048;

    const Timing open = Median(21, [] {
        if (!ChmFile::Open(QStringLiteral(KX4_HELP_TOOLBOX)))
            std::fprintf(stderr, "cannot open %s\n", KX4_HELP_TOOLBOX);
    });
    std::printf("open Toolbox.chm through the reader:          %8.2f ms\n", open.wall);

    const std::unique_ptr<ChmFile> file =
        ChmFile::FromReaderOutput(SyntheticReaderOutput(topics, bytes), QStringLiteral("synthetic.chm"));
    if (!file)
        return 1;
    HelpSearchIndex index;
    const Timing build = Median(11, [&] { index = HelpSearchIndex::Build(*file); });
    std::printf(
        "search index for %d topics of %d bytes:   %8.2f ms (processor %.2f ms; goal: under 300 ms)\n",
        index.TopicCount(), bytes, build.wall, build.cpu);
    int found = 0;
    const Timing search =
        Median(101, [&] { found = int(index.Search(QStringLiteral("grup index")).size()); });
    std::printf("search \"grup index\" (%d topics found):         %8.3f ms\n", found, search.wall);
    return 0;
}
