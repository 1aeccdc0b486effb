// The input area: each action one step to undo and redo (by keys and by the
// context menu), the history kept when long lines are cut anew for another
// width, checked over random edits; control characters drawn as the output
// area draws their bytes, the text unchanged.

#include "InputArea.h"
#include "SeededRandom.h"
#include "ShownText.h"
#include "TestMain.h"
#include "TestWindow.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTextBlock>
#include <QTimer>
#include <QtMath>

using velquist::TSeededRandom;
using velquist::ui::TInputArea;

namespace {

// The text the document holds, its paragraphs joined as the area joins them.
QString DocumentText(const TInputArea& area) {
    QString text;
    for (QTextBlock block = area.document()->begin(); block.isValid(); block = block.next()) {
        const bool lineBreak =
            block != area.document()->begin() && !TInputArea::IsContinuation(block);
        text += (lineBreak ? QStringLiteral("\n") : QString()) + block.text();
    }
    return text;
}

// Presses the first key binding of `key` (Ctrl+Z, ...) in the area.
void Press(TInputArea& area, QKeySequence::StandardKey key) {
    const QKeyCombination keys = QKeySequence::keyBindings(key).constFirst()[0];
    QTest::keyClick(&area, keys.key(), keys.keyboardModifiers());
}

// Chooses `name` ("edit-undo", "edit-redo") from the area's context menu;
// false when the menu has it disabled.
bool ChooseFromMenu(TInputArea& area, const char* name) {
    bool chosen = false;
    QTimer::singleShot(0, &area, [&area, &chosen, name] {
        auto* const menu = area.findChild<QMenu*>();
        auto* const action = menu != nullptr ? menu->findChild<QAction*>(name) : nullptr;
        chosen = action != nullptr && action->isEnabled();
        if (chosen) {
            action->trigger();
        }
        if (menu != nullptr) {
            menu->close();
        }
    });
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, area.viewport()->mapToGlobal(at));
    QApplication::sendEvent(area.viewport(), &event);
    return chosen;
}

// Undoes or redoes by the keys or the context menu; false when the menu has
// the action disabled.
bool Step(TInputArea& area, QKeySequence::StandardKey key, bool byMenu) {
    if (byMenu) {
        return ChooseFromMenu(area, key == QKeySequence::Undo ? "edit-undo" : "edit-redo");
    }
    Press(area, key);
    return true;
}

int Below(TSeededRandom& random, int n) {
    return static_cast<int>(random.Below(static_cast<std::uint64_t>(n)));
}

QChar Pick(TSeededRandom& random, QStringView from) {
    return from[Below(random, static_cast<int>(from.size()))];
}

// A text to paste: digits, blanks, "~", FS and ESC, line breaks of every kind,
// sometimes one long line.
QString RandomText(TSeededRandom& random) {
    const QString characters = QStringLiteral("0123456789ABCDEF  ~\x1C\x1B\r\n");
    QString text;
    const int length = random.OneIn(4) ? 6000 + Below(random, 6000) : Below(random, 40);
    for (int i = 0; i < length; ++i) {
        text += random.OneIn(40) ? QStringLiteral("\r\n") : QString(Pick(random, characters));
    }
    return text;
}

enum class TAction { PasteButton, RemoveSpaces, CtrlV, Typing, CtrlX };

} // namespace

Q_DECLARE_METATYPE(TAction)

class InputAreaTest : public QObject {
    Q_OBJECT

private slots:
    void actionsAreUndoneAndRedone_data();
    void actionsAreUndoneAndRedone();
    void cuttingLinesAnewKeepsTheHistory();
    void randomEditsAreUndoneAndRedoneExactly();
    void documentChangedPastTheAreaIsFollowed();
    void controlCharactersDrawnAsTheOutputDrawsThem();
};

void InputAreaTest::actionsAreUndoneAndRedone_data() {
    QTest::addColumn<TAction>("action");
    QTest::addColumn<bool>("byMenu"); // else by keys
    QTest::addColumn<QString>("after");

    for (const bool byMenu : {false, true}) {
        const char* by = byMenu ? "context menu" : "keys";
        QTest::addRow("Paste From Clipboard, %s", by)
            << TAction::PasteButton << byMenu << QStringLiteral("AB\nCD");
        QTest::addRow("Remove Space(s), %s", by)
            << TAction::RemoveSpaces << byMenu << QStringLiteral("3132");
        QTest::addRow("Ctrl+V, %s", by)
            << TAction::CtrlV << byMenu << QStringLiteral("31 32AB\nCD");
        QTest::addRow("typing elsewhere, %s", by)
            << TAction::Typing << byMenu << QStringLiteral("x31 32");
        QTest::addRow("Ctrl+X of all, %s", by) << TAction::CtrlX << byMenu << QString();
    }
}

// Text typed, then an action: Undo brings back the typed text, Undo again the
// empty area; Redo twice makes both again.
void InputAreaTest::actionsAreUndoneAndRedone() {
    QFETCH(TAction, action);
    QFETCH(bool, byMenu);
    QFETCH(QString, after);

    TWindow window;
    window.Form.show();
    TInputArea& input = window.Input();
    const QString typed = QStringLiteral("31 32");
    QTest::keyClicks(&input, typed);
    QGuiApplication::clipboard()->setText(QStringLiteral("AB\r\nCD"));
    switch (action) {
    case TAction::PasteButton: window.Press("btnPaste"); break;
    case TAction::RemoveSpaces: window.Press("btnRemSpaces"); break;
    case TAction::CtrlV: Press(input, QKeySequence::Paste); break;
    case TAction::Typing:
        PutCaret(input, 0);
        QTest::keyClicks(&input, QStringLiteral("x"));
        break;
    case TAction::CtrlX:
        input.selectAll();
        Press(input, QKeySequence::Cut);
        break;
    }
    QCOMPARE(input.Text(), after);

    QVERIFY(Step(input, QKeySequence::Undo, byMenu));
    QCOMPARE(input.Text(), typed);
    QVERIFY(Step(input, QKeySequence::Undo, byMenu));
    QCOMPARE(input.Text(), QString());
    QVERIFY(!ChooseFromMenu(input, "edit-undo")); // nothing more to undo
    QVERIFY(Step(input, QKeySequence::Redo, byMenu));
    QCOMPARE(input.Text(), typed);
    QVERIFY(Step(input, QKeySequence::Redo, byMenu));
    QCOMPARE(input.Text(), after);
    QVERIFY(!ChooseFromMenu(input, "edit-redo"));
    QCOMPARE(DocumentText(input), after);
}

// A window resized cuts a long line anew; what was pasted and typed before
// is undone and redone all the same.
void InputAreaTest::cuttingLinesAnewKeepsTheHistory() {
    const QString line = QStringLiteral("0123456789ABCDEF").repeated(1000);
    TWindow window;
    window.Form.show();
    TInputArea& input = window.Input();
    QGuiApplication::clipboard()->setText(line);
    window.Press("btnPaste");
    QTest::keyClicks(&input, QStringLiteral("x"));
    const std::vector<qsizetype> cuts = input.Cuts();
    window.Form.resize(window.Form.width() + 123, window.Form.height());
    QCoreApplication::processEvents();
    QVERIFY(!cuts.empty() && input.Cuts() != cuts);

    Press(input, QKeySequence::Undo);
    QCOMPARE(input.Text(), line);
    Press(input, QKeySequence::Undo);
    QCOMPARE(input.Text(), QString());
    Press(input, QKeySequence::Redo);
    Press(input, QKeySequence::Redo);
    QCOMPARE(input.Text(), line + u'x');
    QCOMPARE(DocumentText(input), input.Text());
}

// Random typing, deleting, pasting over selections, Paste From Clipboard,
// Remove Space(s), undoing and resizing, on texts with long lines: the text
// always is what the document shows; undoing every step goes back through
// texts the area held, in order, to the empty area, and redoing every step
// comes forward through the same texts.
void InputAreaTest::randomEditsAreUndoneAndRedoneExactly() {
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        TSeededRandom random(seed);
        TWindow window;
        window.Form.show();
        TInputArea& input = window.Input();
        QStringList held{QString()}; // every text the area held, in order
        for (int step = 0; step < 40; ++step) {
            const int end = input.document()->characterCount() - 1;
            PutCaret(input, Below(random, end + 1));
            switch (Below(random, 8)) {
            case 0: QTest::keyClicks(&input, Pick(random, u"0123456789 ~")); break;
            case 1: QTest::keyClick(&input, Qt::Key_Backspace); break;
            case 2: QTest::keyClick(&input, Qt::Key_Delete); break;
            case 3:
                PutCaret(input, Below(random, end + 1), Below(random, end + 1));
                QGuiApplication::clipboard()->setText(RandomText(random));
                Press(input, QKeySequence::Paste);
                break;
            case 4:
                QGuiApplication::clipboard()->setText(RandomText(random));
                window.Press("btnPaste");
                break;
            case 5: window.Press("btnRemSpaces"); break;
            case 6: {
                if (!input.CanUndo()) {
                    break;
                }
                Press(input, QKeySequence::Undo);
                const qsizetype back = held.lastIndexOf(input.Text(), held.size() - 2);
                QVERIFY(back >= 0);
                held.resize(back); // what was undone is gone with the next change
                break;
            }
            default:
                window.Form.resize(565 + Below(random, 400), window.Form.height());
                QCoreApplication::processEvents();
            }
            QCOMPARE(DocumentText(input), input.Text());
            if (held.isEmpty() || held.back() != input.Text()) {
                held << input.Text();
            }
        }
        QStringList undone{input.Text()};
        qsizetype at = held.size() - 1;
        while (input.CanUndo()) {
            input.Undo();
            at = at > 0 ? held.lastIndexOf(input.Text(), at - 1) : -1;
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("seed %1").arg(seed)));
            undone.prepend(input.Text());
        }
        QCOMPARE(input.Text(), QString());
        QStringList redone{input.Text()};
        while (input.CanRedo()) {
            input.Redo();
            redone << input.Text();
        }
        QCOMPARE(redone, undone);
        QCOMPARE(DocumentText(input), input.Text());
    }
}

// A change made to the document itself, not through the area: the text is
// read again from it, and the change can be undone.
void InputAreaTest::documentChangedPastTheAreaIsFollowed() {
    TWindow window;
    TInputArea& input = window.Input();
    window.SetInput(QStringLiteral("0123456789").repeated(1000));
    input.document()->setPlainText(QStringLiteral("ab\ncd"));
    QCOMPARE(input.Text(), QStringLiteral("ab\ncd"));
    QVERIFY(input.Cuts().empty());
    while (input.CanUndo()) {
        input.Undo();
    }
    QCOMPARE(input.Text(), QString());
}

// The input holds "0" at columns 22 to 39 and two NULs from column 40, which
// ASCII Hex Mode reads as the logical unit number "000000000" and a 0x00 byte:
// the output shows that byte as the mark NUL at column 40 of its line too. The
// first mark of the input is drawn as the output's, pixel for pixel; the
// second beside it is lighter; the text stays as pasted.
void InputAreaTest::controlCharactersDrawnAsTheOutputDrawsThem() {
    const QString nuls(2, QChar(0));
    const QString text = QStringLiteral("311C") + QStringLiteral("30").repeated(18) + nuls +
                         QStringLiteral("1C3030321C31");
    TWindow window;
    window.Form.show();
    window.Decode(0, text);
    QCOMPARE(window.Input().Text(), text);
    window.Input().selectAll();
    window.Input().copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    window.Input().setTextCursor(QTextCursor(window.Input().document()));
    QCOMPARE(window.Output().document()->findBlockByNumber(1).text(),
             QStringLiteral("Logical Unit Number = 000000000000000000NUL"));

    // The box of the mark at `column` of line `line`, `characters` wide, in
    // the pixels of the area's picture.
    const auto box = [](QPlainTextEdit& area, int line, int column, int characters) {
        QTextCursor cursor(area.document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
        const QRect start = area.cursorRect(cursor);
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, characters);
        const qreal scale = area.devicePixelRatioF();
        return QRect(qRound(start.x() * scale), qRound(start.y() * scale),
                     qRound((area.cursorRect(cursor).x() - start.x()) * scale),
                     qRound(start.height() * scale));
    };
    const QImage input = window.Input().viewport()->grab().toImage();
    const QImage output = window.Output().viewport()->grab().toImage();
    const QRect inputBox = box(window.Input(), 0, 40, 1);
    const QRect outputBox = box(window.Output(), 1, 40, 3);
    QVERIFY(outputBox.width() > 0);
    QCOMPARE(inputBox.size(), outputBox.size());
    // Its edges may mix with what is beside it; the rest is the same.
    const QRect inside(QPoint(1, 1), inputBox.size() - QSize(2, 2));
    QCOMPARE(input.copy(inside.translated(inputBox.topLeft())),
             output.copy(inside.translated(outputBox.topLeft())));

    const QRect second = box(window.Input(), 0, 41, 1);
    const int pixel = qCeil(window.Input().devicePixelRatioF());   // the rounding of a position
    QVERIFY(std::abs(second.width() - inputBox.width()) <= pixel); // the same width
    const velquist::ui::TShownMark lighter{0, 3, velquist::ui::TMarkKind::Byte, true};
    QCOMPARE(input.pixelColor(second.topLeft() + QPoint(1, 1)),
             velquist::ui::MarkBackground(window.Input().palette(), lighter));
}

VELQUIST_UI_TEST_MAIN(InputAreaTest)
#include "InputAreaTest.moc"
