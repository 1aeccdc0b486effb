// The main window: decoding in each mode, the error line, the clean-up and
// paste buttons, the remembered input mode, geometry and keyboard order.

#include "FrmUtama.h"
#include "InputArea.h"
#include "ShownText.h"
#include "TestMain.h"
#include "TestWindow.h"
#include "UFrmAbout.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QtMath>

using velquist::ui::SettingsPathFor;
using velquist::ui::TfrmAbout;
using velquist::ui::TfrmDecode;
using velquist::ui::TInputArea;

namespace {

constexpr int kNoMode = -1;

// How a settings file can be unusable.
enum class TBadSettings { GarbageFile, FolderAtPath, FileAsFolder };

const QString kOperationalCommand =
    QStringLiteral("Operational Command (31)\nLogical Unit Number = 001\n"
                   "Message Sequence Number = 002\n"
                   "Command Code = Configuration information request");

const QString kListingABCD =
    QStringLiteral("mtUnknown\nDieField[0] = 41 42\nDieField[1] = 43 44\n");

QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLatin1(file.readAll())
        .split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
}

// A text of `count` distinct numbers, no part of which repeats.
QString Numbers(int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("%1,").arg(i, 5, 10, QLatin1Char('0'));
    }
    return text;
}

// Whether the input area shows a line cut into paragraphs as one wrapped line:
// every paragraph followed by a continuing one ends with a full display row.
bool CutsEndFullRows(TInputArea& area) {
    int cuts = 0;
    for (QTextBlock block = area.document()->begin(); block.next().isValid();
         block = block.next()) {
        if (!TInputArea::IsContinuation(block.next())) {
            continue;
        }
        ++cuts;
        area.document()->documentLayout()->blockBoundingRect(block); // lays it out
        const QTextLayout& layout = *block.layout();
        if (layout.lineCount() < 2 ||
            layout.lineAt(layout.lineCount() - 1).textLength() != layout.lineAt(0).textLength()) {
            return false;
        }
    }
    return cuts > 0;
}

// The background a character of the area is drawn on; none for plain text.
QBrush BackgroundAt(QPlainTextEdit& area, int position) {
    QTextCursor cursor(area.document());
    cursor.setPosition(position + 1); // the format of the character before the cursor
    return cursor.charFormat().background();
}

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

} // namespace

Q_DECLARE_METATYPE(TBadSettings)

class FrmUtamaTest : public QObject {
    Q_OBJECT

private slots:
    void modeListIndexNamesTheMode();
    void decodesInEachMode_data();
    void decodesInEachMode();
    void showsDecodedBytesVisibly_data();
    void showsDecodedBytesVisibly();
    void marksSideBySideDiffer();
    void decodingAgainAfterAMarkStartsPlain();
    void marksUseCharactersOfTheOutputFont();
    void longFieldShowsOnSeveralLines();
    void errorLineGoesBelowTheOutput_data();
    void errorLineGoesBelowTheOutput();
    void errorLineIsScrolledIntoView();
    void successReplacesErrorLines();
    void emptyInputChangesNothing();
    void removeSpaces_data();
    void removeSpaces();
    void pasteReplacesInput_data();
    void pasteReplacesInput();
    void pasteWithoutClipboardData_data();
    void pasteWithoutClipboardData();
    void longPastedLineWrapsAsOneLine();
    void editingAcrossCutsKeepsTheText();
    void enterInsertsNoLineBreak_data();
    void enterInsertsNoLineBreak();
    void ctrlReturnDecodes();

    void settingsPathBesideExecutable_data();
    void settingsPathBesideExecutable();
    void modeSurvivesRestart_data();
    void modeSurvivesRestart();
    void settingsErrorsSwallowed_data();
    void settingsErrorsSwallowed();
    void settingsBesideOrTheUsers_data();
    void settingsBesideOrTheUsers();

    void startLayout();
    void minimumSize();
    void rightAnchoredControlsFollowResize_data();
    void rightAnchoredControlsFollowResize();
    void tabOrder();
    void aboutShowsDialogModally();
};

void FrmUtamaTest::modeListIndexNamesTheMode() {
    using velquist::TInputMode;
    using velquist::ui::InputModeFromIndex;
    QCOMPARE(InputModeFromIndex(0), TInputMode::AsciiHex);
    QCOMPARE(InputModeFromIndex(1), TInputMode::Netadrd);
    QCOMPARE(InputModeFromIndex(2), TInputMode::String);
    for (const int outside : {kNoMode, 3, 7}) {
        QCOMPARE(InputModeFromIndex(outside), TInputMode::None);
    }
}

void FrmUtamaTest::decodesInEachMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("decoded");

    QTest::newRow("ASCII Hex Mode")
        << 0 << QStringLiteral("311C3030311C3030321C33") << kOperationalCommand;
    QTest::newRow("ASCII Hex Mode, lower case, odd last character")
        << 0 << QStringLiteral("41421c43447") << kListingABCD;
    QTest::newRow("ASCII Hex Mode, line break between pairs is a 0x00 byte")
        << 0 << QStringLiteral("4142\n1C4344")
        << QStringLiteral("mtUnknown\nDieField[0] = 41 42 00\nDieField[1] = 43 44\n");
    QTest::newRow("Base24 NETADRD Hex Mode")
        << 1
        << QStringLiteral("NETADRD trace\n"
                          "00000000 0010 31 1C 30 30 31 1C 30 30\n"
                          "00000008 0018 32 1C 33")
        << kOperationalCommand;
    QTest::newRow("String Mode") << 2 << QStringLiteral("1~001~002~3") << kOperationalCommand;
    QTest::newRow("String Mode, unknown class") << 2 << QStringLiteral("AB~CD") << kListingABCD;
    QTest::newRow("String Mode, line break is CR LF")
        << 2 << QStringLiteral("AB\nCD~E")
        << QStringLiteral("mtUnknown\nDieField[0] = 41 42 0D 0A 43 44\nDieField[1] = 45\n");
    QTest::newRow("String Mode, Windows-1252 bytes")
        << 2 << QStringLiteral("\u20AC\u00E9\u2603~x")
        << QStringLiteral("mtUnknown\nDieField[0] = 80 E9 3F\nDieField[1] = 78\n");
    QTest::newRow("String Mode, no-break space is a byte of its own")
        << 2 << QStringLiteral("A\u00A0B~C")
        << QStringLiteral("mtUnknown\nDieField[0] = 41 A0 42\nDieField[1] = 43\n");
    QTest::newRow("no mode selected: the text unchanged")
        << kNoMode << QStringLiteral("AB~CD")
        << QStringLiteral("mtUnknown\nDieField[0] = 41 42 7E 43 44\n");
}

void FrmUtamaTest::decodesInEachMode() {
    QFETCH(int, mode);
    QFETCH(QString, input);
    QFETCH(QString, decoded);

    TWindow window;
    window.Decode(mode, input);
    QCOMPARE(window.Output().toPlainText(), decoded);
    QCOMPARE(window.InputLines(), input);
}

void FrmUtamaTest::showsDecodedBytesVisibly_data() {
    QTest::addColumn<QString>("fieldHex");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QList<int>>("marked"); // positions in the shown field drawn as marks

    QTest::newRow("Windows-1252 characters")
        << QStringLiteral("80E99F") << QStringLiteral("\u20AC\u00E9\u0178") << QList<int>{};
    QTest::newRow("NUL, ESC and DEL")
        << QStringLiteral("30001B7F31") << QStringLiteral("0NULESCDEL1")
        << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("the letters FS and the byte FS")
        << QStringLiteral("46531D") << QStringLiteral("FSGS") << QList<int>{2, 3};
    QTest::newRow("undefined byte")
        << QStringLiteral("3081") << QStringLiteral("0x81") << QList<int>{1, 2, 3};
    QTest::newRow("CR LF, lone CR, lone LF")
        << QStringLiteral("300D0A310D320A33") << QStringLiteral("0\n1\n2\n3") << QList<int>{};
}

// Field 1 of an operational command goes into its header unchanged. A user sees
// a control byte as its name on a background of its own, and text as text.
void FrmUtamaTest::showsDecodedBytesVisibly() {
    QFETCH(QString, fieldHex);
    QFETCH(QString, shown);
    QFETCH(QList<int>, marked);

    TWindow window;
    window.Decode(0, QStringLiteral("311C") + fieldHex + QStringLiteral("1C3030321C31"));
    const QString header = QStringLiteral("Operational Command (31)\nLogical Unit Number = ");
    QCOMPARE(window.Output().toPlainText(),
             header + shown +
                 QStringLiteral("\nMessage Sequence Number = 002\n"
                                "Command Code = Go in-service to consumers (startup)"));
    for (int i = 0; i < shown.size(); ++i) {
        const QBrush background = BackgroundAt(window.Output(), int(header.size()) + i);
        QVERIFY2((background.style() != Qt::NoBrush) == marked.contains(i),
                 qPrintable(QStringLiteral("character %1").arg(i)));
    }
}

void FrmUtamaTest::marksSideBySideDiffer() {
    TWindow window;
    window.Decode(0, QStringLiteral("311C00001C3030321C31")); // two NULs as field 1
    const QString text = window.Output().toPlainText();
    const int first = int(text.indexOf(QStringLiteral("NULNUL")));
    QVERIFY(first > 0);
    const QBrush one = BackgroundAt(window.Output(), first);
    const QBrush two = BackgroundAt(window.Output(), first + 3);
    QVERIFY(one.style() != Qt::NoBrush && two.style() != Qt::NoBrush);
    QVERIFY(one.color() != two.color());
    QCOMPARE(BackgroundAt(window.Output(), first + 2), one);
}

// With the caret just after a mark, the next decode is drawn plain but for its
// own marks (the new text must not take the format at the caret).
void FrmUtamaTest::decodingAgainAfterAMarkStartsPlain() {
    TWindow window;
    window.Decode(0, QStringLiteral("311C00001C3030321C31"));
    const int after = int(window.Output().toPlainText().indexOf(QStringLiteral("NULNUL"))) + 3;
    PutCaret(window.Output(), after);
    QVERIFY(BackgroundAt(window.Output(), after - 1).style() != Qt::NoBrush);
    window.Decode(0, QStringLiteral("311C3030311C3030321C31"));
    const QString text = window.Output().toPlainText();
    QVERIFY(text.contains(QStringLiteral("Logical Unit Number = 001")));
    for (int i = 0; i < text.size(); ++i) {
        QVERIFY2(BackgroundAt(window.Output(), i).style() == Qt::NoBrush,
                 qPrintable(QStringLiteral("character %1").arg(i)));
    }
}

// The names of control bytes and the continuation mark use characters that the
// output area's own font has (no fallback font, no box for a missing glyph),
// whichever fixed-pitch font the machine offers.
void FrmUtamaTest::marksUseCharactersOfTheOutputFont() {
    TWindow window;
    const QRawFont font = QRawFont::fromFont(window.Output().font());
    QVERIFY(font.isValid());
    QString used = QString(QChar(velquist::ui::kContinuationMark));
    for (int byte = 0; byte < 256; ++byte) {
        used += velquist::ui::MarkOfByte(static_cast<std::uint8_t>(byte));
    }
    QVERIFY(used.size() > 80);
    for (const QChar c : used) {
        QVERIFY2(font.supportsCharacter(c),
                 qPrintable(QStringLiteral("%1 lacks U+%2")
                                .arg(font.familyName())
                                .arg(c.unicode(), 4, 16, QLatin1Char('0'))));
    }
}

void FrmUtamaTest::longFieldShowsOnSeveralLines() {
    // A field of 2000 bytes is listed as one line of 14 + 5999 characters.
    using velquist::ui::kLongestShownLine;
    TWindow window;
    window.Decode(2, QStringLiteral("AB~") + QString(2000, u'x'));
    const QString text = window.Output().toPlainText();
    const QStringList lines = text.split(u'\n');
    QCOMPARE(lines.size(), 5); // "mtUnknown", the field 0 line, two display lines, the rest
    QCOMPARE(lines[2].size(), kLongestShownLine);
    QVERIFY(lines[2].startsWith(QStringLiteral("DieField[1] = 78 78 ")));
    QCOMPARE(lines[3].front(), QChar(velquist::ui::kContinuationMark));
    QCOMPARE(lines[3].size(), 1 + 14 + 5999 - kLongestShownLine);
    QCOMPARE(lines[4], QString());
    QCOMPARE(lines[2] + lines[3].mid(1),
             QStringLiteral("DieField[1] = ") + QStringList(2000, QStringLiteral("78")).join(u' '));

    // The mark stands apart from the text and from control bytes.
    const int mark = int(text.indexOf(lines[3]));
    QVERIFY(BackgroundAt(window.Output(), mark).style() != Qt::NoBrush);
    QCOMPARE(BackgroundAt(window.Output(), mark + 1).style(), Qt::NoBrush);
}

void FrmUtamaTest::errorLineGoesBelowTheOutput_data() {
    QTest::addColumn<QString>("earlierInput");
    QTest::addColumn<QString>("output");

    QTest::newRow("empty output") << QString()
                                  << QStringLiteral("Error: List index out of bounds (2)");
    QTest::newRow("below a text ending with a line break")
        << QStringLiteral("AB~CD")
        << QStringLiteral("mtUnknown\nDieField[0] = 41 42\nDieField[1] = 43 44\n"
                          "Error: List index out of bounds (2)");
    QTest::newRow("below a text without a final line break")
        << QStringLiteral("1~001~002~3")
        << QStringLiteral("Operational Command (31)\nLogical Unit Number = 001\n"
                          "Message Sequence Number = 002\n"
                          "Command Code = Configuration information request\n"
                          "Error: List index out of bounds (2)");
    QTest::newRow("below an earlier error")
        << QStringLiteral("1")
        << QStringLiteral("Error: List index out of bounds (1)\n"
                          "Error: List index out of bounds (2)");
}

void FrmUtamaTest::errorLineGoesBelowTheOutput() {
    QFETCH(QString, earlierInput);
    QFETCH(QString, output);

    TWindow window;
    window.Decode(2, earlierInput);
    window.Decode(2, QStringLiteral("1~001"));
    QCOMPARE(window.Output().toPlainText(), output);
}

void FrmUtamaTest::errorLineIsScrolledIntoView() {
    TWindow window;
    window.Form.show();
    window.Decode(2, QStringLiteral("AB") + QStringLiteral("~CD").repeated(200));
    QScrollBar& scrollBar = *window.Output().verticalScrollBar();
    scrollBar.setValue(0);

    window.Decode(2, QStringLiteral("1~001"));
    QVERIFY(scrollBar.maximum() > 0);
    QVERIFY(window.Output().toPlainText().endsWith(
        QStringLiteral("DieField[200] = 43 44\nError: List index out of bounds (2)")));
    // The error line lies wholly inside what the area shows.
    QTextCursor errorLine(window.Output().document()->lastBlock());
    const QRect start = window.Output().cursorRect(errorLine);
    errorLine.movePosition(QTextCursor::EndOfBlock);
    const QRect end = window.Output().cursorRect(errorLine);
    const QRect shown = window.Output().viewport()->rect();
    QVERIFY(shown.contains(start) && shown.contains(end));
}

void FrmUtamaTest::successReplacesErrorLines() {
    TWindow window;
    window.Decode(2, QStringLiteral("AB~CD"));
    window.Decode(2, QStringLiteral("1~001"));
    window.Decode(2, QStringLiteral("1"));
    window.Decode(2, QStringLiteral("1~001~002~3"));
    QCOMPARE(window.Output().toPlainText(), kOperationalCommand);
}

void FrmUtamaTest::emptyInputChangesNothing() {
    TWindow window;
    window.Output().setPlainText(QStringLiteral("earlier text"));
    for (const int mode : {kNoMode, 0, 1, 2}) {
        window.Decode(mode, QString());
        QCOMPARE(window.Output().toPlainText(), QStringLiteral("earlier text"));
    }
}

void FrmUtamaTest::removeSpaces_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("cleaned");

    QTest::newRow("hex pairs") << QStringLiteral("31 32  33 ") << QStringLiteral("313233");
    QTest::newRow("only blanks go") << QStringLiteral("a\tb c\nd e") << QStringLiteral("a\tbc\nde");
    QTest::newRow("no-break space stays")
        << QStringLiteral("a\u00A0b c") << QStringLiteral("a\u00A0bc");
    QTest::newRow("characters outside Windows-1252 stay")
        << QStringLiteral("\u2603 \u4E2D") << QStringLiteral("\u2603\u4E2D");
    QTest::newRow("no blanks") << QStringLiteral("1~001~002~3") << QStringLiteral("1~001~002~3");
    QTest::newRow("all blanks") << QStringLiteral("   ") << QString();
}

void FrmUtamaTest::removeSpaces() {
    QFETCH(QString, input);
    QFETCH(QString, cleaned);

    TWindow window;
    window.SetInput(input);
    window.Press("btnRemSpaces");
    QCOMPARE(window.InputLines(), cleaned);
}

void FrmUtamaTest::pasteReplacesInput_data() {
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("input");

    QTest::newRow("one line") << QStringLiteral("AB~CD") << QStringLiteral("AB~CD");
    QTest::newRow("CR LF lines") << QStringLiteral("L1\r\nL2\r\n") << QStringLiteral("L1\nL2\n");
    QTest::newRow("LF lines") << QStringLiteral("L1\nL2") << QStringLiteral("L1\nL2");
    QTest::newRow("empty clipboard") << QString() << QString();
}

void FrmUtamaTest::pasteReplacesInput() {
    QFETCH(QString, clipboard);
    QFETCH(QString, input);

    TWindow window;
    window.SetInput(QStringLiteral("earlier\ntext"));
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::mouseClick(&window.Get<QPushButton>("btnPaste"), Qt::LeftButton);
    QCOMPARE(window.InputLines(), input);
}

void FrmUtamaTest::pasteWithoutClipboardData_data() {
    QTest::addColumn<bool>("byButton");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<QString>("input");

    QTest::newRow("button, cleared clipboard") << true << true << QString();
    QTest::newRow("button, clipboard data without formats") << true << false << QString();
    QTest::newRow("Ctrl+V, cleared clipboard") << false << true << QStringLiteral("earlier");
    QTest::newRow("Ctrl+V, clipboard data without formats")
        << false << false << QStringLiteral("earlier");
}

// The clipboard of a fresh login, or after the program that copied has quit,
// holds no data at all: pasting it leaves the input empty (the button) or as it
// was (Ctrl+V), and the window goes on working.
void FrmUtamaTest::pasteWithoutClipboardData() {
    QFETCH(bool, byButton);
    QFETCH(bool, cleared);
    QFETCH(QString, input);

    TWindow window;
    window.Form.show();
    window.SetInput(QStringLiteral("earlier")); // the caret after it
    if (cleared) {
        QGuiApplication::clipboard()->clear();
    } else {
        QGuiApplication::clipboard()->setMimeData(new QMimeData);
    }
    if (byButton) {
        QTest::mouseClick(&window.Get<QPushButton>("btnPaste"), Qt::LeftButton);
    } else {
        QTest::keyClick(&window.Input(), Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(window.InputLines(), input);

    window.Decode(2, QStringLiteral("1~001~002~3"));
    QCOMPARE(window.Output().toPlainText(), kOperationalCommand);
}

// A long pasted line is kept in paragraphs of whole display rows, so it shows
// quickly and wraps as one line, and it decodes exactly as the text pasted.
void FrmUtamaTest::longPastedLineWrapsAsOneLine() {
    const QString line = QStringLiteral("41").repeated(20000);
    TWindow window;
    window.Form.show();
    QGuiApplication::clipboard()->setText(line + QStringLiteral("\r\nABCD"));
    QTest::mouseClick(&window.Get<QPushButton>("btnPaste"), Qt::LeftButton);
    QCOMPARE(window.InputLines(), line + QStringLiteral("\nABCD"));
    QVERIFY(window.Input().document()->blockCount() > 3);
    QVERIFY(CutsEndFullRows(window.Input()));

    QTest::mouseClick(&window.Get<QPushButton>("btnDo"), Qt::LeftButton);
    const std::string listing =
        "mtUnknown\r\nDieField[0] = " + QByteArray("41 ").repeated(20000).toStdString() +
        "00 AB CD\r\n";
    QCOMPARE(window.Output().toPlainText(), velquist::ui::ShowBytes(listing).Text);

    // Wider rows: the line is cut again to whole rows, its text unchanged.
    window.Form.resize(window.Form.width() + 123, window.Form.height());
    QCoreApplication::processEvents();
    QCOMPARE(window.InputLines(), line + QStringLiteral("\nABCD"));
    QVERIFY(CutsEndFullRows(window.Input()));
}

// Selecting, copying, pasting, Backspace and Delete work on the text as it is,
// wherever a long line is cut into paragraphs.
void FrmUtamaTest::editingAcrossCutsKeepsTheText() {
    const QString text = Numbers(4000);
    TWindow window;
    window.Form.show();
    TInputArea& input = window.Input();
    QGuiApplication::clipboard()->setText(text);
    QTest::mouseClick(&window.Get<QPushButton>("btnPaste"), Qt::LeftButton);
    const int cut = input.document()->begin().next().position(); // starts the second paragraph
    QVERIFY(TInputArea::IsContinuation(input.document()->begin().next()));

    // Copy a selection across the cut: the text without a break.
    QTextCursor selection(input.document());
    selection.setPosition(cut - 7);
    selection.setPosition(cut + 8, QTextCursor::KeepAnchor);
    input.setTextCursor(selection);
    QTest::keyClick(&input, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(copied.size(), 14); // 15 positions, one of them the cut
    const qsizetype at = text.indexOf(copied);
    QVERIFY(at > 0 && text.indexOf(copied, at + 1) < 0);

    // Paste over it, then undo.
    QGuiApplication::clipboard()->setText(QStringLiteral("xyz"));
    QTest::keyClick(&input, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(input.Text(), QString(text).replace(at, copied.size(), QStringLiteral("xyz")));
    QVERIFY(CutsEndFullRows(input));
    QTest::keyClick(&input, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(input.Text(), text);

    // Backspace at the start of the second paragraph deletes the character
    // before it; Delete at the end of the first deletes the one after.
    const int cutNow = input.document()->begin().next().position();
    const qsizetype before = cutNow - 1; // characters in the first paragraph
    QTextCursor cursor(input.document());
    cursor.setPosition(cutNow);
    input.setTextCursor(cursor);
    QTest::keyClick(&input, Qt::Key_Backspace);
    QCOMPARE(input.Text(), QString(text).remove(before - 1, 1));
    cursor = QTextCursor(input.document());
    cursor.setPosition(input.document()->begin().next().position() - 1);
    input.setTextCursor(cursor);
    QTest::keyClick(&input, Qt::Key_Delete);
    QCOMPARE(input.Text(), QString(text).remove(before - 1, 2));
}

void FrmUtamaTest::enterInsertsNoLineBreak_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    QTest::newRow("Enter on the keypad")
        << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("Shift+Return") << int(Qt::Key_Return)
                                  << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

// Enter neither breaks the line nor presses a button: the window has no default.
void FrmUtamaTest::enterInsertsNoLineBreak() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);

    TWindow window;
    window.Mode().setCurrentIndex(2);
    QTest::keyClicks(&window.Input(), QStringLiteral("AB"));
    QTest::keyClick(&window.Input(), Qt::Key(key), modifiers);
    QTest::keyClicks(&window.Input(), QStringLiteral("~CD"));
    QCOMPARE(window.InputLines(), QStringLiteral("AB~CD"));
    QCOMPARE(window.Output().toPlainText(), QString());
}

// Ctrl+Return (Ctrl+Enter on the keypad) decodes, whichever control has the
// focus, and changes nothing else.
void FrmUtamaTest::ctrlReturnDecodes() {
    for (const char* control :
         {"mmDie", "mmDieDecoded", "btnPaste", "btnRemSpaces", "cbMode", "btnDo", "btnAbout"}) {
        for (const auto& [key, modifiers] : {std::pair(Qt::Key_Return, Qt::ControlModifier),
                                             std::pair(Qt::Key_Enter, Qt::KeypadModifier)}) {
            TWindow window;
            window.Mode().setCurrentIndex(2);
            window.SetInput(QStringLiteral("1~001~002~3"));
            QWidget& focus = window.Get<QWidget>(control);
            focus.setFocus();
            QTest::keyClick(&focus, key, Qt::ControlModifier | modifiers);
            QVERIFY2(window.Output().toPlainText() == kOperationalCommand, control);
            QCOMPARE(window.InputLines(), QStringLiteral("1~001~002~3"));
            QCOMPARE(window.Form.focusWidget(), &focus);
        }
    }
}

void FrmUtamaTest::settingsPathBesideExecutable_data() {
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("settings");

    QTest::newRow("no extension") << QStringLiteral("/opt/velquist/velquist")
                                  << QStringLiteral("/opt/velquist/velquist.ini");
    QTest::newRow("extension replaced")
        << QStringLiteral("C:/Tools/Velquist.exe") << QStringLiteral("C:/Tools/Velquist.ini");
    QTest::newRow("dot in a folder name") << QStringLiteral("/opt/velquist-2.0/velquist")
                                          << QStringLiteral("/opt/velquist-2.0/velquist.ini");
    QTest::newRow("last extension only")
        << QStringLiteral("/x/velquist.test.bin") << QStringLiteral("/x/velquist.test.ini");
}

// The user's settings file has the name of the one beside the executable.
void FrmUtamaTest::settingsPathBesideExecutable() {
    QFETCH(QString, executable);
    QFETCH(QString, settings);
    QCOMPARE(SettingsPathFor(executable), settings);
    const auto files =
        velquist::ui::SettingsFilesFor(executable, QStringLiteral("/home/u/.config"));
    QCOMPARE(files.Beside, settings);
    QCOMPARE(files.User, QStringLiteral("/home/u/.config/") + QFileInfo(settings).fileName());
}

void FrmUtamaTest::modeSurvivesRestart_data() {
    QTest::addColumn<QByteArray>("stored"); // null: no settings file
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("picked");
    QTest::addColumn<QStringList>("saved");

    const auto file = [](const char* lastMode) {
        return QStringList{QStringLiteral("[Settings]"), QString::fromLatin1(lastMode)};
    };
    QTest::newRow("first start") << QByteArray() << 0 << 0 << file("LastMode=0");
    QTest::newRow("String Mode picked") << QByteArray() << 0 << 2 << file("LastMode=2");
    QTest::newRow("Base24 NETADRD Hex Mode stored")
        << QByteArrayLiteral("[Settings]\nLastMode=1\n") << 1 << 1 << file("LastMode=1");
    QTest::newRow("Windows line ends")
        << QByteArrayLiteral("[Settings]\r\nLastMode=2\r\n") << 2 << 2 << file("LastMode=2");
    QTest::newRow("hex number") << QByteArrayLiteral("[Settings]\nLastMode=$2\n") << 2 << 0
                                << file("LastMode=0");
    QTest::newRow("out of range: no selection") << QByteArrayLiteral("[Settings]\nLastMode=7\n")
                                                << kNoMode << kNoMode << file("LastMode=-1");
    QTest::newRow("no selection stored")
        << QByteArrayLiteral("[Settings]\nLastMode=-1\n") << kNoMode << 1 << file("LastMode=1");
    QTest::newRow("not a number") << QByteArrayLiteral("[Settings]\nLastMode=two\n") << 0 << 0
                                  << file("LastMode=0");
    QTest::newRow("empty value") << QByteArrayLiteral("[Settings]\nLastMode=\n") << 0 << 0
                                 << file("LastMode=0");
    QTest::newRow("another section")
        << QByteArrayLiteral("[Other]\nLastMode=2\n") << 0 << 1
        << QStringList{QStringLiteral("[Other]"), QStringLiteral("LastMode=2"),
                       QStringLiteral("[Settings]"), QStringLiteral("LastMode=1")};
}

// Showing the window restores the mode, closing it saves the one selected, and
// the next start finds it selected.
void FrmUtamaTest::modeSurvivesRestart() {
    QFETCH(QByteArray, stored);
    QFETCH(int, shown);
    QFETCH(int, picked);
    QFETCH(QStringList, saved);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("velquist.ini"));
    const velquist::ui::TSettingsFiles files{path,
                                             dir.filePath(QStringLiteral("user/velquist.ini"))};
    if (!stored.isNull()) {
        WriteFile(path, stored);
    }
    {
        TWindow first(files);
        QCOMPARE(first.Mode().currentIndex(), 0); // as created, before the window shows
        first.Form.show();
        QCOMPARE(first.Mode().currentIndex(), shown);
        QCOMPARE(first.Mode().currentText().isEmpty(), shown == kNoMode);
        first.Mode().setCurrentIndex(picked);
        QVERIFY(first.Form.close());
    }
    QCOMPARE(FileLines(path), saved);
    QVERIFY(!QFileInfo::exists(files.User));

    TWindow second(files);
    second.Form.show();
    QCOMPARE(second.Mode().currentIndex(), picked);
}

void FrmUtamaTest::settingsErrorsSwallowed_data() {
    QTest::addColumn<TBadSettings>("bad");

    QTest::newRow("garbage file") << TBadSettings::GarbageFile;
    QTest::newRow("settings path is a folder") << TBadSettings::FolderAtPath;
    QTest::newRow("folder of the path is a file") << TBadSettings::FileAsFolder;
}

// Nothing is reported and the window works on: mode 0 at start, closing
// closes, though the user's settings file cannot be written either.
void FrmUtamaTest::settingsErrorsSwallowed() {
    QFETCH(TBadSettings, bad);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("velquist.ini"));
    switch (bad) {
    case TBadSettings::GarbageFile:
        WriteFile(path, QByteArrayLiteral("\x00\xFF[[Settings\n=\x01\x02\n[]]\nLast\n"));
        break;
    case TBadSettings::FolderAtPath:
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("velquist.ini")));
        break;
    case TBadSettings::FileAsFolder:
        path = dir.filePath(QStringLiteral("file/velquist.ini"));
        break;
    }
    WriteFile(dir.filePath(QStringLiteral("file")), QByteArrayLiteral("a file"));
    const QString user = dir.filePath(QStringLiteral("file/user/velquist.ini"));

    TWindow window({path, user});
    window.Form.show();
    QCOMPARE(window.Mode().currentIndex(), 0);
    window.Mode().setCurrentIndex(2);
    QVERIFY(window.Form.close());
    QVERIFY(!window.Form.isVisible());
    QCOMPARE(QFileInfo(path).isFile(), bad == TBadSettings::GarbageFile);
}

void FrmUtamaTest::settingsBesideOrTheUsers_data() {
    QTest::addColumn<bool>("besideWritable");
    QTest::addColumn<QByteArray>("besideFile"); // null: none
    QTest::addColumn<QByteArray>("userFile");   // null: none
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("picked");

    const QByteArray one = QByteArrayLiteral("[Settings]\nLastMode=1\n");
    const QByteArray two = QByteArrayLiteral("[Settings]\nLastMode=2\n");
    QTest::newRow("beside read first, saved beside") << true << one << two << 1 << 0;
    QTest::newRow("none beside: the user's read, saved beside")
        << true << QByteArray() << two << 2 << 1;
    QTest::newRow("beside cannot be written: the user's read and saved")
        << false << QByteArray() << two << 2 << 1;
    QTest::newRow("beside cannot be written, none stored: the user's made")
        << false << QByteArray() << QByteArray() << 0 << 2;
}

// The mode is saved beside the executable where that can be written, else in
// the user's configuration folder (made when missing); the file it is saved in
// is read first. The other file stays as it was.
void FrmUtamaTest::settingsBesideOrTheUsers() {
    QFETCH(bool, besideWritable);
    QFETCH(QByteArray, besideFile);
    QFETCH(QByteArray, userFile);
    QFETCH(int, shown);
    QFETCH(int, picked);

    QTemporaryDir dir;
    WriteFile(dir.filePath(QStringLiteral("file")), QByteArrayLiteral("a file"));
    const velquist::ui::TSettingsFiles files{
        dir.filePath(besideWritable ? QStringLiteral("velquist.ini")
                                    : QStringLiteral("file/velquist.ini")), // in a file
        dir.filePath(QStringLiteral("config/velquist/velquist.ini"))};
    if (!besideFile.isNull()) {
        WriteFile(files.Beside, besideFile);
    }
    if (!userFile.isNull()) {
        QVERIFY(QDir().mkpath(QFileInfo(files.User).path()));
        WriteFile(files.User, userFile);
    }
    const QString& saved = besideWritable ? files.Beside : files.User;
    const QString& other = besideWritable ? files.User : files.Beside;
    const QStringList otherBefore = FileLines(other);
    {
        TWindow first(files);
        first.Form.show();
        QCOMPARE(first.Mode().currentIndex(), shown);
        first.Mode().setCurrentIndex(picked);
        QVERIFY(first.Form.close());
    }
    QCOMPARE(FileLines(saved), (QStringList{QStringLiteral("[Settings]"),
                                            QStringLiteral("LastMode=%1").arg(picked)}));
    QCOMPARE(FileLines(other), otherBefore);

    TWindow second(files);
    second.Form.show();
    QCOMPARE(second.Mode().currentIndex(), picked);
}

void FrmUtamaTest::startLayout() {
    TWindow window;
    window.Form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.Form));

    QCOMPARE(window.Form.windowTitle(), QStringLiteral("Velquist"));
    QCOMPARE(window.Form.size(), QSize(616, 435));
    const QRect screenArea = window.Form.screen()->availableGeometry();
    // Centred, up to the rounding of a scaled screen's pixels (QT_SCALE_FACTOR).
    const int rounding = 2 * qCeil(window.Form.devicePixelRatioF());
    QVERIFY((window.Form.geometry().center() - screenArea.center()).manhattanLength() <= rounding);

    QCOMPARE(window.PlaceOf("mmDie"), QRect(0, 0, 616, 114));
    QCOMPARE(window.PlaceOf("pnlOption"), QRect(0, 117, 616, 44));
    QCOMPARE(window.PlaceOf("mmDieDecoded"), QRect(0, 161, 616, 233));
    QCOMPARE(window.PlaceOf("pnlAct"), QRect(0, 394, 616, 41));

    QCOMPARE(window.Get<QWidget>("btnPaste").geometry(), QRect(4, 8, 127, 25));
    QCOMPARE(window.Get<QWidget>("btnRemSpaces").geometry(), QRect(136, 8, 99, 25));
    QCOMPARE(window.Get<QWidget>("cbMode").geometry(), QRect(295, 11, 228, 21));
    QCOMPARE(window.Get<QWidget>("btnDo").geometry(), QRect(534, 8, 75, 25));
    QCOMPARE(window.Get<QWidget>("btnAbout").geometry(), QRect(530, 12, 75, 21));

    const QStringList captions = {
        window.Get<QPushButton>("btnPaste").text(), window.Get<QPushButton>("btnRemSpaces").text(),
        window.Get<QPushButton>("btnDo").text(), window.Get<QPushButton>("btnAbout").text()};
    QCOMPARE(captions,
             (QStringList{QStringLiteral("Paste From Clipboard"), QStringLiteral("Remove Space(s)"),
                          QStringLiteral("Decode"), QStringLiteral("About")}));
    QComboBox& mode = window.Mode();
    QCOMPARE(mode.count(), 3);
    QCOMPARE(mode.itemText(0), QStringLiteral("ASCII Hex Mode"));
    QCOMPARE(mode.itemText(1), QStringLiteral("Base24 NETADRD Hex Mode"));
    QCOMPARE(mode.itemText(2), QStringLiteral("String Mode"));
    QVERIFY(!mode.isEditable());

    // A long line wraps in the input area and runs on in the output area, which
    // has the vertical scroll bar.
    const QString longLine(300, u'4');
    window.SetInput(longLine);
    window.Output().setPlainText(longLine);
    QVERIFY(window.Input().document()->firstBlock().layout()->lineCount() > 1);
    QCOMPARE(window.Output().document()->firstBlock().layout()->lineCount(), 1);
    QVERIFY(!window.Input().verticalScrollBar()->isVisible());
    QVERIFY(window.Output().verticalScrollBar()->isVisible());

    // Dragging the splitter moves height between the input and the output area.
    auto& splitter = window.Get<QSplitter>("Splitter1");
    splitter.setSizes({200, 232});
    QCOMPARE(window.PlaceOf("mmDie").height(), 200);
    QCOMPARE(window.PlaceOf("mmDieDecoded").height(), 147);
    splitter.setSizes({0, 435});
    QCOMPARE(window.PlaceOf("mmDie").height(), 30);
}

void FrmUtamaTest::minimumSize() {
    TWindow window;
    window.Form.show();
    window.Form.resize(200, 100);
    QCOMPARE(window.Form.size(), QSize(565, 269));
    QCOMPARE(window.PlaceOf("mmDie").height(), 114);
    QCOMPARE(window.PlaceOf("mmDieDecoded"), QRect(0, 161, 565, 67));
}

void FrmUtamaTest::rightAnchoredControlsFollowResize_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("modeLeft");
    QTest::addColumn<int>("decodeLeft");
    QTest::addColumn<int>("aboutLeft");
    QTest::addColumn<int>("outputHeight");

    QTest::newRow("narrowest") << QSize(565, 269) << 244 << 483 << 479 << 67;
    QTest::newRow("start") << QSize(616, 435) << 295 << 534 << 530 << 233;
    QTest::newRow("wider and taller") << QSize(780, 560) << 459 << 698 << 694 << 358;
}

void FrmUtamaTest::rightAnchoredControlsFollowResize() {
    QFETCH(QSize, size);
    QFETCH(int, modeLeft);
    QFETCH(int, decodeLeft);
    QFETCH(int, aboutLeft);
    QFETCH(int, outputHeight);

    TWindow window;
    window.Form.show();
    window.Form.resize(size);
    QCOMPARE(window.Form.size(), size);
    QCOMPARE(window.Get<QWidget>("cbMode").geometry(), QRect(modeLeft, 11, 228, 21));
    QCOMPARE(window.Get<QWidget>("btnDo").geometry(), QRect(decodeLeft, 8, 75, 25));
    QCOMPARE(window.Get<QWidget>("btnAbout").geometry(), QRect(aboutLeft, 12, 75, 21));
    QCOMPARE(window.Get<QWidget>("btnPaste").geometry(), QRect(4, 8, 127, 25));
    QCOMPARE(window.Get<QWidget>("btnRemSpaces").geometry(), QRect(136, 8, 99, 25));
    QCOMPARE(window.PlaceOf("mmDie"), QRect(0, 0, size.width(), 114));
    QCOMPARE(window.PlaceOf("mmDieDecoded").height(), outputHeight);
}

// The focus is asked of the window itself: whether it becomes the active
// window is up to the window manager, and there may be none.
void FrmUtamaTest::tabOrder() {
    TWindow window;
    window.Form.show();
    window.Input().setFocus();
    QCOMPARE(window.Form.focusWidget(), &window.Input());

    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(window.Form.focusWidget(), Qt::Key_Tab);
        visited << window.Form.focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{QStringLiteral("mmDieDecoded"), QStringLiteral("btnAbout"),
                                   QStringLiteral("btnRemSpaces"), QStringLiteral("btnPaste"),
                                   QStringLiteral("btnDo"), QStringLiteral("cbMode"),
                                   QStringLiteral("mmDie")}));
    QCOMPARE(window.InputLines(), QString()); // Tab moved on, it typed nothing
}

void FrmUtamaTest::aboutShowsDialogModally() {
    TWindow window;
    TfrmAbout about;
    window.Form.SetAboutDialog(&about);
    window.Form.show();

    for (int press = 1; press <= 2; ++press) {
        bool shownModally = false;
        QTimer::singleShot(0, &about, [&] {
            shownModally = about.isVisible() && QApplication::activeModalWidget() == &about;
            QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("btnDismiss")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(&window.Get<QPushButton>("btnAbout"), Qt::LeftButton);
        QVERIFY(shownModally);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
}

VELQUIST_UI_TEST_MAIN(FrmUtamaTest)
#include "FrmUtamaTest.moc"
