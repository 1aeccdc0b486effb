// Takes the README's picture of the trace window (scripts/tracewin-screenshot.sh
// runs it under Xvfb): TRACE opened, the first consumer request answered by a
// function command selected, the caret on its Track-2 line so that its bytes
// are highlighted in the trace lines beside it.
//
//   velquist_tracewin_shot TRACE OUTPUT.png

#include "TraceDetails.h"
#include "TraceModel.h"
#include "TraceSource.h"
#include "TraceWindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <cstdio>

int main(int argc, char* argv[]) {
    using namespace velquist::ui;
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: velquist_tracewin_shot TRACE OUTPUT.png\n", stderr);
        return 2;
    }
    QTemporaryDir dir;
    TfrmTrace window({.SettingsFile = dir.filePath(QStringLiteral("trace.ini"))});
    window.resize(1180, 760);
    window.show();
    QString problem;
    if (!window.Open(QString::fromLocal8Bit(argv[1]), problem) ||
        !QTest::qWaitFor([&] { return !window.Source().Reading(); }, 60'000)) {
        std::fprintf(stderr, "cannot read the trace: %s\n", qPrintable(problem));
        return 2;
    }
    std::size_t request = 0;
    {
        const TIndexLock lock = window.Source().Read();
        while (request + 1 < lock->size() &&
               !(lock->ResponseIn(request) && lock->StatusIn(*lock->ResponseIn(request)))) {
            ++request;
        }
    }
    window.GoTo(request + 5);
    window.GoTo(request);
    QPlainTextEdit& decoded = window.Details().Decoded();
    for (QTextBlock block = decoded.document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().startsWith(QStringLiteral("Track-2"))) {
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
            decoded.setTextCursor(cursor);
            decoded.setFocus();
            break;
        }
    }
    QTest::qWait(200);
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
