// Times what a user waits for in the window with a large message: pasting 4 MiB
// of hex text through the clipboard, and decoding the 2 MiB message it holds (a
// message of no known class, so about 9 MB of field listing); "Remove Space(s)"
// on the same hex with a blank after every pair (6 MiB of text), and undoing it;
// typing a character into the middle of the hex, and of the NETADRD trace
// below. Each step counts until the window has painted its result. Run it on
// a real display (bench/window_bench.sh starts one under Xvfb); prints the
// median of RUNS runs of every step.
//
// Then the highlighting: the caret put on output lines and on input characters
// spread over the whole text, each move timed until the window has painted the
// highlight (and scrolled it into view), for the message in ASCII Hex Mode with
// fields of some hundred bytes, with one field of 2 MiB, and as a NETADRD trace
// of 16 bytes a line (131072 trace lines). The same moves are timed again after
// typing a character at the end of the input, which unties the areas: the
// difference is what the highlighting costs, whatever the load of the machine.
// Prints the median and the slowest move of each kind over all runs.
//
//   velquist_window_bench [RUNS]     (default 3)

#include "FrmUtama.h"
#include "SeededRandom.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr qsizetype kMessageBytes = 2 * 1024 * 1024;

constexpr int kNetadrdBytesPerLine = 16;
constexpr int kCaretMoves = 20;  // of each kind in each run
constexpr int kOutputColumn = 3; // on the line's name
constexpr int kInputColumn = 20; // in a trace line, on a hex pair

// 2 MiB of noise, its first byte "9" of no message class. With `oneField` the
// noise holds no FS, so the listing is one line of 6 MB.
QByteArray NoiseMessage(bool oneField) {
    velquist::TSeededRandom random(9);
    QByteArray message(kMessageBytes, '\0');
    for (char& byte : message) {
        byte = static_cast<char>(random.Byte());
        if (oneField && byte == '\x1C') {
            byte = 'x';
        }
    }
    message[0] = '9';
    return message;
}

QString NoiseMessageHex(bool oneField) {
    return QString::fromLatin1(NoiseMessage(oneField).toHex().toUpper());
}

// The message as a Base24 NETADRD trace: offsets, 16 hex pairs in columns 15
// to 73, the bytes as text.
QString NoiseMessageTrace() {
    const QByteArray message = NoiseMessage(false);
    QString trace;
    trace.reserve(message.size() / kNetadrdBytesPerLine * 90);
    for (qsizetype at = 0; at < message.size(); at += kNetadrdBytesPerLine) {
        const QByteArray bytes = message.mid(at, kNetadrdBytesPerLine);
        QString text = QString::fromLatin1(bytes);
        for (QChar& c : text) {
            c = c.unicode() >= 0x20 && c.unicode() < 0x7F ? c : QChar(u'.');
        }
        trace += QStringLiteral("%1 %2 ")
                     .arg(at, 8, 16, QLatin1Char('0'))
                     .arg(at & 0xFFFF, 4, 16, QLatin1Char('0'));
        trace += QString::fromLatin1(bytes.toHex(' ').toUpper()).leftJustified(59) + text + u'\n';
    }
    return trace;
}

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// How long `step` takes until the window has painted what it did.
double Time(QWidget& window, const std::function<void()>& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    window.repaint(); // paints now, laying out whatever the step left to lay out
    QCoreApplication::processEvents();
    return Milliseconds(timer);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double Slowest(const std::vector<double>& times) {
    return *std::max_element(times.begin(), times.end());
}

// Times caret moves in an area: into `kCaretMoves` paragraphs spread over it,
// `column` characters in (or at the end of a shorter one).
void TimeCaretMoves(QWidget& window, QPlainTextEdit& area, int column, std::vector<double>& times) {
    const int blocks = area.document()->blockCount();
    for (int move = 0; move < kCaretMoves; ++move) {
        const QTextBlock block = area.document()->findBlockByNumber(static_cast<int>(
            static_cast<long long>(blocks - 1) * (2 * move + 1) / (2 * kCaretMoves)));
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + std::min(column, block.length() - 1));
        times.push_back(Time(window, [&] { area.setTextCursor(cursor); }));
    }
}

// How long typing a character into the middle of the input takes.
double TimeTyping(QWidget& window, QPlainTextEdit& input) {
    QTextCursor middle(input.document()->findBlockByNumber(input.document()->blockCount() / 2));
    input.setTextCursor(middle);
    return Time(window, [&] { QTest::keyClicks(&input, QStringLiteral("0")); });
}

struct TCaretTimes {
    const char* What = "";
    std::vector<double> Output{}; // the caret on output lines
    std::vector<double> Input{};  // the caret on input characters
    std::vector<double> OutputUntied{};
    std::vector<double> InputUntied{};
};

// Times the caret moves after `load()` pastes and decodes a message: with the
// areas tied by the decode, then loaded afresh (nothing laid out yet) and
// untied by a character typed at the end of the input.
void TimeCaretMoves(QWidget& window, QPlainTextEdit& input, QPlainTextEdit& output,
                    const std::function<void()>& load, TCaretTimes& times) {
    load();
    TimeCaretMoves(window, output, kOutputColumn, times.Output);
    TimeCaretMoves(window, input, kInputColumn, times.Input);
    load();
    QTextCursor end(input.document());
    end.movePosition(QTextCursor::End);
    input.setTextCursor(end);
    QTest::keyClicks(&input, QStringLiteral("0"));
    TimeCaretMoves(window, output, kOutputColumn, times.OutputUntied);
    TimeCaretMoves(window, input, kInputColumn, times.InputUntied);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const QString hex = NoiseMessageHex(false);
    const QString oneFieldHex = NoiseMessageHex(true);

    const QString trace = NoiseMessageTrace();
    QString spacedHex;
    spacedHex.reserve(hex.size() / 2 * 3);
    for (qsizetype at = 0; at < hex.size(); at += 2) {
        spacedHex += QStringView(hex).mid(at, 2);
        spacedHex += u' ';
    }
    std::vector<double> paste, removeSpaces, undoRemoveSpaces, decode, decodeOneField;
    std::vector<double> typeInHex, typeInTrace;
    std::vector<TCaretTimes> carets(3);
    carets[0].What = "ASCII Hex Mode, fields of some hundred bytes";
    carets[1].What = "ASCII Hex Mode, one field of 2 MiB";
    carets[2].What = "NETADRD trace, 131072 lines";
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        velquist::ui::TfrmDecode window({dir.filePath(QStringLiteral("velquist.ini")),
                                         dir.filePath(QStringLiteral("user/velquist.ini"))});
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            std::fputs("the window was not shown: is there a display?\n", stderr);
            return 2;
        }
        auto* const input = window.findChild<QPlainTextEdit*>(QStringLiteral("mmDie"));
        auto* const output = window.findChild<QPlainTextEdit*>(QStringLiteral("mmDieDecoded"));
        auto* const mode = window.findChild<QComboBox*>(QStringLiteral("cbMode"));
        const auto press = [&window](const char* button) {
            QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)),
                              Qt::LeftButton);
        };
        const auto load = [&](const QString& text, int modeIndex) {
            return [&, modeIndex] {
                QGuiApplication::clipboard()->setText(text);
                press("btnPaste");
                mode->setCurrentIndex(modeIndex);
                press("btnDo");
                window.repaint();
            };
        };
        QGuiApplication::clipboard()->setText(hex);
        QCoreApplication::processEvents();

        paste.push_back(Time(window, [&] { press("btnPaste"); }));
        decode.push_back(Time(window, [&] { press("btnDo"); }));
        if (input->document()->characterCount() < hex.size() ||
            output->document()->characterCount() < 3 * kMessageBytes) {
            std::fputs("the window did not paste or decode the whole message\n", stderr);
            return 1;
        }
        typeInHex.push_back(TimeTyping(window, *input));
        QGuiApplication::clipboard()->setText(oneFieldHex);
        press("btnPaste");
        decodeOneField.push_back(Time(window, [&] { press("btnDo"); }));
        QGuiApplication::clipboard()->setText(spacedHex);
        press("btnPaste");
        removeSpaces.push_back(Time(window, [&] { press("btnRemSpaces"); }));
        undoRemoveSpaces.push_back(
            Time(window, [&] { QTest::keyClick(input, Qt::Key_Z, Qt::ControlModifier); }));
        if (input->toPlainText().size() < spacedHex.size()) {
            std::fputs("Remove Space(s) was not undone\n", stderr);
            return 1;
        }

        TimeCaretMoves(window, *input, *output, load(hex, 0), carets[0]);
        TimeCaretMoves(window, *input, *output, load(oneFieldHex, 0), carets[1]);
        TimeCaretMoves(window, *input, *output, load(trace, 1), carets[2]);
        typeInTrace.push_back(TimeTyping(window, *input));
        if (output->document()->characterCount() < 3 * kMessageBytes) {
            std::fputs("the window did not decode the whole trace\n", stderr);
            return 1;
        }
        mode->setCurrentIndex(0);
    }
    std::printf("window, median of %d runs (%lld hex characters, a %lld-byte message):\n", runs,
                static_cast<long long>(hex.size()), static_cast<long long>(kMessageBytes));
    std::printf("  paste from the clipboard : %8.1f ms\n", Median(paste));
    std::printf("  Remove Space(s)          : %8.1f ms (the hex with a blank after every pair)\n",
                Median(removeSpaces));
    std::printf("  undo Remove Space(s)     : %8.1f ms\n", Median(undoRemoveSpaces));
    std::printf("  type a character         : %8.1f ms (in the hex) | %.1f ms (in the trace)\n",
                Median(typeInHex), Median(typeInTrace));
    std::printf("  decode and show          : %8.1f ms (fields of some hundred bytes)\n",
                Median(decode));
    std::printf("  decode and show          : %8.1f ms (one field: one 6 MB line)\n",
                Median(decodeOneField));
    std::printf("caret moves, median / slowest of %d moves each, highlighting | untied:\n",
                runs * kCaretMoves);
    const auto print = [](const char* what, const std::vector<double>& tied,
                          const std::vector<double>& untied) {
        std::printf("    %-22s : %6.1f / %6.1f ms  | %6.1f / %6.1f ms\n", what, Median(tied),
                    Slowest(tied), Median(untied), Slowest(untied));
    };
    for (const TCaretTimes& times : carets) {
        std::printf("  %s\n", times.What);
        print("on output lines", times.Output, times.OutputUntied);
        print("on input characters", times.Input, times.InputUntied);
    }
    return 0;
}
