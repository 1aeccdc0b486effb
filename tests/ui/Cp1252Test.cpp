// The Windows-1252 code page between the window's text and the message bytes.

#include "Cp1252.h"

#include <QTest>

using velquist::ui::Cp1252Char;
using velquist::ui::ToCp1252;

class Cp1252Test : public QObject {
    Q_OBJECT

private slots:
    void toCp1252_data();
    void toCp1252();
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

// The two directions agree on every byte that stands for a character of the code
// page: the byte reads as that character and the character writes that byte.
void Cp1252Test::characterBytesComeBackUnchanged() {
    const QList<int> withoutCharacter = {0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D};
    for (int byte = 0x20; byte < 256; ++byte) {
        if (withoutCharacter.contains(byte)) {
            QCOMPARE(Cp1252Char(static_cast<std::uint8_t>(byte)),
                     char16_t(byte == 0x7F ? 0x7F : 0xFFFD));
            continue;
        }
        const std::string one(1, static_cast<char>(byte));
        const QChar shown(Cp1252Char(static_cast<std::uint8_t>(byte)));
        QCOMPARE(ToCp1252(QStringView(&shown, 1)), one);
    }
}

QTEST_APPLESS_MAIN(Cp1252Test)
#include "Cp1252Test.moc"
