// Times the trace window on a large trace, driven as a user would on a real
// display (bench/tracewin_bench.sh starts one under Xvfb):
//   - from Open to the first rows painted in the table (target: 0.5 s);
//   - from Open to the whole trace indexed (target: 2 s for 100 MB);
//   - the longest the window's event loop went without answering while the
//     trace was read (a timer ticking every 5 ms: its longest gap);
//   - a LUNO filter and a type filter, each until the table shows the result
//     (target: 200 ms for a million messages);
//   - a text filter: until it has looked at every message, with the longest gap
//     of the event loop meanwhile (the window answers while it runs);
//   - the memory the window takes on top of the mapped trace, per message: its
//     anonymous resident memory (RssAnon, not the file's pages) after reading
//     less before opening (the largest of the runs: a later run may reuse memory
//     an earlier one freed).
// Each time is the median of RUNS runs, each run with a new window.
//
//   velquist_tracewin_bench TRACE [RUNS]     (default 3)

#include "TraceModel.h"
#include "TraceSource.h"
#include "TraceWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using namespace velquist::ui;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// RssAnon of this process in kB.
long AnonymousKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:")) {
            return std::atol(line.mid(8).trimmed().constData());
        }
    }
    return 0;
}

// Runs the event loop until `done`, and measures the longest gap between the
// ticks of a 5 ms timer meanwhile: how long a key press would have waited.
double WaitMeasuringGaps(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticks.start();
    // Not QTest::qWaitFor: with a timer ticking, its processEvents would run
    // for the whole wait before the condition is looked at again.
    while (!done()) {
        if (clock.elapsed() > 600'000) {
            std::fputs("timed out\n", stderr);
            std::exit(2);
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return static_cast<double>(longest) / 1e6;
}

struct TRun {
    double FirstRows = 0;
    double Indexed = 0;
    double ReadingGap = 0;
    double LunoFilter = 0;
    double TypeFilter = 0;
    double TextFilter = 0;
    double FilterGap = 0;
    double BytesPerMessage = 0;
    std::size_t Messages = 0;
};

TRun Run(const QString& trace, const QString& settings) {
    TRun run;
    TfrmTrace window({.SettingsFile = settings});
    window.resize(1200, 800);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    const long before = AnonymousKb();
    QElapsedTimer clock;
    clock.start();
    QString problem;
    if (!window.Open(trace, problem)) {
        std::fprintf(stderr, "cannot open the trace: %s\n", qPrintable(problem));
        std::exit(2);
    }
    WaitMeasuringGaps([&] { return window.Model().rowCount() > 0; });
    window.Table().viewport()->repaint();
    run.FirstRows = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    run.ReadingGap = WaitMeasuringGaps([&] { return !window.Source().Reading(); });
    run.Indexed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    run.Messages = window.Source().Messages();
    run.BytesPerMessage =
        static_cast<double>(AnonymousKb() - before) * 1024 / static_cast<double>(run.Messages);

    const auto timed = [&](const std::function<void()>& apply) {
        QElapsedTimer filter;
        filter.start();
        apply();
        window.Table().viewport()->repaint();
        return static_cast<double>(filter.nsecsElapsed()) / 1e6;
    };
    auto& luno = *window.findChild<QLineEdit*>(QStringLiteral("lunoFilter"));
    run.LunoFilter = timed([&] {
        luno.setText(QStringLiteral("017"));
        window.ApplyFilter();
    });
    luno.clear();
    auto& type = *window.findChild<QAction*>(QStringLiteral("mtFunctionCommand"));
    run.TypeFilter = timed([&] { type.setChecked(true); });
    type.setChecked(false);

    auto& text = *window.findChild<QLineEdit*>(QStringLiteral("textFilter"));
    clock.restart();
    text.setText(QStringLiteral("Ready"));
    window.ApplyFilter();
    run.FilterGap = WaitMeasuringGaps([&] { return !window.Model().Filtering(); });
    run.TextFilter = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    window.close();
    return run;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: velquist_tracewin_bench TRACE [RUNS]\n", stderr);
        return 2;
    }
    const QString trace = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir;
    std::vector<TRun> results;
    for (int k = 0; k < runs; ++k) {
        results.push_back(Run(trace, dir.filePath(QStringLiteral("trace.ini"))));
    }
    const auto median = [&results](double TRun::*field) {
        std::vector<double> values;
        for (const TRun& run : results) {
            values.push_back(run.*field);
        }
        return Median(values);
    };
    std::printf("trace: %s, %zu messages, median of %d runs\n", argv[1], results.front().Messages,
                runs);
    std::printf("  first rows painted           : %8.1f ms\n", median(&TRun::FirstRows));
    std::printf("  whole trace indexed          : %8.1f ms\n", median(&TRun::Indexed));
    std::printf("  longest unanswered, reading  : %8.1f ms\n", median(&TRun::ReadingGap));
    std::printf("  LUNO filter                  : %8.1f ms\n", median(&TRun::LunoFilter));
    std::printf("  type filter                  : %8.1f ms\n", median(&TRun::TypeFilter));
    std::printf("  text filter, every message   : %8.1f ms\n", median(&TRun::TextFilter));
    std::printf("  longest unanswered, filtering: %8.1f ms\n", median(&TRun::FilterGap));
    double memory = 0;
    for (const TRun& run : results) {
        memory = std::max(memory, run.BytesPerMessage);
    }
    std::printf("  memory per message, largest : %8.1f bytes\n", memory);
    return 0;
}
