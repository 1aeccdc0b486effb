// How decoded bytes appear in the output area: Windows-1252 characters, control
// bytes and undefined bytes as marks, line breaks, continued long lines, and
// where each byte lands in the shown text.

#include "ShownText.h"

#include <QSet>
#include <QTest>

using velquist::ui::kContinuationMark;
using velquist::ui::MarkOfByte;
using velquist::ui::ShowBytes;
using velquist::ui::TMarkKind;
using velquist::ui::TShownText;

namespace {

// A mark written as "start+length", "~" added for a lighter one, "..." for a
// continuation mark.
QStringList MarksOf(const TShownText& shown) {
    QStringList marks;
    for (const auto& mark : shown.Marks) {
        marks << QStringLiteral("%1+%2%3%4")
                     .arg(mark.Start)
                     .arg(mark.Length)
                     .arg(mark.Lighter ? QStringLiteral("~") : QString())
                     .arg(mark.Kind == TMarkKind::Continuation ? QStringLiteral("...") : QString());
    }
    return marks;
}

const QString kMark = QString(QChar(kContinuationMark));

} // namespace

class ShownTextTest : public QObject {
    Q_OBJECT

private slots:
    void showBytes_data();
    void showBytes();
    void everyByteIsVisibleAndDistinct();
    void longLinesContinue_data();
    void longLinesContinue();
    void shownPosition_data();
    void shownPosition();
};

void ShownTextTest::showBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("marks");

    QTest::newRow("ASCII") << QByteArrayLiteral("DieField[0] = 41")
                           << QStringLiteral("DieField[0] = 41") << QStringList();
    QTest::newRow("0x80 row") << QByteArrayLiteral("\x80\x8A\x8C\x9F")
                              << QStringLiteral("\u20AC\u0160\u0152\u0178") << QStringList();
    QTest::newRow("Latin-1 range") << QByteArrayLiteral("\xA0\xE9\xFF")
                                   << QStringLiteral("\u00A0\u00E9\u00FF") << QStringList();
    QTest::newRow("field separator between letters")
        << QByteArrayLiteral("A\x1C"
                             "B")
        << QStringLiteral("AFSB") << QStringList{QStringLiteral("1+2")};
    QTest::newRow("NUL does not end the text")
        << QByteArrayLiteral("a\0b") << QStringLiteral("aNULb") << QStringList{"1+3"};
    QTest::newRow("marks side by side alternate")
        << QByteArrayLiteral("0\x00\x1B\x7F\x0E"
                             "1")
        << QStringLiteral("0NULESCDELSO1")
        << QStringList{QStringLiteral("1+3"), QStringLiteral("4+3~"), QStringLiteral("7+3"),
                       QStringLiteral("10+2~")};
    QTest::newRow("marks apart are all dark")
        << QByteArrayLiteral("\x1D"
                             "x\x1D")
        << QStringLiteral("GSxGS") << QStringList{QStringLiteral("0+2"), QStringLiteral("3+2")};
    QTest::newRow("soft hyphen, otherwise invisible")
        << QByteArrayLiteral("a\xAD"
                             "b")
        << QStringLiteral("aSHYb") << QStringList{QStringLiteral("1+3")};
    QTest::newRow("undefined bytes")
        << QByteArrayLiteral("a\x81\x8Dz") << QStringLiteral("ax81x8Dz")
        << QStringList{QStringLiteral("1+3"), QStringLiteral("4+3~")};
    QTest::newRow("tab") << QByteArrayLiteral("a\tb") << QStringLiteral("a\tb") << QStringList();
    QTest::newRow("CR LF") << QByteArrayLiteral("a\r\nb\r\n") << QStringLiteral("a\nb\n")
                           << QStringList();
    QTest::newRow("lone CR") << QByteArrayLiteral("a\rb") << QStringLiteral("a\nb")
                             << QStringList();
    QTest::newRow("lone LF") << QByteArrayLiteral("a\nb") << QStringLiteral("a\nb")
                             << QStringList();
    QTest::newRow("LF CR is two breaks")
        << QByteArrayLiteral("a\n\rb") << QStringLiteral("a\n\nb") << QStringList();
    QTest::newRow("CR CR LF is two breaks")
        << QByteArrayLiteral("a\r\r\nb") << QStringLiteral("a\n\nb") << QStringList();
    QTest::newRow("CR at the end")
        << QByteArrayLiteral("a\r") << QStringLiteral("a\n") << QStringList();
    QTest::newRow("empty") << QByteArray() << QString() << QStringList();
}

void ShownTextTest::showBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QStringList, marks);

    const TShownText shown = ShowBytes(bytes.toStdString());
    QCOMPARE(shown.Text, text);
    QCOMPARE(MarksOf(shown), marks);
}

// Every byte but the line ends and tab shows either as one printable character
// of its own, unmarked, or as a mark that no other byte shows as: a user can
// tell every byte from every other and a control byte from text.
void ShownTextTest::everyByteIsVisibleAndDistinct() {
    QSet<QString> unmarked;
    QSet<QString> marked;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == '\r' || byte == '\n' || byte == '\t') {
            continue;
        }
        const TShownText shown = ShowBytes(std::string(1, static_cast<char>(byte)));
        const QString name = QString::number(byte, 16);
        if (shown.Marks.empty()) {
            QVERIFY2(shown.Text.size() == 1 && shown.Text[0].isPrint(), qPrintable(name));
            unmarked.insert(shown.Text);
        } else {
            QCOMPARE(MarksOf(shown), QStringList{QStringLiteral("0+%1").arg(shown.Text.size())});
            QCOMPARE(shown.Text, MarkOfByte(static_cast<std::uint8_t>(byte)).toString());
            QVERIFY2(shown.Text.size() >= 2, qPrintable(name));
            marked.insert(shown.Text);
        }
    }
    QCOMPARE(marked.size(), 29 + 1 + 5 + 1); // controls but tab, LF, CR; DEL; undefined; SHY
    QCOMPARE(unmarked.size(), 256 - 3 - marked.size());
}

void ShownTextTest::longLinesContinue_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("marks");

    QTest::newRow("exactly the longest")
        << QByteArrayLiteral("abc") << QStringLiteral("abc") << QStringList();
    QTest::newRow("one more") << QByteArrayLiteral("abcd")
                              << (QStringLiteral("abc\n") + kMark + "d")
                              << QStringList{QStringLiteral("4+1...")};
    QTest::newRow("twice the longest and one")
        << QByteArrayLiteral("abcdefg") << (QStringLiteral("abc\n") + kMark + "def\n" + kMark + "g")
        << QStringList{QStringLiteral("4+1..."), QStringLiteral("9+1...")};
    QTest::newRow("each line on its own") << QByteArrayLiteral("abcd\r\nxy\r\n\r\nwxy\r\n")
                                          << (QStringLiteral("abc\n") + kMark + "d\nxy\n\nwxy\n")
                                          << QStringList{QStringLiteral("4+1...")};
    QTest::newRow("a byte's mark is not cut")
        << QByteArrayLiteral("ab\x1B") << (QStringLiteral("ab\n") + kMark + "ESC")
        << QStringList{QStringLiteral("3+1..."), QStringLiteral("4+3")};
}

void ShownTextTest::longLinesContinue() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QStringList, marks);

    const TShownText shown = ShowBytes(bytes.toStdString(), 3);
    QCOMPARE(shown.Text, text);
    QCOMPARE(MarksOf(shown), marks);
}

void ShownTextTest::shownPosition_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("positions"); // of every offset, and the one at the end

    QTest::newRow("one character a byte") << QByteArrayLiteral("ab") << QList<int>{0, 1, 2};
    QTest::newRow("CR LF is one break") << QByteArrayLiteral("a\r\nb") << QList<int>{0, 1, 1, 2, 3};
    QTest::newRow("marks") << QByteArrayLiteral("\x00"
                                                "b\x1C")
                           << QList<int>{0, 5, 6, 8}; // "b" starts a continued line
    QTest::newRow("continued line") << QByteArrayLiteral("abcde") << QList<int>{0, 1, 2, 5, 6, 7};
    QTest::newRow("mark on a continued line") << QByteArrayLiteral("ab\x1B"
                                                                   "c")
                                              << QList<int>{0, 1, 4, 9, 10};
}

// Where the characters of every byte start, with longest lines of 3 characters:
// asked for all at once, and for each offset alone (the text stays the same).
void ShownTextTest::shownPosition() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, positions);

    const std::string message = bytes.toStdString();
    const QString text = ShowBytes(message, 3).Text;
    std::vector<std::size_t> offsets;
    QList<int> alone;
    for (std::size_t offset = 0; offset <= message.size() + 1; ++offset) {
        offsets.push_back(offset);
        const TShownText shown = ShowBytes(message, 3, {&offset, 1});
        QCOMPARE(shown.Text, text);
        alone << static_cast<int>(shown.Places.at(0));
    }
    const TShownText shown = ShowBytes(message, 3, offsets);
    QCOMPARE(shown.Text, text);
    const QList<int> together(shown.Places.begin(), shown.Places.end());
    positions << int(text.size()); // an offset past the end: the end of the text
    QCOMPARE(together, positions);
    QCOMPARE(alone, positions);
}

QTEST_APPLESS_MAIN(ShownTextTest)
#include "ShownTextTest.moc"
