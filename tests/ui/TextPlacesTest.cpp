// The maps behind the highlighting: input area positions and prepared bytes
// (line breaks, surrogate pairs, paragraphs continuing a line), the index of the
// lines that show a byte, and the decoded lines as the output area shows them.

#include "TextPlaces.h"
#include "SeededRandom.h"
#include "ShownText.h"

#include <QTest>

#include <algorithm>

using velquist::TByteRange;
using velquist::TDecodedLine;
using velquist::ui::ShowBytes;
using velquist::ui::TInputPlaces;
using velquist::ui::TPositionRun;
using velquist::ui::TRangeIndex;
using velquist::ui::TShownLines;

namespace {

constexpr int kNone = -1;

// The places of a text written with "|" where a paragraph continuing the line
// starts.
TInputPlaces PlacesOf(const QString& written) {
    QString text;
    std::vector<qsizetype> cuts;
    for (const QChar c : written) {
        if (c == u'|') {
            cuts.push_back(text.size());
        } else {
            text += c;
        }
    }
    return TInputPlaces(text, cuts);
}

QList<int> Flat(const TPositionRun& run) {
    return {run.Start, run.End};
}

} // namespace

class TextPlacesTest : public QObject {
    Q_OBJECT

private slots:
    void inputPlaces_data();
    void inputPlaces();
    void rangeIndexFindsEveryContainingRange_data();
    void rangeIndexFindsEveryContainingRange();
    void shownLines();
};

void TextPlacesTest::inputPlaces_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QList<int>>("runs"); // the positions of each byte: start, end, start, end, ...
    QTest::addColumn<QList<int>>("carets"); // caret positions ...
    QTest::addColumn<QList<int>>("under");  // ... and the byte under each
    QTest::addColumn<QList<int>>("whole");  // the positions of all bytes and more

    QTest::newRow("one byte a character")
        << QStringLiteral("abc") << QList<int>{0, 1, 1, 2, 2, 3} << QList<int>{0, 1, 2, 3}
        << QList<int>{0, 1, 2, 2} << QList<int>{0, 3};
    // a CR LF, at one position; the caret at the end of a line is on its last character
    QTest::newRow("line break") << QStringLiteral("a\nb") << QList<int>{0, 1, 1, 2, 1, 2, 2, 3}
                                << QList<int>{0, 1, 2, 3} << QList<int>{0, 0, 3, 3}
                                << QList<int>{0, 3};
    QTest::newRow("empty line: its line break")
        << QStringLiteral("a\n\nb") << QList<int>{0, 1, 1, 2, 1, 2, 2, 3, 2, 3, 3, 4}
        << QList<int>{1, 2, 3} << QList<int>{0, 3, 5} << QList<int>{0, 4};
    QTest::newRow("surrogate pair: one byte")
        << QStringLiteral("a\U0001F600b") << QList<int>{0, 1, 1, 3, 3, 4} << QList<int>{0, 1, 3, 4}
        << QList<int>{0, 1, 2, 2} << QList<int>{0, 4};
    QTest::newRow("lone surrogates: a byte each")
        << QStringLiteral("a") + QChar(0xDC00) + QChar(0xD800) << QList<int>{0, 1, 1, 2, 2, 3}
        << QList<int>{1, 2} << QList<int>{1, 2} << QList<int>{0, 3};
    // the end of a paragraph continued by the next is the caret before the next character
    QTest::newRow("continued line")
        << QStringLiteral("ab|cd") << QList<int>{0, 1, 1, 2, 3, 4, 4, 5} << QList<int>{1, 2, 3, 5}
        << QList<int>{1, 2, 2, 3} << QList<int>{0, 5};
    QTest::newRow("surrogate pair parted by a cut")
        << QStringLiteral("a\U0001F600b").insert(2, u'|') << QList<int>{0, 1, 1, 4, 4, 5}
        << QList<int>{1, 4} << QList<int>{1, 2} << QList<int>{0, 5};
    QTest::newRow("continued line, then a line break")
        << QStringLiteral("ab|c\nd") << QList<int>{0, 1, 1, 2, 3, 4, 4, 5, 4, 5, 5, 6}
        << QList<int>{2, 4, 5, 6} << QList<int>{2, 2, 5, 5} << QList<int>{0, 6};
    QTest::newRow("line break at the end: no byte after it")
        << QStringLiteral("a\n") << QList<int>{0, 1, 1, 2, 1, 2} << QList<int>{1, 2}
        << QList<int>{0, kNone} << QList<int>{0, 2};
    QTest::newRow("empty text") << QString() << QList<int>{} << QList<int>{0} << QList<int>{kNone}
                                << QList<int>{0, 0};
}

void TextPlacesTest::inputPlaces() {
    QFETCH(QString, written);
    QFETCH(QList<int>, runs);
    QFETCH(QList<int>, carets);
    QFETCH(QList<int>, under);
    QFETCH(QList<int>, whole);

    const TInputPlaces places = PlacesOf(written);
    QCOMPARE(places.Bytes(), static_cast<std::size_t>(runs.size() / 2));
    QList<int> found;
    for (std::size_t byte = 0; byte < places.Bytes(); ++byte) {
        found << Flat(places.RunOf({byte, 1}));
        // A position holds the byte it is found at.
        const int start = places.RunOf({byte, 1}).Start;
        QVERIFY(places.RunOf({places.ByteAt(start), 1}).Start == start);
    }
    QCOMPARE(found, runs);

    QList<int> foundUnder;
    for (const int caret : carets) {
        const auto byte = places.ByteUnderCaret(caret);
        foundUnder << (byte ? static_cast<int>(*byte) : kNone);
    }
    QCOMPARE(foundUnder, under);
    QCOMPARE(Flat(places.RunOf({0, places.Bytes() + 5})), whole);
    QCOMPARE(places.RunOf({places.Bytes(), 3}).Start, places.RunOf({places.Bytes(), 3}).End);
}

void TextPlacesTest::rangeIndexFindsEveryContainingRange_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("span");    // the bytes the ranges lie in
    QTest::addColumn<int>("longest"); // the longest range

    QTest::newRow("no range") << 0 << 10 << 1;
    QTest::newRow("one range") << 1 << 10 << 5;
    QTest::newRow("short ranges, some apart") << 50 << 400 << 4;
    QTest::newRow("nested and overlapping") << 200 << 100 << 60;
    QTest::newRow("many starting together") << 300 << 8 << 8;
    QTest::newRow("not a power of two") << 77 << 300 << 30;
}

// Against a plain search through all ranges, for every byte and a few beyond.
void TextPlacesTest::rangeIndexFindsEveryContainingRange() {
    QFETCH(int, count);
    QFETCH(int, span);
    QFETCH(int, longest);

    velquist::TSeededRandom random(static_cast<std::uint64_t>(count * 7919 + span));
    std::vector<TRangeIndex::TEntry> entries;
    for (int i = 0; i < count; ++i) {
        const auto offset =
            static_cast<std::size_t>(random.Below(static_cast<std::uint64_t>(span)));
        const auto length =
            static_cast<std::size_t>(random.Below(static_cast<std::uint64_t>(longest + 1)));
        entries.push_back({{offset, length}, static_cast<std::size_t>(1000 + i)});
    }
    const TRangeIndex index(entries);
    for (std::size_t byte = 0; byte < static_cast<std::size_t>(span + longest + 2); ++byte) {
        std::vector<std::size_t> expected;
        for (const auto& entry : entries) {
            if (entry.Range.Contains(byte)) {
                expected.push_back(entry.Id);
            }
        }
        QCOMPARE(index.Containing(byte), expected);
    }
}

// Lines of a decoded text: one continued on a second display line and holding
// a mark, an empty one with an empty range, one showing a byte the first shows.
void TextPlacesTest::shownLines() {
    const std::string text = "A\x1B"
                             "B\r\n\r\nxyz";
    const std::vector<TDecodedLine> lines = {
        {0, 3, TByteRange{0, 3}}, // shown as "AESC", "…B" (longest 4)
        {5, 0, TByteRange{2, 0}}, // empty, with an empty range
        {7, 3, TByteRange{1, 1}},
    };
    const std::vector<std::size_t> bounds = TShownLines::LineBounds(lines);
    QCOMPARE(bounds, (std::vector<std::size_t>{0, 3, 5, 5, 7, 10}));
    const auto shown = ShowBytes(text, 4, bounds);
    QCOMPARE(shown.Text, QStringLiteral("AESC\n\u2026B\n\nxyz"));
    const TShownLines shownLines(lines, shown.Places);

    QCOMPARE(Flat(shownLines.RunOf(0)), (QList<int>{0, 7}));
    QCOMPARE(Flat(shownLines.RunOf(1)), (QList<int>{8, 8}));
    QCOMPARE(Flat(shownLines.RunOf(2)), (QList<int>{9, 12}));
    QList<int> lineAt;
    for (int position = 0; position <= 13; ++position) {
        const auto line = shownLines.LineAt(position);
        lineAt << (line ? static_cast<int>(*line) : kNone);
    }
    QCOMPARE(lineAt, (QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 2, 2, 2, kNone}));

    QCOMPARE(shownLines.BytesOf(0), (std::optional<TByteRange>{{0, 3}}));
    QCOMPARE(shownLines.BytesOf(1), std::nullopt); // nothing to highlight
    QCOMPARE(shownLines.BytesOf(9), std::nullopt);
    QCOMPARE(shownLines.LinesShowing(0), (std::vector<std::size_t>{0}));
    QCOMPARE(shownLines.LinesShowing(1), (std::vector<std::size_t>{0, 2}));
    QCOMPARE(shownLines.LinesShowing(2), (std::vector<std::size_t>{0}));
    QCOMPARE(shownLines.LinesShowing(3), std::vector<std::size_t>{});
}

QTEST_APPLESS_MAIN(TextPlacesTest)
#include "TextPlacesTest.moc"
