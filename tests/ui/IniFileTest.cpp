// Reading and writing one value of an INI file as the Windows profile functions
// do: names without regard to case, every other line left as it was.

#include "IniFile.h"

#include <QTemporaryDir>
#include <QTest>

using velquist::ui::IniValue;
using velquist::ui::ReadIniValue;
using velquist::ui::WithIniValue;
using velquist::ui::WriteIniValue;

class IniFileTest : public QObject {
    Q_OBJECT

private slots:
    void iniValue_data();
    void iniValue();
    void withIniValue_data();
    void withIniValue();
    void fileKeepsItsBytes();
};

void IniFileTest::iniValue_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("value"); // null: missing

    QTest::newRow("as written") << QStringLiteral("[Settings]\nLastMode=1\n")
                                << QStringLiteral("1");
    QTest::newRow("names in lower case")
        << QStringLiteral("[settings]\nlastmode=2\n") << QStringLiteral("2");
    QTest::newRow("names in upper case")
        << QStringLiteral("[SETTINGS]\r\nLASTMODE=0\r\n") << QStringLiteral("0");
    QTest::newRow("blanks around names and value")
        << QStringLiteral("  [ Settings ]  \n  LastMode =  2  \n") << QStringLiteral("2");
    QTest::newRow("empty value") << QStringLiteral("[Settings]\nLastMode=\n") << QString("");
    QTest::newRow("among other keys and sections")
        << QStringLiteral("[Other]\nLastMode=9\n[Settings]\nWidth=3\nLastMode=1\n[More]\n")
        << QStringLiteral("1");
    QTest::newRow("key of another section") << QStringLiteral("[Other]\nLastMode=9\n") << QString();
    QTest::newRow("key before any section")
        << QStringLiteral("LastMode=9\n[Settings]\n") << QString();
    QTest::newRow("commented out") << QStringLiteral("[Settings]\n;LastMode=2\n") << QString();
    QTest::newRow("first of two sections")
        << QStringLiteral("[Settings]\nWidth=1\n[Settings]\nLastMode=2\n") << QString();
    QTest::newRow("first of two keys")
        << QStringLiteral("[Settings]\nLastMode=1\nlastmode=2\n") << QStringLiteral("1");
    QTest::newRow("no final line end")
        << QStringLiteral("[Settings]\nLastMode=2") << QStringLiteral("2");
    QTest::newRow("empty text") << QString() << QString();
}

void IniFileTest::iniValue() {
    QFETCH(QString, ini);
    QFETCH(QString, value);

    const auto found = IniValue(ini, u"Settings", u"LastMode");
    QCOMPARE(found.has_value(), !value.isNull());
    if (found) {
        QCOMPARE(*found, value);
    }
}

void IniFileTest::withIniValue_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("written");

    QTest::newRow("new file") << QString() << QStringLiteral("[Settings]\nLastMode=2\n");
    QTest::newRow("value replaced")
        << QStringLiteral("[Settings]\nLastMode=1\n") << QStringLiteral("[Settings]\nLastMode=2\n");
    QTest::newRow("names in lower case kept, no second section")
        << QStringLiteral("[settings]\nlastmode=1\n") << QStringLiteral("[settings]\nLastMode=2\n");
    QTest::newRow("Windows line ends kept") << QStringLiteral("[Settings]\r\nLastMode=1\r\n")
                                            << QStringLiteral("[Settings]\r\nLastMode=2\r\n");
    QTest::newRow("other keys and sections kept")
        << QStringLiteral("; velquist\n[Other]\nLastMode=9\n\n[SETTINGS]\nWidth = 3\n"
                          "LastMode = 1\nHeight=4\n[More]\nK=V")
        << QStringLiteral("; velquist\n[Other]\nLastMode=9\n\n[SETTINGS]\nWidth = 3\n"
                          "LastMode=2\nHeight=4\n[More]\nK=V");
    QTest::newRow("key added at the end of its section")
        << QStringLiteral("[Settings]\nWidth=3\n\n[More]\nK=V\n")
        << QStringLiteral("[Settings]\nWidth=3\nLastMode=2\n\n[More]\nK=V\n");
    QTest::newRow("key added to an empty section at the end")
        << QStringLiteral("[Other]\nK=V\n[settings]")
        << QStringLiteral("[Other]\nK=V\n[settings]\nLastMode=2");
    QTest::newRow("section added after a text without final line end")
        << QStringLiteral("[Other]\r\nK=V")
        << QStringLiteral("[Other]\r\nK=V\r\n[Settings]\r\nLastMode=2\r\n");
    QTest::newRow("commented key stays, key added")
        << QStringLiteral("[Settings]\n;LastMode=1\n")
        << QStringLiteral("[Settings]\n;LastMode=1\nLastMode=2\n");
}

void IniFileTest::withIniValue() {
    QFETCH(QString, ini);
    QFETCH(QString, written);

    const QString result = WithIniValue(ini, u"Settings", u"LastMode", u"2");
    QCOMPARE(result, written);
    QCOMPARE(IniValue(result, u"Settings", u"LastMode"),
             std::optional<QString>(QStringLiteral("2")));
}

// A file is read and written as bytes: lines with bytes beyond ASCII come back
// unchanged, and a path that cannot be written reports it and changes nothing.
void IniFileTest::fileKeepsItsBytes() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("velquist.ini"));
    QCOMPARE(ReadIniValue(path, u"Settings", u"LastMode"), std::nullopt);

    const QByteArray other = QByteArrayLiteral("[Caf\xE9]\r\nName=\xFF\x80\r\n");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(other);
    }
    QVERIFY(WriteIniValue(path, u"Settings", u"LastMode", u"1"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), other + QByteArrayLiteral("[Settings]\r\nLastMode=1\r\n"));
    QCOMPARE(ReadIniValue(path, u"settings", u"lastmode"),
             std::optional<QString>(QStringLiteral("1")));

    QVERIFY(!WriteIniValue(dir.filePath(QStringLiteral("missing/velquist.ini")), u"Settings",
                           u"LastMode", u"1"));
}

QTEST_APPLESS_MAIN(IniFileTest)
#include "IniFileTest.moc"
