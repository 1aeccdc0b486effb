// Times what a user waits for in the window with a large message: pasting 4 MiB
// of hex text through the clipboard, "Remove Space(s)" on it, and decoding the
// 2 MiB message it holds (a message of no known class, so about 9 MB of field
// listing). Each step counts until the window has painted its result. Run it on
// a real display (bench/window_bench.sh starts one under Xvfb); prints the
// median of RUNS runs of every step.
//
//   velquist_window_bench [RUNS]     (default 3)

#include "FrmUtama.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr qsizetype kMessageBytes = 2 * 1024 * 1024;

// 2 MiB of noise as hex pairs, its first byte "9" of no message class. With
// `oneField` the noise holds no FS, so the listing is one line of 6 MB.
QString NoiseMessageHex(bool oneField) {
    std::mt19937 random(9);
    QByteArray message(kMessageBytes, '\0');
    for (char& byte : message) {
        byte = static_cast<char>(random() & 0xFF);
        if (oneField && byte == '\x1C') {
            byte = 'x';
        }
    }
    message[0] = '9';
    return QString::fromLatin1(message.toHex().toUpper());
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

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const QString hex = NoiseMessageHex(false);
    const QString oneFieldHex = NoiseMessageHex(true);

    std::vector<double> paste, removeSpaces, decode, decodeOneField;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        velquist::ui::TfrmDecode window(dir.filePath(QStringLiteral("velquist.ini")));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            std::fputs("the window was not shown: is there a display?\n", stderr);
            return 2;
        }
        auto* const input = window.findChild<QPlainTextEdit*>(QStringLiteral("mmDie"));
        auto* const output = window.findChild<QPlainTextEdit*>(QStringLiteral("mmDieDecoded"));
        const auto press = [&window](const char* button) {
            QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)),
                              Qt::LeftButton);
        };
        QGuiApplication::clipboard()->setText(hex);
        QCoreApplication::processEvents();

        paste.push_back(Time(window, [&] { press("btnPaste"); }));
        removeSpaces.push_back(Time(window, [&] { press("btnRemSpaces"); }));
        decode.push_back(Time(window, [&] { press("btnDo"); }));
        if (input->document()->characterCount() < hex.size() ||
            output->document()->characterCount() < 3 * kMessageBytes) {
            std::fputs("the window did not paste or decode the whole message\n", stderr);
            return 1;
        }
        QGuiApplication::clipboard()->setText(oneFieldHex);
        press("btnPaste");
        decodeOneField.push_back(Time(window, [&] { press("btnDo"); }));
    }
    std::printf("window, median of %d runs (%lld hex characters, a %lld-byte message):\n", runs,
                static_cast<long long>(hex.size()), static_cast<long long>(kMessageBytes));
    std::printf("  paste from the clipboard : %8.1f ms\n", Median(paste));
    std::printf("  Remove Space(s)          : %8.1f ms\n", Median(removeSpaces));
    std::printf("  decode and show          : %8.1f ms (fields of some hundred bytes)\n",
                Median(decode));
    std::printf("  decode and show          : %8.1f ms (one field: one 6 MB line)\n",
                Median(decodeOneField));
    return 0;
}
