// The Windows-1252 code page between the window's text and the message bytes.

#include "Cp1252.h"

#include <QTest>

using velquist::ui::ShownCp1252;
using velquist::ui::ToCp1252;

class Cp1252Test : public QObject {
    Q_OBJECT

private slots:
    void toCp1252_data();
    void toCp1252();
    void shownCp1252_data();
    void shownCp1252();
    void everyByteShowsAsOneVisibleCharacter();
    void characterBytesComeBackUnchanged();
};

void Cp1252Test::toCp1252_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ASCII") << QStringLiteral("AZaz09 ~") << QByteArrayLiteral("AZaz09 ~");
    QTest::newRow("NUL kept") << QStringLiteral("a\0b") << QByteArrayLiteral("a\0b");
    QTest::newRow("euro sign") << QStringLiteral("\u20AC") << QByteArrayLiteral("\x80");
    QTest::newRow("0x80 row") << QStringLiteral("\u201A\u0192\u2026\u0160\u2122\u0178")
                              << QByteArrayLiteral("\x82\x83\x85\x8A\x99\x9F");
    QTest::newRow("Latin-1 range")
        << QStringLiteral("\u00A0\u00E9\u00FF") << QByteArrayLiteral("\xA0\xE9\xFF");
    QTest::newRow("outside the code page")
        << QStringLiteral("\u2603\u0100\u4E2D") << QByteArrayLiteral("???");
    QTest::newRow("C1 controls and undefined positions")
        << QStringLiteral("\u0080\u0081\u008D\u009D") << QByteArrayLiteral("????");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QByteArrayLiteral("?");
    QTest::newRow("surrogate pair is one character")
        << QStringLiteral("a\U0001F600b") << QByteArrayLiteral("a?b");
    QTest::newRow("lone surrogate")
        << (QString(QChar(0xD800)) + QStringLiteral("x")) << QByteArrayLiteral("?x");
}

void Cp1252Test::toCp1252() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(QByteArray::fromStdString(ToCp1252(text)), bytes);
}

void Cp1252Test::shownCp1252_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("ASCII") << QByteArrayLiteral("DieField[0] = 41")
                           << QStringLiteral("DieField[0] = 41");
    QTest::newRow("0x80 row") << QByteArrayLiteral("\x80\x8A\x8C\x9F")
                              << QStringLiteral("\u20AC\u0160\u0152\u0178");
    QTest::newRow("Latin-1 range")
        << QByteArrayLiteral("\xA0\xE9\xFF") << QStringLiteral("\u00A0\u00E9\u00FF");
    QTest::newRow("undefined bytes") << QByteArrayLiteral("a\x81\x8D\x8F\x90\x9Dz")
                                     << QStringLiteral("a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz");
    QTest::newRow("NUL does not end the text")
        << QByteArrayLiteral("a\0b") << QStringLiteral("a\u2400b");
    QTest::newRow("control pictures") << QByteArrayLiteral("\x01\x0C\x1B\x1C\x1D\x1F")
                                      << QStringLiteral("\u2401\u240C\u241B\u241C\u241D\u241F");
    QTest::newRow("DEL") << QByteArrayLiteral("\x7F") << QStringLiteral("\u2421");
    QTest::newRow("tab") << QByteArrayLiteral("a\tb") << QStringLiteral("a\tb");
    QTest::newRow("CR LF") << QByteArrayLiteral("a\r\nb\r\n") << QStringLiteral("a\nb\n");
    QTest::newRow("lone CR") << QByteArrayLiteral("a\rb") << QStringLiteral("a\nb");
    QTest::newRow("lone LF") << QByteArrayLiteral("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("LF CR is two breaks") << QByteArrayLiteral("a\n\rb") << QStringLiteral("a\n\nb");
    QTest::newRow("CR CR LF is two breaks")
        << QByteArrayLiteral("a\r\r\nb") << QStringLiteral("a\n\nb");
    QTest::newRow("CR at the end") << QByteArrayLiteral("a\r") << QStringLiteral("a\n");
    QTest::newRow("empty") << QByteArray() << QString();
}

void Cp1252Test::shownCp1252() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(ShownCp1252(bytes.toStdString()), shown);
}

void Cp1252Test::everyByteShowsAsOneVisibleCharacter() {
    for (int byte = 0; byte < 256; ++byte) {
        if (byte == '\r' || byte == '\n' || byte == '\t') {
            continue;
        }
        const QString shown = ShownCp1252(std::string(1, static_cast<char>(byte)));
        QVERIFY2(shown.size() == 1, qPrintable(QString::number(byte, 16)));
        const QChar::Category category = shown.front().category();
        QVERIFY2(category != QChar::Other_Control && category != QChar::Other_NotAssigned,
                 qPrintable(QString::number(byte, 16)));
    }
}

// The two directions agree on every byte that stands for a character of the code
// page: the byte shows as that character and the character writes that byte.
void Cp1252Test::characterBytesComeBackUnchanged() {
    const QList<int> withoutCharacter = {0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D};
    for (int byte = 0x20; byte < 256; ++byte) {
        if (withoutCharacter.contains(byte)) {
            continue;
        }
        const std::string one(1, static_cast<char>(byte));
        QCOMPARE(ToCp1252(ShownCp1252(one)), one);
    }
}

QTEST_APPLESS_MAIN(Cp1252Test)
#include "Cp1252Test.moc"
