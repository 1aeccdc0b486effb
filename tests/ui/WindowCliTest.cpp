// The window and velquist-decode decode the same text alike, in every input
// mode. The texts are made from random messages of every class (a third of no
// known class, which is listed byte by byte, so that its output shows every
// message byte) written in the mode, with line breaks that are lone CRs, LFs,
// CR LFs or all three mixed, with and without a final line end, with blanks,
// and in the hex modes with an odd digit. The window gets the text through
// Paste From Clipboard; velquist-decode gets it as Windows-1252 bytes with
// --text. The window must show what velquist-decode writes, as the window
// shows bytes (marks for control bytes), or its error line what
// velquist-decode writes to standard error.

#include "Cp1252.h"
#include "MessageGen.h"
#include "ProcessRunner.h"
#include "ShownText.h"
#include "TestMain.h"
#include "TestWindow.h"

#include <QClipboard>
#include <QGuiApplication>

#include <array>

using velquist::test::TMessageGen;
using velquist::ui::ShowBytes;

namespace {

struct TMode {
    const char* Name;
    const char* Option; // velquist-decode's --mode
};

// In the order of the mode list.
constexpr std::array<TMode, 3> kModes = {{
    {"ASCII Hex Mode", "hex"},
    {"Base24 NETADRD Hex Mode", "netadrd"},
    {"String Mode", "string"},
}};

constexpr std::array<const char*, 4> kBreakNames = {"lone CR", "lone LF", "CR LF", "mixed"};

// How a text is written besides its mode.
struct TShape {
    int Breaks = 0; // a lone CR, a lone LF, CR LF, or all three mixed
    bool FinalBreak = false;
    bool Blanks = false;
    bool OddDigit = false; // the hex modes
};

class TTextGen {
public:
    TTextGen(std::uint64_t seed, TShape shape) : FMessages(seed), FRandom(seed), FShape(shape) {}

    QString Text(int mode) {
        const char* kinds[] = {"11", "22", "12", "4", "3", "1"};
        const std::string message = FMessages.Message(FRandom.OneIn(3) ? "none" : kinds[Below(6)]);
        QString text = mode == 0 ? Hex(message) : mode == 1 ? Trace(message) : String(message);
        if (mode != 1) {
            for (int breaks = 3 + Below(3); breaks > 0; --breaks) {
                qsizetype at = Below(static_cast<int>(text.size()) + 1);
                at += at > 0 && at < text.size() && text[at - 1] == u'\r' && text[at] == u'\n';
                text.insert(at, Break()); // not into a CR LF
            }
        }
        return FShape.FinalBreak ? text + Break() : text;
    }

private:
    int Below(int n) { return static_cast<int>(FRandom.Below(static_cast<std::uint64_t>(n))); }

    // The next line break: of the one kind, or for mixed breaks first a CR,
    // an LF and a CR LF, then any.
    QString Break() {
        static const std::array<QString, 3> kBreaks = {QStringLiteral("\r"), QStringLiteral("\n"),
                                                       QStringLiteral("\r\n")};
        const int kind = FShape.Breaks < 3 ? FShape.Breaks : FBreaks < 3 ? FBreaks : Below(3);
        ++FBreaks;
        return kBreaks[static_cast<std::size_t>(kind)];
    }

    static QString Pair(char byte) {
        return QStringLiteral("%1").arg(static_cast<std::uint8_t>(byte), 2, 16, QChar(u'0'));
    }

    QString Blank() { return FShape.Blanks && FRandom.OneIn(4) ? QStringLiteral(" ") : QString(); }

    QString Hex(const std::string& message) {
        QString text;
        for (const char byte : message) {
            text += Pair(byte) + Blank();
        }
        return FShape.OddDigit ? text + u'7' : text;
    }

    // NETADRD trace lines of 8 bytes: offsets, the pairs in columns 15 to 73,
    // the bytes as text; a heading line, and an empty line at the end of a
    // short trace.
    QString Trace(const std::string& message) {
        QString text = QStringLiteral("NETADRD trace");
        int lines = 0;
        for (std::size_t at = 0; at < message.size(); at += 8, ++lines) {
            QString pairs;
            for (const char byte : message.substr(at, 8)) {
                pairs += Pair(byte) + u' ' + Blank();
            }
            if (FShape.OddDigit && at == 0) {
                pairs.remove(0, 1);
            }
            text +=
                Break() +
                QStringLiteral("%1 %2 ").arg(at, 8, 16, QChar(u'0')).arg(at, 4, 16, QChar(u'0')) +
                pairs.leftJustified(59) + QStringLiteral("........");
        }
        for (; lines < 3; ++lines) {
            text += Break();
        }
        return text;
    }

    // The message as String Mode text: "~" for FS; no NUL, which an argument
    // cannot hold.
    QString String(const std::string& message) {
        QString text;
        for (const char byte : message) {
            if (byte != '\0') {
                text += byte == '\x1C'
                            ? QChar(u'~')
                            : QChar(velquist::ui::Cp1252Char(static_cast<std::uint8_t>(byte)));
            }
            text += Blank();
        }
        return text;
    }

    TMessageGen FMessages;
    velquist::TSeededRandom FRandom;
    const TShape FShape;
    int FBreaks = 0;
};

} // namespace

class WindowCliTest : public QObject {
    Q_OBJECT

private slots:
    void sameDecode_data();
    void sameDecode();
};

void WindowCliTest::sameDecode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");

    for (int mode = 0; mode < static_cast<int>(kModes.size()); ++mode) {
        const char* name = kModes[static_cast<std::size_t>(mode)].Name;
        const std::array<std::pair<const char*, const char*>, 5> special = {{
            {"", "empty"},
            {"\r", "a lone CR alone"},
            {"\n", "a lone LF alone"},
            {"\r\n", "CR LF alone"},
            {"   ", "blanks alone"},
        }};
        for (const auto& [text, what] : special) {
            QTest::addRow("%s, %s", name, what) << mode << QString::fromLatin1(text);
        }
        for (int i = 0; i < 16; ++i) {
            const TShape shape{i % 4, i / 4 % 2 == 1, i / 8 == 1, mode < 2 && i % 3 == 0};
            TTextGen texts(static_cast<std::uint64_t>(100 * mode + i), shape);
            QTest::addRow("%s %d: %s breaks%s%s%s", name, i,
                          kBreakNames[static_cast<std::size_t>(shape.Breaks)],
                          shape.FinalBreak ? ", final line end" : "",
                          shape.Blanks ? ", blanks" : "", shape.OddDigit ? ", odd digit" : "")
                << mode << texts.Text(mode);
        }
    }
}

void WindowCliTest::sameDecode() {
    QFETCH(int, mode);
    QFETCH(QString, text);

    TWindow window;
    window.Mode().setCurrentIndex(mode);
    QGuiApplication::clipboard()->setText(text);
    window.Press("btnPaste");
    window.Press("btnDo");
    const QString shown = window.Output().toPlainText();

    const velquist::test::TProcessResult cli = velquist::test::RunProcess(
        {VELQUIST_DECODE_PATH, "--mode", kModes[static_cast<std::size_t>(mode)].Option, "--text",
         velquist::ui::ToCp1252(text)},
        {});
    if (cli.ExitCode == 1) {
        QVERIFY(cli.Out.empty() && cli.Err.ends_with('\n'));
        QCOMPARE(shown, ShowBytes(std::string_view(cli.Err).substr(0, cli.Err.size() - 1)).Text);
    } else {
        QCOMPARE(cli.ExitCode, 0);
        QVERIFY(cli.Err.empty());
        QCOMPARE(shown, ShowBytes(cli.Out).Text);
    }
}

VELQUIST_UI_TEST_MAIN(WindowCliTest)
#include "WindowCliTest.moc"
