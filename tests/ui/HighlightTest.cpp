// Highlighting in the window: the caret on an output line highlights the input
// characters that wrote its bytes, the caret in the input highlights the output
// lines that show the byte under it, in every input mode; what the user sees is
// checked by scrolling each area from top to bottom and reading, for every
// character shown, whether it is drawn on the highlight colour.

#include "Highlight.h"
#include "ShownText.h"
#include "TestMain.h"
#include "TestWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>

#include <map>

using velquist::ui::HighlightColour;
using velquist::ui::TInputArea;

namespace {

constexpr int kNoMode = -1;

const QString kOperationalCommand = QStringLiteral("1~001~002~3");

// A Base24 NETADRD trace line: offset columns, the hex pairs in columns 15 to
// 73, the bytes as text after them.
QString TraceLine(int line, const QString& pairs, const QString& text) {
    const int offset = 8 * line;
    const qsizetype marks = pairs.count(u'[') + pairs.count(u']'); // not in the columns
    return QStringLiteral("%1 %2 ")
               .arg(offset, 8, 16, QLatin1Char('0'))
               .arg(0x10 + offset, 4, 16, QLatin1Char('0')) +
           pairs.leftJustified(59 + marks) + text;
}

// The operational command "1~001~002~3" as a trace of two lines, field 2 ("002")
// split over them; `pairs` with brackets around highlighted pairs.
QString OperationalTrace(const QString& first, const QString& second) {
    return QStringLiteral("NETADRD trace\n") + TraceLine(0, first, QStringLiteral("1.001.00")) +
           u'\n' + TraceLine(1, second, QStringLiteral("2.3"));
}

// The text of a marked input: the brackets around highlighted characters and
// the "|" for the caret removed.
QString Unmarked(QString marked) {
    return marked.remove(u'[').remove(u']').remove(u'|');
}

// The background of the character at `position` in its own format (a mark's);
// invalid for none.
QColor OwnBackground(const QPlainTextEdit& area, int position) {
    QTextCursor cursor(area.document());
    // the format of the character before the cursor
    cursor.setPosition(std::min(position + 1, area.document()->characterCount() - 1));
    const QBrush own = cursor.charFormat().background();
    return own.style() == Qt::NoBrush ? QColor() : own.color();
}

// The background a position of the area is drawn on: of the last extra
// selection over it that has one, else its own.
QColor DrawnBackground(const QPlainTextEdit& area, int position) {
    const QList<QTextEdit::ExtraSelection> selections = area.extraSelections();
    for (auto it = selections.rbegin(); it != selections.rend(); ++it) {
        const QBrush background = it->format.background();
        if (background.style() != Qt::NoBrush && it->cursor.selectionStart() <= position &&
            position < it->cursor.selectionEnd()) {
            return background.color();
        }
    }
    return OwnBackground(area, position);
}

// Whether the area shows some of paragraph `block` now.
bool IsShown(const QPlainTextEdit& area, const QTextBlock& block) {
    QTextCursor cursor(block);
    const QRect first = area.cursorRect(cursor);
    cursor.movePosition(QTextCursor::EndOfBlock);
    const QRect last = area.cursorRect(cursor);
    return first.top() < area.viewport()->height() && last.bottom() >= 0;
}

// Scrolls the area from its top to its bottom, by pages (every line is shown
// on the way), and calls `read(block)` for each paragraph it shows; scrolls
// back after.
template <class TRead>
void ReadAsScrolled(QPlainTextEdit& area, TRead read) {
    QScrollBar& scrollBar = *area.verticalScrollBar();
    const int was = scrollBar.value();
    const int step = std::max(1, scrollBar.pageStep());
    for (int value = 0; value < scrollBar.maximum() + step; value += step) {
        scrollBar.setValue(value);
        QTextBlock block = area.cursorForPosition(QPoint(0, 0)).block();
        if (block.previous().isValid() && IsShown(area, block.previous())) {
            block = block.previous();
        }
        for (; block.isValid() && IsShown(area, block); block = block.next()) {
            read(block);
        }
    }
    scrollBar.setValue(was);
}

// The input text with brackets around the characters drawn highlighted, as the
// user sees them scrolling through it; "?" for a character drawn differently at
// different times or never shown.
QString MarkedInput(TInputArea& area) {
    const QColor highlight = HighlightColour(area.palette());
    std::map<int, bool> seen; // position: drawn highlighted
    bool steady = true;
    ReadAsScrolled(area, [&](const QTextBlock& block) {
        // The line break before a paragraph that starts a line is a character too.
        const bool breakBefore = block.previous().isValid() && !TInputArea::IsContinuation(block);
        for (int p = block.position() - (breakBefore ? 1 : 0);
             p < block.position() + block.length() - 1; ++p) {
            const bool highlighted = DrawnBackground(area, p) == highlight;
            const auto [place, added] = seen.emplace(p, highlighted);
            steady = steady && (added || place->second == highlighted);
        }
    });
    QString marked;
    bool open = false;
    for (QTextBlock block = area.document()->begin(); block.isValid(); block = block.next()) {
        const bool breakBefore = block.previous().isValid() && !TInputArea::IsContinuation(block);
        const QString text = block.text();
        for (int i = breakBefore ? -1 : 0; i < text.size(); ++i) {
            const auto place = seen.find(block.position() + i);
            if (place == seen.end()) {
                return QStringLiteral("?");
            }
            if (place->second != open) {
                open = place->second;
                marked += open ? u'[' : u']';
            }
            marked += i < 0 ? QChar(u'\n') : text[i];
        }
    }
    if (open) {
        marked += u']';
    }
    return steady ? marked : QStringLiteral("?");
}

// The output's display lines drawn highlighted as the user sees them scrolling
// through it: every character on the highlight colour, but for marks, which
// keep their own colours. "?" for a line drawn partly highlighted, or
// highlighted at one time and not at another.
QStringList HighlightedLines(QPlainTextEdit& area) {
    const QColor highlight = HighlightColour(area.palette());
    std::map<int, std::pair<QString, bool>> seen; // by block number: text, highlighted
    bool steady = true;
    ReadAsScrolled(area, [&](const QTextBlock& block) {
        int highlighted = 0;
        int plain = 0;
        const int end = block.position() + std::max(block.length() - 1, 1);
        for (int p = block.position(); p < end; ++p) {
            const QColor drawn = DrawnBackground(area, p);
            const bool mark = OwnBackground(area, p).isValid();
            if (drawn == highlight) {
                ++highlighted;
            } else if (!mark || !drawn.isValid()) {
                ++plain; // a mark inside a highlighted line keeps its colours
            }
        }
        const auto [place, added] =
            seen.emplace(block.blockNumber(), std::pair(block.text(), highlighted > 0));
        steady = steady && (highlighted == 0 || plain == 0) &&
                 (added || place->second.second == (highlighted > 0));
    });
    QStringList found;
    for (const auto& [number, line] : seen) {
        if (line.second) {
            found << line.first;
        }
    }
    return steady ? found : QStringList{QStringLiteral("?")};
}

// Puts the output's caret inside the line that reads `line`.
bool PutCaretOnLine(QPlainTextEdit& output, const QString& line) {
    for (QTextBlock block = output.document()->begin(); block.isValid(); block = block.next()) {
        if (block.text() == line) {
            PutCaret(output, block.position() + std::min(3, block.length() - 1));
            return true;
        }
    }
    return false;
}

// Whether the area shows the character at `position` whole.
bool ShowsWhole(const QPlainTextEdit& area, int position) {
    QTextCursor cursor(area.document());
    cursor.setPosition(position);
    const QRect at = area.cursorRect(cursor);
    return at.top() >= 0 && at.bottom() < area.viewport()->height();
}

// The window shown, with `input` set as Paste From Clipboard sets it and decoded.
class TDecoded : public TWindow {
public:
    TDecoded(int mode, const QString& input) {
        Form.show();
        Decode(mode, input);
    }
};

} // namespace

class HighlightTest : public QObject {
    Q_OBJECT

private slots:
    void outputCaretHighlightsInput_data();
    void outputCaretHighlightsInput();
    void inputCaretHighlightsOutput_data();
    void inputCaretHighlightsOutput();
    void highlightCrossesParagraphsOfALongLine();
    void inputHighlightIsScrolledIntoView();
    void outputScrollsOnlyWhenNoHighlightedLineIsInView();
    void outputStaysWhenAnyHighlightedLineIsInView();
    void marksKeepTheirColoursInAHighlightedLine();
    void highlightFollowsTheAreaEntered();
    void changesUntie_data();
    void changesUntie();
    void removingNoBlankKeepsTheHighlight();
    void resizingKeepsTheHighlight();
};

void HighlightTest::outputCaretHighlightsInput_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("marked"); // the input, highlighted characters in brackets
    QTest::addColumn<QString>("line");   // the output line the caret goes to

    QTest::newRow("ASCII Hex Mode: the pairs of a value")
        << 0 << QStringLiteral("311C[303031]1C3030321C33")
        << QStringLiteral("Logical Unit Number = 001");
    QTest::newRow("ASCII Hex Mode: a header shows the class")
        << 0 << QStringLiteral("[31]1C3030311C3030321C33")
        << QStringLiteral("Operational Command (31)");
    QTest::newRow("ASCII Hex Mode: a line break between pairs is a pair, CR LF")
        << 0 << QStringLiteral("[4142\n]1C4344") << QStringLiteral("DieField[0] = 41 42 00");
    QTest::newRow("NETADRD: a field split over two trace lines, pairs only")
        << 1
        << OperationalTrace(QStringLiteral("31 1C 30 30 31 1C [30 30]"),
                            QStringLiteral("[32] 1C 33"))
        << QStringLiteral("Message Sequence Number = 002");
    QTest::newRow("String Mode: the characters")
        << 2 << QStringLiteral("1~001~[002]~3") << QStringLiteral("Message Sequence Number = 002");
    QTest::newRow("String Mode: a value with a line break")
        << 2 << QStringLiteral("[A\nB]~C") << QStringLiteral("DieField[0] = 41 0D 0A 42");
    QTest::newRow("String Mode: a character beyond Windows-1252 is one byte")
        << 2 << QStringLiteral("AB~[\U0001F600C]") << QStringLiteral("DieField[1] = 3F 43");
    QTest::newRow("no mode: the characters, a tilde among them")
        << kNoMode << QStringLiteral("[AB~CD]") << QStringLiteral("DieField[0] = 41 42 7E 43 44");
    QTest::newRow("a line without a range")
        << 2 << QStringLiteral("AB~CD") << QStringLiteral("mtUnknown");
    QTest::newRow("a zero-length range")
        << 2
        << QStringLiteral("11~000~~~12345678~;1234567890123456=2512?~~AB CDEFGH~00001000~~~~~~~")
        << QStringLiteral("Time Variant Number = ");
}

void HighlightTest::outputCaretHighlightsInput() {
    QFETCH(int, mode);
    QFETCH(QString, marked);
    QFETCH(QString, line);

    TDecoded window(mode, Unmarked(marked));
    PutCaret(window.Input(), 0);
    const int inputRevision = window.Input().document()->revision();
    const int outputRevision = window.Output().document()->revision();

    QVERIFY(PutCaretOnLine(window.Output(), line));
    QCOMPARE(MarkedInput(window.Input()), marked);
    QCOMPARE(HighlightedLines(window.Output()), QStringList()); // the caret's area shows none
    // An extra selection, not a change of either text; the input caret stays.
    QCOMPARE(window.Input().document()->revision(), inputRevision);
    QCOMPARE(window.Output().document()->revision(), outputRevision);
    QCOMPARE(window.Input().textCursor().position(), 0);
}

void HighlightTest::inputCaretHighlightsOutput_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("input"); // "|" where the caret goes
    QTest::addColumn<QStringList>("lines");

    const QStringList logicalUnit = {QStringLiteral("Logical Unit Number = 001")};
    QTest::newRow("ASCII Hex Mode: the first digit of a pair")
        << 0 << QStringLiteral("311C|3030311C3030321C33") << logicalUnit;
    QTest::newRow("ASCII Hex Mode: the second digit of a pair")
        << 0 << QStringLiteral("311C303|0311C3030321C33") << logicalUnit;
    QTest::newRow("ASCII Hex Mode: the class")
        << 0 << QStringLiteral("|311C3030311C3030321C33")
        << QStringList{QStringLiteral("Operational Command (31)")};
    QTest::newRow("ASCII Hex Mode: a field separator, on no line")
        << 0 << QStringLiteral("31|1C3030311C3030321C33") << QStringList();
    QTest::newRow("NETADRD: a pair on the second trace line")
        << 1
        << OperationalTrace(QStringLiteral("31 1C 30 30 31 1C 30 30"), QStringLiteral("|32 1C 33"))
        << QStringList{QStringLiteral("Message Sequence Number = 002")};
    QTest::newRow("NETADRD: the offset columns")
        << 1
        << OperationalTrace(QStringLiteral("31 1C 30 30 31 1C 30 30"), QStringLiteral("32 1C 33"))
               .replace(QStringLiteral("\n00000008"), QStringLiteral("\n0000|0008"))
        << QStringList();
    QTest::newRow("NETADRD: the bytes as text")
        << 1
        << OperationalTrace(QStringLiteral("31 1C 30 30 31 1C 30 30"), QStringLiteral("32 1C 33"))
               .replace(QStringLiteral("1.001.00"), QStringLiteral("1.0|01.00"))
        << QStringList();
    QTest::newRow("String Mode: a byte two lines show")
        << 2 << QStringLiteral("3~000~001~|12")
        << QStringList{QStringLiteral("Write Identifier = 1"),
                       QStringLiteral("Modifier = (2) States")};
    QTest::newRow("String Mode: the byte after it, one line")
        << 2 << QStringLiteral("3~000~001~1|2")
        << QStringList{QStringLiteral("Modifier = (2) States")};
    QTest::newRow("String Mode: a tilde is an FS, on no line")
        << 2 << QStringLiteral("1~001|~002~3") << QStringList();
    QTest::newRow("String Mode: at the end of the text, its last character")
        << 2 << QStringLiteral("1~001~002~3|")
        << QStringList{QStringLiteral("Command Code = Configuration information request")};
    QTest::newRow("String Mode: at the end of a line, its last character")
        << 2 << QStringLiteral("AB|\nC~D")
        << QStringList{QStringLiteral("DieField[0] = 41 42 0D 0A 43")};
    QTest::newRow("String Mode: a character beyond Windows-1252")
        << 2 << QStringLiteral("AB~|\U0001F600C")
        << QStringList{QStringLiteral("DieField[1] = 3F 43")};
    QTest::newRow("no mode: a tilde is a character")
        << kNoMode << QStringLiteral("AB|~CD")
        << QStringList{QStringLiteral("DieField[0] = 41 42 7E 43 44")};
}

void HighlightTest::inputCaretHighlightsOutput() {
    QFETCH(int, mode);
    QFETCH(QString, input);
    QFETCH(QStringList, lines);

    TDecoded window(mode, Unmarked(input));
    const int outputRevision = window.Output().document()->revision();
    const int outputCaret = window.Output().textCursor().position();

    const int caret = static_cast<int>(input.indexOf(u'|'));
    PutCaret(window.Input(), caret == 0 ? 1 : 0); // the caret moves, wherever it was
    PutCaret(window.Input(), caret);
    QCOMPARE(HighlightedLines(window.Output()), lines);
    QCOMPARE(MarkedInput(window.Input()), Unmarked(input)); // the caret's area shows none
    QCOMPARE(window.Output().document()->revision(), outputRevision);
    QCOMPARE(window.Output().textCursor().position(), outputCaret);
}

// A long pasted line is kept in paragraphs; its highlight runs on across them,
// and a highlighted line of the output runs on across its display lines.
void HighlightTest::highlightCrossesParagraphsOfALongLine() {
    const QString first = QStringLiteral("41").repeated(3000);
    const QString second = QStringLiteral("42").repeated(3000);
    TDecoded window(0, QStringLiteral("39") + first + QStringLiteral("1C") + second +
                           QStringLiteral("1C43"));
    QVERIFY(window.Input().document()->blockCount() >= 3); // the second field crosses a cut

    const QString listed =
        QStringLiteral("DieField[1] = ") + QStringList(3000, QStringLiteral("42")).join(u' ');
    QVERIFY(PutCaretOnLine(window.Output(), listed.left(velquist::ui::kLongestShownLine)));
    QCOMPARE(MarkedInput(window.Input()), QStringLiteral("39") + first + QStringLiteral("1C[") +
                                              second + QStringLiteral("]1C43"));

    PutCaret(window.Input(), window.Input().document()->lastBlock().position() + 20);
    const QStringList lines = HighlightedLines(window.Output());
    QCOMPARE(lines.size(), 3); // the line goes on twice
    QCOMPARE(lines.join(QString()).remove(QChar(velquist::ui::kContinuationMark)), listed);
}

// The caret on the last output line brings its pairs, at the end of a long
// trace, into the input area's view; the input caret stays where it was. The
// caret on the line of the long field highlights its pairs on every trace
// line, however far the area scrolls.
void HighlightTest::inputHighlightIsScrolledIntoView() {
    const int lines = 40;
    const QString pairs = QStringLiteral("41 ").repeated(8).trimmed();
    const auto trace = [&](bool longField, bool lastField) {
        const auto marked = [](bool on, const QString& text) {
            return on ? u'[' + text + u']' : text;
        };
        QString text = QStringLiteral("NETADRD trace\n") +
                       TraceLine(0, marked(longField, QStringLiteral("39 41 41 41 41 41 41 41")),
                                 QStringLiteral("9AAAAAAA"));
        for (int line = 1; line < lines; ++line) {
            text += u'\n' + TraceLine(line, marked(longField, pairs), QStringLiteral("AAAAAAAA"));
        }
        return text + u'\n' +
               TraceLine(lines, QStringLiteral("1C ") + marked(lastField, QStringLiteral("42 43")),
                         QStringLiteral(".BC"));
    };
    TDecoded window(1, trace(false, false));
    PutCaret(window.Input(), 0);
    QCOMPARE(window.Input().verticalScrollBar()->value(), 0);

    QVERIFY(PutCaretOnLine(window.Output(), QStringLiteral("DieField[1] = 42 43")));
    const int pair = static_cast<int>(window.Input().Text().lastIndexOf(QStringLiteral("42 43")));
    QVERIFY(ShowsWhole(window.Input(), pair));
    QVERIFY(window.Input().verticalScrollBar()->value() > 0);
    QCOMPARE(window.Input().textCursor().position(), 0);
    QCOMPARE(MarkedInput(window.Input()), trace(false, true));

    PutCaret(window.Output(), window.Output().document()->findBlockByNumber(1).position());
    QVERIFY(
        ShowsWhole(window.Input(), int(window.Input().Text().indexOf(QStringLiteral("39 41")))));
    QCOMPARE(MarkedInput(window.Input()), trace(true, false));
}

// The caret in the input brings the first line showing its byte into view
// when none of those lines is in view, and leaves the output where it is when
// one is: the user is reading there.
void HighlightTest::outputScrollsOnlyWhenNoHighlightedLineIsInView() {
    TDecoded window(2, QStringLiteral("AB") + QStringLiteral("~CD").repeated(200));
    QPlainTextEdit& output = window.Output();
    QScrollBar& scrollBar = *output.verticalScrollBar();
    QVERIFY(scrollBar.maximum() > 150);
    scrollBar.setValue(100); // field 99 at the top
    const int outputCaret = output.textCursor().position();
    const auto fieldStart = [](int field) { return 3 * field; }; // in the input

    PutCaret(window.Input(), fieldStart(104)); // its line is in view
    QCOMPARE(scrollBar.value(), 100);
    const int line104 = output.document()->findBlockByNumber(105).position();
    QVERIFY(ShowsWhole(output, line104));

    PutCaret(window.Input(), fieldStart(190) + 1); // out of view
    const int line190 = output.document()->findBlockByNumber(191).position();
    QVERIFY(ShowsWhole(output, line190));
    QCOMPARE(output.textCursor().position(), outputCaret);
    QCOMPARE(HighlightedLines(output), QStringList{QStringLiteral("DieField[190] = 43 44")});
}

// A hardware configuration byte is shown by the lines of all its bits. With
// one of them in view the output stays where it is; scrolling through, every
// one of them is drawn highlighted.
void HighlightTest::outputStaysWhenAnyHighlightedLineIsInView() {
    TDecoded window(2, QStringLiteral("22w1125~H8~~8D;C:A=31~B;F2ww6~8B0w>w>~A2"));
    window.Get<QSplitter>("Splitter1").setSizes({1000, 0}); // the output a line or two high
    QPlainTextEdit& output = window.Output();
    QScrollBar& scrollBar = *output.verticalScrollBar();
    QVERIFY(scrollBar.maximum() >= 8);
    scrollBar.setValue(7); // "Enhanced deposit printer: present" at the top

    PutCaret(window.Input(), 25); // the second byte of the configuration's bits
    QCOMPARE(scrollBar.value(), 7);
    const QStringList lines = {QStringLiteral("- Hardware Configuration (42 3B 46 32 77 77 36)"),
                               QStringLiteral("   a.    b. Quick Cash Fascia: disable"),
                               QStringLiteral("      Card reader type: motorized or Dip"),
                               QStringLiteral("      Enhanced deposit printer: present"),
                               QStringLiteral("      VISA PIN PROM: N/A"),
                               QStringLiteral("      Vandal shield: present"),
                               QStringLiteral("      Withdrawal door: present")};
    QCOMPARE(HighlightedLines(output), lines);

    // Made tall at the top, the area shows every highlighted line at once.
    scrollBar.setValue(0);
    window.Get<QSplitter>("Splitter1").setSizes({0, 1000});
    QCOMPARE(scrollBar.value(), 0);
    QCOMPARE(HighlightedLines(output), lines);
}

void HighlightTest::marksKeepTheirColoursInAHighlightedLine() {
    TDecoded window(2, QStringLiteral("1~0\x1B\x1D"
                                      "1~002~3"));
    PutCaret(window.Input(), 3);
    QCOMPARE(HighlightedLines(window.Output()),
             QStringList{QStringLiteral("Logical Unit Number = 0ESCGS1")});

    QPlainTextEdit& output = window.Output();
    const int start = output.document()->findBlockByNumber(1).position();
    const int mark = start + int(QStringLiteral("Logical Unit Number = 0").size());
    const QColor highlight = HighlightColour(output.palette());
    for (int p = start; p < start + output.document()->findBlockByNumber(1).length() - 1; ++p) {
        const QColor own = OwnBackground(output, p);
        const bool inMark = p >= mark && p < mark + 5; // "ESC", then "GS" lighter
        QCOMPARE(own.isValid(), inMark);
        QCOMPARE(DrawnBackground(output, p), inMark ? own : highlight);
    }
}

// Tabbing into an area puts its caret to work where it stands. The focus is
// asked of the window, and the area tabbed into is given the focus event that
// the control of an active window gets: whether the window becomes the active
// one is up to the window manager, and there may be none.
void HighlightTest::highlightFollowsTheAreaEntered() {
    TDecoded window(2, kOperationalCommand);
    const auto tab = [&window](Qt::Key key) {
        QTest::keyClick(window.Form.focusWidget(), key);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(window.Form.focusWidget(), &focusIn);
    };
    window.Input().setFocus();
    PutCaret(window.Input(), 2);
    QCOMPARE(HighlightedLines(window.Output()),
             QStringList{QStringLiteral("Logical Unit Number = 001")});

    tab(Qt::Key_Tab); // the output's caret is on its first line
    QCOMPARE(window.Form.focusWidget(), &window.Output());
    QCOMPARE(MarkedInput(window.Input()), QStringLiteral("[1]~001~002~3"));
    QCOMPARE(HighlightedLines(window.Output()), QStringList());

    tab(Qt::Key_Backtab);
    QCOMPARE(window.Form.focusWidget(), &window.Input());
    QCOMPARE(HighlightedLines(window.Output()),
             QStringList{QStringLiteral("Logical Unit Number = 001")});
    QCOMPARE(MarkedInput(window.Input()), kOperationalCommand);
}

// A change of either text unties the areas: nothing is highlighted, whatever
// the carets do, until the next decode.
enum class TChange { Typing, EditingOutput, Pasting, FailedDecode };
Q_DECLARE_METATYPE(TChange)

void HighlightTest::changesUntie_data() {
    QTest::addColumn<TChange>("change");
    QTest::addColumn<QString>("input"); // after the change

    QTest::newRow("typing into the input") << TChange::Typing << kOperationalCommand + u'0';
    QTest::newRow("editing the output") << TChange::EditingOutput << kOperationalCommand;
    QTest::newRow("pasting the same text") << TChange::Pasting << kOperationalCommand;
    QTest::newRow("a failed decode") << TChange::FailedDecode << kOperationalCommand;
}

void HighlightTest::changesUntie() {
    QFETCH(TChange, change);
    QFETCH(QString, input);

    TDecoded window(2, kOperationalCommand);
    QPlainTextEdit& output = window.Output();
    const QString line = QStringLiteral("Logical Unit Number = 001");
    QVERIFY(PutCaretOnLine(output, line));
    QCOMPARE(MarkedInput(window.Input()), QStringLiteral("1~[001]~002~3"));

    switch (change) {
    case TChange::Typing: QTest::keyClicks(&window.Input(), QStringLiteral("0")); break;
    case TChange::EditingOutput: QTest::keyClicks(&output, QStringLiteral("x")); break;
    case TChange::Pasting:
        QGuiApplication::clipboard()->setText(kOperationalCommand);
        QTest::mouseClick(&window.Get<QPushButton>("btnPaste"), Qt::LeftButton);
        break;
    case TChange::FailedDecode: // the text decoded unchanged lacks field 1
        window.Mode().setCurrentIndex(kNoMode);
        QTest::mouseClick(&window.Get<QPushButton>("btnDo"), Qt::LeftButton);
        QVERIFY(
            output.toPlainText().endsWith(QStringLiteral("Error: List index out of bounds (1)")));
        break;
    }
    QCOMPARE(window.Input().Text(), input);
    QCOMPARE(MarkedInput(window.Input()), input);
    QCOMPARE(HighlightedLines(output), QStringList());

    QVERIFY(PutCaretOnLine(output, QStringLiteral("Message Sequence Number = 002")));
    QCOMPARE(MarkedInput(window.Input()), input);
    PutCaret(window.Input(), 3);
    QCOMPARE(HighlightedLines(output), QStringList());

    window.Decode(2, kOperationalCommand);
    QVERIFY(PutCaretOnLine(output, line));
    QCOMPARE(MarkedInput(window.Input()), QStringLiteral("1~[001]~002~3"));
}

// Remove Space(s) on a text without blanks changes nothing, the highlight
// included; with a blank it is a change like any other.
void HighlightTest::removingNoBlankKeepsTheHighlight() {
    TDecoded window(2, kOperationalCommand);
    QVERIFY(PutCaretOnLine(window.Output(), QStringLiteral("Logical Unit Number = 001")));
    window.Press("btnRemSpaces");
    QCOMPARE(MarkedInput(window.Input()), QStringLiteral("1~[001]~002~3"));

    window.Decode(2, kOperationalCommand + u' ');
    QVERIFY(PutCaretOnLine(window.Output(), QStringLiteral("Logical Unit Number = 001")));
    window.Press("btnRemSpaces");
    QCOMPARE(MarkedInput(window.Input()), kOperationalCommand);
}

// Resizing cuts a long line into paragraphs anew; the text and the highlight
// stay as they were. The highlighted character lies between where the first
// cut is before and after, so it moves to the other paragraph.
void HighlightTest::resizingKeepsTheHighlight() {
    const int fields = 6000;
    const QString text = QStringLiteral("9") + QStringLiteral("~A").repeated(fields);
    TDecoded window(2, text); // field k, "A", at offset 2k
    TInputArea& input = window.Input();
    const auto firstCut = [&input] { return input.document()->begin().length() - 1; };
    const auto resize = [&window](int width) {
        window.Form.resize(width, window.Form.height());
        QCoreApplication::processEvents();
    };
    const int width = window.Form.width();
    const int cut = firstCut();
    int widerCut = cut;
    int wider = width;
    while (std::abs(widerCut - cut) < 2 && wider < width + 400) {
        resize(wider += 37);
        widerCut = firstCut();
    }
    QVERIFY(std::abs(widerCut - cut) >= 2);
    resize(width);
    QCOMPARE(firstCut(), cut);

    const int field = (std::min(cut, widerCut) + 1) / 2;
    QVERIFY(PutCaretOnLine(window.Output(), QStringLiteral("DieField[%1] = 41").arg(field)));
    const QString marked = QString(text).replace(2 * field, 1, QStringLiteral("[A]"));
    QCOMPARE(MarkedInput(input), marked);

    resize(wider);
    QCOMPARE(firstCut(), widerCut);
    QCOMPARE(input.Text(), text);
    QCOMPARE(MarkedInput(input), marked);

    // A field before both cuts keeps its positions, and its highlight.
    QVERIFY(PutCaretOnLine(window.Output(), QStringLiteral("DieField[1] = 41")));
    const QString first = QString(text).replace(2, 1, QStringLiteral("[A]"));
    QCOMPARE(MarkedInput(input), first);
    resize(width);
    QCOMPARE(firstCut(), cut);
    QCOMPARE(MarkedInput(input), first);
}

VELQUIST_UI_TEST_MAIN(HighlightTest)
#include "HighlightTest.moc"
