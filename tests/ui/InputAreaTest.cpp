// The input area: typing, Ctrl+V, Remove Space(s) and Paste From Clipboard are
// each one step to undo and redo, by the keys and by the context menu; over
// random edits and resizes that cut long lines anew, undoing and redoing give
// back the texts the area held; control characters are drawn as the output
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

// Undoes or redoes by the keys or the context menu; false when there was
// nothing to undo or redo (the menu has the action disabled).
bool Step(TInputArea& area, QKeySequence::StandardKey key, bool byMenu) {
    if (byMenu) {
        return ChooseFromMenu(area, key == QKeySequence::Undo ? "edit-undo" : "edit-redo");
    }
    const bool could = key == QKeySequence::Undo ? area.CanUndo() : area.CanRedo();
    Press(area, key);
    return could;
}

int Below(TSeededRandom& random, int n) {
    return static_cast<int>(random.Below(static_cast<std::uint64_t>(n)));
}

QChar Pick(TSeededRandom& random, QStringView from) {
    return from[Below(random, static_cast<int>(from.size()))];
}

// A text to paste: digits, blanks, "~", FS and ESC, line breaks of every kind;
// one time in three one long line.
QString RandomText(TSeededRandom& random) {
    const bool longLine = random.OneIn(3);
    const QString characters = QStringLiteral("0123456789ABCDEF  ~\x1C\x1B\r\n\r\n");
    QString text;
    for (int i = longLine ? 6000 + Below(random, 6000) : Below(random, 40); i > 0; --i) {
        text += Pick(random, QStringView(characters).first(characters.size() - (longLine ? 4 : 0)));
    }
    return text;
}

} // namespace

class InputAreaTest : public QObject {
    Q_OBJECT

private slots:
    void actionsAreStepsToUndo_data();
    void actionsAreStepsToUndo();
    void randomEditsAreUndoneAndRedoneExactly();
    void documentChangedPastTheAreaIsFollowed();
    void controlCharactersDrawnAsTheOutputDrawsThem();
};

void InputAreaTest::actionsAreStepsToUndo_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("by the keys") << false;
    QTest::newRow("by the context menu") << true;
}

// Text typed, a Ctrl+V, Remove Space(s), Paste From Clipboard: undoing takes
// them back one by one to the empty area, redoing makes them again.
void InputAreaTest::actionsAreStepsToUndo() {
    QFETCH(bool, byMenu);

    TWindow window;
    window.Form.show();
    TInputArea& input = window.Input();
    QStringList texts{input.Text()};
    QTest::keyClicks(&input, QStringLiteral("31 32"));
    texts << input.Text();
    QGuiApplication::clipboard()->setText(QStringLiteral("AB\r\nCD"));
    Press(input, QKeySequence::Paste);
    texts << input.Text();
    window.Press("btnRemSpaces");
    texts << input.Text();
    window.Press("btnPaste");
    texts << input.Text();
    QCOMPARE(texts, (QStringList{QString(), QStringLiteral("31 32"), QStringLiteral("31 32AB\nCD"),
                                 QStringLiteral("3132AB\nCD"), QStringLiteral("AB\nCD")}));

    for (qsizetype i = texts.size() - 2; i >= 0; --i) {
        QVERIFY(Step(input, QKeySequence::Undo, byMenu));
        QCOMPARE(input.Text(), texts[i]);
    }
    QVERIFY(!Step(input, QKeySequence::Undo, byMenu));
    for (qsizetype i = 1; i < texts.size(); ++i) {
        QVERIFY(Step(input, QKeySequence::Redo, byMenu));
        QCOMPARE(input.Text(), texts[i]);
    }
    QVERIFY(!Step(input, QKeySequence::Redo, byMenu));
}

// Random typing, deleting, pasting over selections, Paste From Clipboard,
// Remove Space(s), undoing, and resizing, which cuts long lines anew: the text
// always is what the document shows; undoing every step goes back through
// texts the area held, in order, to the empty area, and redoing every step
// comes forward through the same texts.
void InputAreaTest::randomEditsAreUndoneAndRedoneExactly() {
    int recut = 0; // resizes that cut the lines anew
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        TSeededRandom random(seed);
        TWindow window;
        window.Form.show();
        TInputArea& input = window.Input();
        QStringList held{QString()}; // every text the area held, in order
        for (int step = 0; step < 40; ++step) {
            const std::vector<qsizetype> cuts = input.Cuts();
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
                recut += input.Cuts() != cuts;
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
    QVERIFY(recut > 0);
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
// ASCII Hex Mode reads as the logical unit number "000000000" and a 0x00 byte,
// shown as the mark NUL at column 40 of its output line: the input's first
// NUL is drawn as the output's, pixel for pixel, the second lighter beside it;
// the text and a copy of it are as pasted.
void InputAreaTest::controlCharactersDrawnAsTheOutputDrawsThem() {
    const QString text = QStringLiteral("311C") + QStringLiteral("30").repeated(18) +
                         QString(2, QChar(0)) + QStringLiteral("1C3030321C31");
    TWindow window;
    window.Form.show();
    window.Decode(0, text);
    window.Input().selectAll();
    window.Input().copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    QCOMPARE(window.Input().Text(), text);
    PutCaret(window.Input(), 0);
    QVERIFY(window.Output().toPlainText().contains(QStringLiteral("= 000000000000000000NUL\n")));

    // Characters `from` to `to` of line `line`, in the pixels of the area's picture.
    const auto place = [](QPlainTextEdit& area, int line, int from, int to) {
        const int start = area.document()->findBlockByNumber(line).position();
        const QRect left = area.cursorRect(QTextCursor(area.document()->findBlock(start)));
        QTextCursor cursor(area.document());
        cursor.setPosition(start + from);
        const int x = area.cursorRect(cursor).x();
        cursor.setPosition(start + to);
        const qreal scale = area.devicePixelRatioF();
        return QRect(qRound(x * scale), qRound(left.y() * scale),
                     qRound((area.cursorRect(cursor).x() - x) * scale),
                     qRound(left.height() * scale));
    };
    const QImage input = window.Input().viewport()->grab().toImage();
    const QRect first = place(window.Input(), 0, 40, 41);
    const QRect output = place(window.Output(), 1, 40, 43);
    QVERIFY(output.width() > 0);
    QCOMPARE(first.size(), output.size());
    const QRect inside(QPoint(1, 1), first.size() - QSize(2, 2)); // edges may blend
    QCOMPARE(
        input.copy(inside.translated(first.topLeft())),
        window.Output().viewport()->grab().toImage().copy(inside.translated(output.topLeft())));

    const QRect second = place(window.Input(), 0, 41, 42);
    QVERIFY(std::abs(second.width() - first.width()) <= qCeil(window.Input().devicePixelRatioF()));
    const velquist::ui::TShownMark lighter{0, 3, velquist::ui::TMarkKind::Byte, true};
    QCOMPARE(input.pixelColor(second.topLeft() + QPoint(1, 1)),
             velquist::ui::MarkBackground(window.Input().palette(), lighter));
}

VELQUIST_UI_TEST_MAIN(InputAreaTest)
#include "InputAreaTest.moc"
