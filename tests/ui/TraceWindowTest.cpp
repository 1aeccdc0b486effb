// The trace window over generated traces: it lists what the library indexes,
// filters as velquist-decode --trace filters, sorts, goes from a message to the
// ones paired with it, ties the decoded text to the trace characters both ways,
// masks card data, saves the same JSON Lines as the command line and counts as
// the library counts; reading is watched step by step, stopped and closed; and
// files without messages or that cannot be read say so. The main window opens
// a file dropped on it.

#include "TraceWindow.h"
#include "HighlightRead.h"
#include "ProcessRunner.h"
#include "ShownText.h"
#include "TestMain.h"
#include "TestWindow.h"
#include "TextPlaces.h"
#include "TraceDetails.h"
#include "TraceModel.h"
#include "TraceRender.h"
#include "TraceSource.h"
#include "TraceStats.h"
#include "Traffic.h"
#include "velquist/TraceQuery.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>

using namespace velquist;
using namespace velquist::ui;

namespace {

// Terminals and their host at work, each message in a style of `styles` behind
// a header line with its time: consumer requests answered by function
// commands, reported on by solicited statuses, exchanges interleaved, now and
// then one left unanswered, with random messages of every class between.
test::TTraceGen PairedTrace(std::uint64_t seed, std::size_t exchanges) {
    test::TTraceGen trace(seed, {test::TStyle::Xxd});
    test::TChoices random(seed);
    struct TOpen {
        std::string Luno;
        char Mcn;
        int Step;
    };
    std::vector<TOpen> open;
    std::int64_t clock = 8 * 3'600'000'000'000LL;
    const auto add = [&](const std::string& message) {
        clock += 1'000'000LL * (1 + random.Below(3000));
        const auto seconds = clock / 1'000'000'000;
        trace.Text +=
            test::Printf("10:%02llu:", static_cast<unsigned long long>(seconds / 60 % 60)) +
            test::Printf("%02llu.", static_cast<unsigned long long>(seconds % 60)) +
            test::Printf("%03llu RECV\n",
                         static_cast<unsigned long long>(clock / 1'000'000 % 1000));
        for (const std::string& line : test::XxdDump(message, 16, 2).Lines) {
            trace.Text += line + "\n";
        }
    };
    for (std::size_t made = 0; made < exchanges || !open.empty();) {
        if (!open.empty() && (made >= exchanges || random.Chance(2))) {
            const std::size_t k =
                static_cast<std::size_t>(random.Below(static_cast<int>(open.size())));
            TOpen& exchange = open[k];
            add(exchange.Step == 0 ? capture::FunctionCommand(exchange.Luno, exchange.Mcn)
                                   : capture::SolicitedStatus(exchange.Luno));
            if (++exchange.Step == 2 || random.Chance(8)) {
                open.erase(open.begin() + static_cast<std::ptrdiff_t>(k));
            }
        } else {
            const std::string luno =
                test::Printf("%03llu", static_cast<unsigned long long>(random.Below(5)));
            const char mcn = static_cast<char>('1' + random.Below(9));
            add(capture::ConsumerRequest(luno, mcn));
            if (!random.Chance(6)) {
                open.push_back({luno, mcn, 0});
            }
            if (random.Chance(4)) {
                trace.Add(1); // noise of every class and layout
            }
            ++made;
        }
    }
    return trace;
}

// A window over a trace file, its preferences in a folder of their own.
class TOpened {
public:
    explicit TOpened(const std::string& text, std::size_t step = 64, bool paused = false)
        : Text(text), File(text), Window({.SettingsFile = Dir.filePath(QStringLiteral("trace.ini")),
                                          .StepMessages = step,
                                          .Paused = paused}),
          Index(TTraceWalk::IndexAll(Text)) {
        QString problem;
        if (!Window.Open(QString::fromStdString(File.Path()), problem)) {
            qFatal("cannot open the trace: %s", qPrintable(problem));
        }
    }

    // Waits for the reader and the filter to finish.
    bool Settled() {
        return QTest::qWaitFor(
            [this] { return !Window.Source().Reading() && !Window.Model().Filtering(); }, 60'000);
    }

    std::vector<std::uint32_t> Rows() const {
        std::vector<std::uint32_t> rows;
        for (int row = 0; row < Window.Model().rowCount(); ++row) {
            rows.push_back(Window.Model().MessageAt(row));
        }
        return rows;
    }

    template <class T>
    T& Get(const char* name) {
        return NamedChild<T>(Window, name);
    }

    void Trigger(const char* action) { Get<QAction>(action).trigger(); }

    QTemporaryDir Dir;
    std::string Text;
    test::TempFile File;
    TfrmTrace Window;
    TTraceIndex Index; // the library's own, for comparison
};

QString FromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Where highlighted text starts and ends in a marked text (a trace has brackets of its own).
constexpr char16_t kOpen = u'\x01';
constexpr char16_t kClose = u'\x02';

// The bytes that hex digits highlighted in a marked text write.
std::string MarkedBytes(const QString& marked) {
    std::string hex;
    bool open = false;
    for (const QChar c : marked) {
        open = c == kOpen ? true : c == kClose ? false : open;
        if (open && std::isxdigit(c.toLatin1())) {
            hex.push_back(c.toLatin1());
        }
    }
    return QByteArray::fromHex(QByteArray::fromStdString(hex)).toStdString();
}

QMessageBox* ProblemBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("traceProblem") && widget->isVisible()) {
            return qobject_cast<QMessageBox*>(widget);
        }
    }
    return nullptr;
}

} // namespace

class TraceWindowTest : public QObject {
    Q_OBJECT

private slots:
    void listsWhatTheLibraryIndexes_data();
    void listsWhatTheLibraryIndexes();
    void readingIsWatchedStoppedAndClosed();
    void filtersAsTheCommandLine_data();
    void filtersAsTheCommandLine();
    void unansweredLosesWhatFindsItsAnswer();
    void sortsByTimeAndResponseTime();
    void goesToPairedMessages();
    void highlightsBothWays_data();
    void highlightsBothWays();
    void masksCardDataAndRemembersIt();
    void statisticsCountAsTheLibrary();
    void copiesSelectedRows();
    void noMessageAndUnreadableFilesSaySo();
    void mainWindowOpensDroppedFiles();
    void cleanup() { delete ProblemBox(); }
};

void TraceWindowTest::listsWhatTheLibraryIndexes_data() {
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 4; ++seed) {
        QTest::addRow("seed %d", seed) << seed;
    }
}

// Every message of a trace of every layout is a row; a row selected shows the
// message's decode and the trace lines it came from.
void TraceWindowTest::listsWhatTheLibraryIndexes() {
    QFETCH(int, seed);
    test::TTraceGen trace(static_cast<std::uint64_t>(seed),
                          std::vector(std::begin(test::kTextStyles), std::end(test::kTextStyles)));
    trace.Add(150);
    TOpened opened(trace.Text, 16);
    QVERIFY(opened.Settled());
    QCOMPARE(opened.Window.Model().rowCount(), static_cast<int>(trace.Expected.size()));
    QCOMPARE(opened.Get<QLabel>("shownCount").text(),
             QStringLiteral("%1 / %1").arg(trace.Expected.size()));
    test::TChoices random(static_cast<std::uint64_t>(seed));
    for (int n = 0; n < 10; ++n) {
        const int row = random.Below(static_cast<int>(trace.Expected.size()));
        const test::TExpectedMessage& expected = trace.Expected[static_cast<std::size_t>(row)];
        opened.Window.Table().selectRow(row);
        QCOMPARE(opened.Window.Current(), std::optional<std::size_t>(row));
        const TTraceModel& model = opened.Window.Model();
        const auto cell = [&](TTraceColumn column) {
            return model.data(model.index(row, static_cast<int>(column)), Qt::DisplayRole)
                .toString();
        };
        QCOMPARE(cell(TTraceColumn::Number), QString::number(row + 1));
        QCOMPARE(cell(TTraceColumn::Time),
                 expected.Time ? FromBytes(FormatTraceTime(*expected.Time, ' ')) : QString());
        const TDecodeResult decoded = DecodeMessage(expected.Message);
        QCOMPARE(cell(TTraceColumn::Type), FromBytes(MsgTypeDisplayName(decoded.Type)));
        const QString shown = decoded.Ok ? ShowBytes(decoded.Text).Text
                                         : QStringLiteral("Error: ") + FromBytes(decoded.Error);
        QCOMPARE(opened.Window.Details().Decoded().toPlainText(), shown);
        // The first line of the trace lines holding bytes is the message's.
        const QString lines = opened.Window.Details().Lines().toPlainText();
        const std::string_view text = trace.Text;
        const TTraceEntry& entry = opened.Index[static_cast<std::size_t>(row)];
        const TByteRange own = TraceLinesAround(text, entry.TextBegin(), entry.TextEnd());
        const std::string_view first =
            text.substr(own.Offset, std::min<std::size_t>(own.Length, 40));
        if (first.find_first_of(std::string_view("\0\x7f", 2)) == std::string_view::npos &&
            std::all_of(first.begin(), first.end(), [](char c) { return c >= 0x20; })) {
            QVERIFY(lines.contains(FromBytes(first)));
        }
    }
}

// The reader is watched step by step: the table fills as it goes; Cancel stops
// it where it is, and so does closing the window.
void TraceWindowTest::readingIsWatchedStoppedAndClosed() {
    const test::TTraceGen trace = PairedTrace(7, 200);
    for (const bool byClosing : {false, true}) {
        TOpened opened(trace.Text, 10, true);
        QCOMPARE(opened.Window.Model().rowCount(), 0);
        QVERIFY(opened.Window.Source().Reading());
        opened.Window.Source().Allow(3);
        QTRY_COMPARE(opened.Window.Model().rowCount(), 30);
        QVERIFY(opened.Get<QPushButton>("traceCancel").isVisibleTo(&opened.Window));
        opened.Window.Source().Allow(1);
        QTRY_COMPARE(opened.Window.Model().rowCount(), 40);
        if (byClosing) {
            opened.Window.close();
        } else {
            QTest::mouseClick(&opened.Get<QPushButton>("traceCancel"), Qt::LeftButton);
        }
        QVERIFY(!opened.Window.Source().Reading());
        QVERIFY(opened.Window.Source().Stopped());
        opened.Window.Source().Allow(-1); // the worker has gone: nothing more comes
        QCoreApplication::processEvents();
        QCOMPARE(opened.Window.Source().Messages(), std::size_t{40});
        QCOMPARE(opened.Window.Model().rowCount(), 40);
        QVERIFY(opened.Window.Source().Position() < opened.Window.Source().TextSize());
    }
}

void TraceWindowTest::filtersAsTheCommandLine_data() {
    QTest::addColumn<QString>("luno");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QString>("match");
    QTest::addColumn<bool>("unanswered");
    QTest::addColumn<double>("slower");
    QTest::addColumn<bool>("mask");
    QTest::addColumn<QStringList>("options"); // velquist-decode's

    QTest::newRow("all") << "" << QStringList() << "" << false << 0.0 << false << QStringList();
    QTest::newRow("LUNOs") << "001, 003" << QStringList() << "" << false << 0.0 << false
                           << QStringList{"--luno", "001", "--luno", "003"};
    QTest::newRow("types") << "" << QStringList{"mtFunctionCommand", "mtSolicited"} << "" << false
                           << 0.0 << false
                           << QStringList{"--type", "mtFunctionCommand", "--type", "mtSolicited"};
    QTest::newRow("text") << "" << QStringList() << "ready" << false << 0.0 << false
                          << QStringList{"--match", "ready"};
    QTest::newRow("text, masked") << "002" << QStringList() << "4761" << false << 0.0 << true
                                  << QStringList{"--luno", "002", "--match", "4761", "--mask"};
    QTest::newRow("unanswered") << "" << QStringList() << "" << true << 0.0 << false
                                << QStringList{"--unanswered"};
    QTest::newRow("slower") << "" << QStringList() << "" << false << 2.5 << true
                            << QStringList{"--slower", "2.5", "--mask"};
}

// Each filter shows what the library selects, and the messages shown saved as
// JSON Lines are what velquist-decode --trace --json writes with those filters.
void TraceWindowTest::filtersAsTheCommandLine() {
    QFETCH(QString, luno);
    QFETCH(QStringList, types);
    QFETCH(QString, match);
    QFETCH(bool, unanswered);
    QFETCH(double, slower);
    QFETCH(bool, mask);
    QFETCH(QStringList, options);
    const test::TTraceGen trace = PairedTrace(3, 300);
    TOpened opened(trace.Text);
    opened.Get<QAction>("actMask").setChecked(mask);
    QVERIFY(opened.Settled());
    opened.Get<QLineEdit>("lunoFilter").setText(luno);
    for (const QString& type : types) {
        opened.Get<QAction>(type.toLatin1().constData()).setChecked(true);
    }
    opened.Get<QCheckBox>("unansweredFilter").setChecked(unanswered);
    opened.Get<QDoubleSpinBox>("slowerSeconds").setValue(slower);
    opened.Get<QCheckBox>("slowerFilter").setChecked(slower > 0);
    QLineEdit& text = opened.Get<QLineEdit>("textFilter");
    text.setText(match);
    QTest::keyClick(&text, Qt::Key_Return);
    QVERIFY(opened.Settled());

    TTraceFilter filter;
    for (int k = 1; k < options.size(); k += 2) {
        if (options[k - 1] == QStringLiteral("--luno")) {
            filter.Lunos.push_back(options[k].toStdString());
        } else if (options[k - 1] == QStringLiteral("--type")) {
            filter.Types.push_back(*MsgTypeFromName(options[k].toStdString()));
        }
    }
    filter.Match = match.toStdString();
    filter.Unanswered = unanswered;
    if (slower > 0) {
        filter.SlowerThan = std::chrono::milliseconds(static_cast<int>(slower * 1000));
    }
    filter.MaskCardData = mask;
    const std::vector<std::uint32_t> selected = SelectMessages(opened.Index, filter);
    QVERIFY(!selected.empty() || QTest::currentDataTag() == QByteArrayLiteral("unanswered"));
    QCOMPARE(opened.Window.Model().ShownInTraceOrder(), selected);
    QCOMPARE(opened.Get<QLabel>("shownCount").text(),
             QStringLiteral("%1 / %2").arg(selected.size()).arg(opened.Index.size()));

    const QString saved = opened.Dir.filePath(QStringLiteral("shown.jsonl"));
    QString problem;
    QVERIFY2(opened.Window.SaveShown(saved, problem), qPrintable(problem));
    std::vector<std::string> argv{VELQUIST_DECODE_PATH, "--trace", "--json"};
    for (const QString& option : options) {
        argv.push_back(option.toStdString());
    }
    argv.push_back(opened.File.Path());
    const test::TProcessResult cli = test::RunProcess(argv, "");
    QCOMPARE(cli.ExitCode, 0);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toStdString(), cli.Out);
}

// Requests shown as unanswered while the trace is read, with a text filter at
// work too, leave the table when their answer comes, without the filter
// starting over; Cancel keeps what was found.
void TraceWindowTest::unansweredLosesWhatFindsItsAnswer() {
    const test::TTraceGen trace = PairedTrace(7, 200);
    const TTraceFilter filter{.Match = "track-2", .Unanswered = true};
    constexpr std::size_t kStep = 10;
    for (const bool cancel : {false, true}) {
        std::size_t scanned = 0;
        bool startedOver = false;
        TOpened opened(trace.Text, kStep, true);
        TTraceModel& model = opened.Window.Model();
        QObject::connect(&model, &TTraceModel::CountsChanged, &model, [&] {
            startedOver = startedOver || model.Scanned() < scanned;
            scanned = model.Scanned();
        });
        opened.Get<QCheckBox>("unansweredFilter").setChecked(true);
        QLineEdit& text = opened.Get<QLineEdit>("textFilter");
        text.setText(QString::fromStdString(filter.Match));
        QTest::keyClick(&text, Qt::Key_Return);
        opened.Window.Source().Allow(3);
        QTRY_VERIFY(model.Scanned() == 3 * kStep && !model.Filtering());
        const std::vector<std::uint32_t> early = model.ShownInTraceOrder();

        TTraceWalk walk(trace.Text);
        if (cancel) {
            opened.Window.Source().Allow(2);
            QTRY_VERIFY(model.Scanned() == 5 * kStep && !model.Filtering());
            QTest::mouseClick(&opened.Get<QPushButton>("traceCancel"), Qt::LeftButton);
            for (int step = 0; step < 5; ++step) {
                walk.Step(kStep);
            }
        } else {
            opened.Window.Source().Allow(-1);
            QVERIFY(opened.Settled());
            walk.Step(opened.Index.size());
        }
        const std::vector<std::uint32_t> expected = SelectMessages(walk.Index(), filter);
        QVERIFY(!expected.empty());
        QCOMPARE(model.ShownInTraceOrder(), expected);
        // Some of those shown early found their answer later.
        QVERIFY(std::any_of(early.begin(), early.end(), [&](std::uint32_t i) {
            return !std::binary_search(expected.begin(), expected.end(), i);
        }));
        QVERIFY(!startedOver);
    }
}

// Sorted by time or response time, rows go in the order of their values, the
// rows without one last; by number again, in trace order.
void TraceWindowTest::sortsByTimeAndResponseTime() {
    const test::TTraceGen trace = PairedTrace(5, 150);
    TOpened opened(trace.Text);
    QVERIFY(opened.Settled());
    TTraceModel& model = opened.Window.Model();
    for (const auto column : {TTraceColumn::Response, TTraceColumn::Time}) {
        for (const auto order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            model.sort(static_cast<int>(column), order);
            const std::vector<std::uint32_t> rows = opened.Rows();
            QCOMPARE(rows.size(), opened.Index.size());
            const auto key = [&](std::uint32_t i) -> std::optional<std::int64_t> {
                if (column == TTraceColumn::Time) {
                    const auto time = opened.Index[i].Time();
                    return time ? std::optional(time->Nanoseconds) : std::nullopt;
                }
                const auto response = opened.Index.ResponseTime(i) ? opened.Index.ResponseTime(i)
                                                                   : opened.Index.StatusTime(i);
                return response ? std::optional(response->count()) : std::nullopt;
            };
            for (std::size_t k = 1; k < rows.size(); ++k) {
                const auto a = key(rows[k - 1]);
                const auto b = key(rows[k]);
                QVERIFY(a || !b);
                QVERIFY(!a || !b || (order == Qt::AscendingOrder ? *a <= *b : *a >= *b));
            }
        }
    }
    model.sort(static_cast<int>(TTraceColumn::Number), Qt::AscendingOrder);
    QCOMPARE(opened.Rows(), opened.Window.Model().ShownInTraceOrder());

    // A click on a header sorts by its column, the next click the other way;
    // a column that does not sort keeps the order.
    opened.Window.show();
    QHeaderView& header = *opened.Window.Table().horizontalHeader();
    const auto click = [&header](TTraceColumn column) {
        const int section = static_cast<int>(column);
        QTest::mouseClick(
            header.viewport(), Qt::LeftButton, {},
            QPoint(header.sectionViewportPosition(section) + header.sectionSize(section) / 2,
                   header.height() / 2));
    };
    click(TTraceColumn::Response);
    QCOMPARE(model.SortColumn(), std::optional(TTraceColumn::Response));
    const std::vector<std::uint32_t> first = opened.Rows();
    click(TTraceColumn::Response);
    const std::vector<std::uint32_t> second = opened.Rows();
    QVERIFY(second != first);
    click(TTraceColumn::Luno);
    QCOMPARE(model.SortColumn(), std::optional(TTraceColumn::Response));
    QCOMPARE(opened.Rows(), second);
}

// The keys (from the table) and the context menu's actions go to the reply,
// request, status and command, and through the messages of one terminal.
void TraceWindowTest::goesToPairedMessages() {
    const test::TTraceGen trace = PairedTrace(11, 120);
    TOpened opened(trace.Text);
    QVERIFY(opened.Settled());
    const TTraceIndex& index = opened.Index;
    QTableView& table = opened.Window.Table();
    table.setFocus();
    std::size_t followed = 0;
    for (std::size_t i = 0; i < index.size(); ++i) {
        const auto command = index.ResponseIn(i);
        const auto status = command ? index.StatusIn(*command) : std::nullopt;
        if (!status) {
            continue;
        }
        opened.Window.GoTo(i);
        QTest::keyClick(&table, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(opened.Window.Current(), command);
        QCOMPARE(table.currentIndex().row(), static_cast<int>(*command));
        QTest::keyClick(&table, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(opened.Window.Current(), status);
        opened.Trigger("actCommand");
        QCOMPARE(opened.Window.Current(), command);
        QTest::keyClick(&table, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(opened.Window.Current(), std::optional(i));
        QVERIFY(!opened.Get<QAction>("actRequest").isEnabled()); // a request answers nothing
        QTest::keyClick(&table, Qt::Key_Period, Qt::ControlModifier);
        QCOMPARE(opened.Window.Current(), index.SameTerminal(i, true).value_or(i));
        opened.Window.GoTo(i);
        opened.Trigger("actPreviousSame");
        QCOMPARE(opened.Window.Current(), index.SameTerminal(i, false).value_or(i));
        ++followed;
    }
    QVERIFY(followed > 20);

    // With a filter, the next of a terminal is the next one shown; a paired
    // message the filter hides is shown below the table all the same.
    opened.Get<QAction>("mtCustomerRequest").setChecked(true);
    const std::size_t request = opened.Window.Model().MessageAt(0);
    opened.Window.GoTo(request);
    opened.Trigger("actNextSame");
    auto next = index.SameTerminal(request, true);
    while (next && index[*next].Type() != mtCustomerRequest) {
        next = index.SameTerminal(*next, true);
    }
    QCOMPARE(opened.Window.Current(), next.value_or(request));
    opened.Window.GoTo(request);
    if (const auto reply = index.ResponseIn(request)) {
        opened.Trigger("actReply");
        QCOMPARE(opened.Window.Current(), reply);
        QVERIFY(!opened.Window.Table().selectionModel()->hasSelection());
    }
}

void TraceWindowTest::highlightsBothWays_data() {
    QTest::addColumn<int>("style");
    for (const test::TStyle style : test::kTextStyles) {
        QTest::addRow("style %d", static_cast<int>(style)) << static_cast<int>(style);
    }
}

// The caret on a decoded line highlights the trace characters that wrote its
// bytes; the caret on a trace character highlights the decoded lines that show
// its byte.
void TraceWindowTest::highlightsBothWays() {
    QFETCH(int, style);
    test::TTraceGen trace(static_cast<std::uint64_t>(20 + style),
                          {static_cast<test::TStyle>(style)});
    trace.Repeats = false; // a "*" writes bytes that no digit shows
    trace.Add(12);
    TOpened opened(trace.Text);
    QVERIFY(opened.Settled());
    opened.Window.resize(900, 700);
    opened.Window.show();
    QPlainTextEdit& decoded = opened.Window.Details().Decoded();
    QPlainTextEdit& lines = opened.Window.Details().Lines();
    std::size_t checked = 0;
    for (std::size_t i = 0; i < trace.Expected.size(); ++i) {
        const std::string& message = trace.Expected[i].Message;
        const TDecodeResult result = DecodeMessage(message, {.Structure = true});
        if (!result.Ok) {
            continue;
        }
        opened.Window.GoTo(i);
        decoded.setFocus();
        // Where each decoded line starts and ends in the area (a line may hold
        // line breaks of the message's own).
        const std::vector<qsizetype> places =
            ShowBytes(result.Text, kLongestShownLine, TShownLines::LineBounds(result.Lines)).Places;
        for (std::size_t k = 0; k < result.Lines.size(); k += 3) {
            const auto& range = result.Lines[k].Range;
            const auto start = static_cast<int>(places[2 * k]);
            PutCaret(decoded, start + (places[2 * k + 1] > start ? 1 : 0));
            const std::string bytes = range ? message.substr(range->Offset, range->Length) : "";
            QCOMPARE(MarkedBytes(MarkedInput(lines, kOpen, kClose)), bytes);
            ++checked;
        }
        // A digit of the last byte: the lines that show it.
        const std::size_t last = message.size() - 1;
        QStringList showing;
        for (std::size_t k = 0; k < result.Lines.size(); ++k) {
            if (result.Lines[k].Range && result.Lines[k].Range->Contains(last)) {
                QTextBlock shown = decoded.document()->findBlock(static_cast<int>(places[2 * k]));
                for (; shown.isValid() && shown.position() <= places[2 * k + 1];
                     shown = shown.next()) {
                    showing << shown.text();
                }
            }
        }
        // The caret on the high digit of that byte, found in the trace text.
        const std::string_view text = trace.Text;
        const TTraceEntry& entry = opened.Index[i];
        const TTraceMessage read = ReadTraceMessage(text, entry.TextBegin(), entry.TextEnd(),
                                                    entry.Layout(), entry.FirstLine());
        const std::size_t high = read.Places()[last].High;
        const std::size_t start = text.find_last_of("\r\n", high) + 1;
        const QString line =
            FromBytes(text.substr(start, text.find_first_of("\r\n", high) - start));
        QTextBlock block = lines.document()->begin();
        while (block.isValid() && block.text() != line) {
            block = block.next();
        }
        QVERIFY(block.isValid());
        lines.setFocus();
        PutCaret(lines, block.position() + static_cast<int>(high - start));
        QCOMPARE(HighlightedLines(decoded), showing);
        QCOMPARE(MarkedBytes(MarkedInput(lines, kOpen, kClose)),
                 std::string()); // the caret's area shows none
    }
    QVERIFY(checked > 10);
}

// Masking hides card data in the decoded text and the trace lines; it, the
// columns' widths and the recent files are kept in the trace window's own
// settings.
void TraceWindowTest::masksCardDataAndRemembersIt() {
    const test::TTraceGen trace = PairedTrace(13, 10);
    TOpened opened(trace.Text);
    QVERIFY(opened.Settled());
    QVERIFY(!opened.Get<QAction>("actMask").isChecked()); // off by default
    const std::size_t request = opened.Window.Model().MessageAt(0);
    opened.Window.GoTo(request);
    const TTraceMessageView view = ViewTraceMessage(opened.Index, request, {.Decode = true});
    QVERIFY(opened.Window.Details().Decoded().toPlainText().contains(
        QStringLiteral("4761739001010010")));
    opened.Trigger("actMask");
    const TTraceMessageView masked =
        ViewTraceMessage(opened.Index, request, {.MaskCardData = true, .Decode = true});
    QCOMPARE(opened.Window.Details().Decoded().toPlainText(), ShowBytes(masked.Decoded->Text).Text);
    // The trace lines as velquist-decode --redact writes them: every line of the
    // message with its card digits masked, none left as it was.
    std::string redacted = trace.Text;
    const std::vector<velquist::TTextEdit> edits = CardDataEdits(opened.Index, request);
    QVERIFY(!edits.empty());
    for (const velquist::TTextEdit& edit : edits) {
        redacted[edit.Position] = edit.Character;
    }
    const QString lines = opened.Window.Details().Lines().toPlainText();
    const TTraceEntry& entry = opened.Index[request];
    const TByteRange own = TraceLinesAround(trace.Text, entry.TextBegin(), entry.TextEnd());
    for (const QString& line : FromBytes(redacted.substr(own.Offset, own.Length)).split(u'\n')) {
        QVERIFY(lines.contains(line));
    }
    for (const velquist::TTextEdit& edit : edits) {
        const std::size_t start = trace.Text.rfind('\n', edit.Position) + 1;
        const std::string original =
            trace.Text.substr(start, trace.Text.find('\n', edit.Position) - start);
        QVERIFY(!lines.contains(FromBytes(original)));
    }
    opened.Window.Table().setColumnWidth(static_cast<int>(TTraceColumn::Summary), 321);
    opened.Window.close();
    TfrmTrace again({.SettingsFile = opened.Dir.filePath(QStringLiteral("trace.ini"))});
    QVERIFY(again.findChild<QAction*>(QStringLiteral("actMask"))->isChecked());
    QCOMPARE(again.Table().columnWidth(static_cast<int>(TTraceColumn::Summary)), 321);
    const QList<QAction*> recent = again.findChild<QMenu*>(QStringLiteral("recentMenu"))->actions();
    QCOMPARE(recent.size(), 1);
    QCOMPARE(recent.front()->text(),
             QDir::toNativeSeparators(
                 QFileInfo(QString::fromStdString(opened.File.Path())).absoluteFilePath()));
    QVERIFY(!view.Decoded->Text.empty());
}

// The statistics count what the table shows as the library counts it, and a
// click on the chart selects the function command of the nearest point.
void TraceWindowTest::statisticsCountAsTheLibrary() {
    const test::TTraceGen trace = PairedTrace(17, 200);
    TOpened opened(trace.Text);
    QVERIFY(opened.Settled());
    opened.Trigger("actStatistics"); // open while the filter changes: it follows
    std::size_t chosen = 0;
    while (opened.Index.Luno(chosen) != std::string_view("004")) {
        ++chosen;
    }
    opened.Window.GoTo(chosen);
    QLineEdit& luno = opened.Get<QLineEdit>("lunoFilter");
    luno.setText(QStringLiteral("001 002 004"));
    QTest::keyClick(&luno, Qt::Key_Return);
    // The selected message is selected where the filtered table shows it.
    QCOMPARE(opened.Window.Model().MessageAt(opened.Window.Table().currentIndex().row()), chosen);
    TTraceStatsDialog& dialog = *opened.Window.Statistics();
    TTraceSelector selector(opened.Index, {.Lunos = {"001", "002", "004"}});
    const TTraceStats stats =
        ComputeTraceStats(opened.Index, [&](std::size_t i) { return selector.Accepts(i); });
    QTRY_VERIFY(
        dialog.findChild<QLabel*>(QStringLiteral("statsSummary"))
            ->text()
            .startsWith(QStringLiteral("Messages: %1    Decode errors: %2    Requests never "
                                       "answered: %3    Function commands without a status: %4")
                            .arg(stats.Messages)
                            .arg(stats.Errors)
                            .arg(stats.Unanswered)
                            .arg(stats.NoStatus)));
    const auto counts = [&](const char* name) {
        std::map<QString, qulonglong> found;
        QTreeWidget& tree = *dialog.findChild<QTreeWidget*>(QString::fromLatin1(name));
        for (int k = 0; k < tree.topLevelItemCount(); ++k) {
            found[tree.topLevelItem(k)->text(0)] =
                tree.topLevelItem(k)->data(1, Qt::DisplayRole).toULongLong();
        }
        return found;
    };
    std::map<QString, qulonglong> types;
    for (const TDMsgType type : AllMsgTypes()) {
        if (stats.Types[type] > 0) {
            types[FromBytes(MsgTypeDisplayName(type))] = stats.Types[type];
        }
    }
    QCOMPARE(counts("statsTypes"), types);
    std::map<QString, qulonglong> terminals;
    for (const auto& [luno, count] : stats.Terminals) {
        terminals[FromBytes(luno)] = count;
    }
    QCOMPARE(counts("statsTerminals"), terminals);
    QCOMPARE(dialog.Points().size(), stats.ResponseTime.Count);
    const TChartPoint point = dialog.Points()[dialog.Points().size() / 2];
    dialog.ChooseNear({point.Elapsed, point.Response});
    QCOMPARE(opened.Window.Current(), std::optional<std::size_t>(point.Message));
    QCOMPARE(opened.Index.ResponseTime(point.Message)->count(),
             static_cast<std::int64_t>(std::llround(point.Response * 1e9)));

    // Thinned, the slowest point of every span stays.
    std::vector<TChartPoint> many;
    test::TChoices random(3);
    for (std::uint32_t k = 0; k < 10'000; ++k) {
        many.push_back({k * 0.5, random.Below(1000) / 100.0, k});
    }
    const std::vector<TChartPoint> thin = ThinPoints(many, 100);
    QVERIFY(thin.size() <= 100 && thin.size() >= 50);
    const auto slowest = [](const std::vector<TChartPoint>& points) {
        return std::max_element(points.begin(), points.end(),
                                [](auto& a, auto& b) { return a.Response < b.Response; })
            ->Response;
    };
    QCOMPARE(slowest(thin), slowest(many));
}

// Ctrl+C in the table copies the selected rows, a line each, cells between tabs.
void TraceWindowTest::copiesSelectedRows() {
    const test::TTraceGen trace = PairedTrace(19, 20);
    TOpened opened(trace.Text);
    QVERIFY(opened.Settled());
    QTableView& table = opened.Window.Table();
    table.selectionModel()->select(
        QItemSelection(table.model()->index(2, 0), table.model()->index(4, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    QString expected;
    for (std::size_t i = 2; i <= 4; ++i) {
        for (int column = 0; column < kTraceColumns; ++column) {
            expected += (column == 0 ? QString() : QStringLiteral("\t")) +
                        TraceCellText(opened.Index, i, static_cast<TTraceColumn>(column));
        }
        expected += u'\n';
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    QVERIFY(expected.contains(QStringLiteral("Consumer Request")));
}

// A file without a message gets a message box and no window; a file that cannot
// be read gets the system's reason.
void TraceWindowTest::noMessageAndUnreadableFilesSaySo() {
    QTemporaryDir dir;
    const test::TempFile empty("nothing in here\n\xff\x00 not hex at all\n");
    const TTraceWindowOptions options{.SettingsFile = dir.filePath(QStringLiteral("t.ini"))};
    QPointer<TfrmTrace> window = OpenTraceWindow(QString::fromStdString(empty.Path()), options);
    QVERIFY(window);
    QTRY_VERIFY(ProblemBox() != nullptr);
    QVERIFY(ProblemBox()->text().startsWith(
        QStringLiteral("No message found in \"%1\".").arg(QString::fromStdString(empty.Path()))));
    QTRY_VERIFY(window.isNull());
    delete ProblemBox();

    for (const auto& [path, error] :
         {std::pair(dir.filePath(QStringLiteral("missing.log")), ENOENT),
          std::pair(dir.path(), EISDIR)}) {
        QCOMPARE(OpenTraceWindow(path, options), nullptr);
        QVERIFY(ProblemBox() != nullptr);
        QCOMPARE(ProblemBox()->text(),
                 QStringLiteral("Cannot read \"%1\": %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(error))));
        delete ProblemBox();
    }
}

// A file dropped on the main window, or on one of its text areas, is a trace to
// open; text dropped on the input area is still pasted.
void TraceWindowTest::mainWindowOpensDroppedFiles() {
    TWindow window;
    window.Form.show();
    QSignalSpy chosen(&window.Form, &TfrmDecode::TraceChosen);
    for (QWidget* target : {static_cast<QWidget*>(&window.Form), window.Input().viewport(),
                            window.Output().viewport()}) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/day.log"))});
        data.setText(QStringLiteral("file:///tmp/day.log"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.takeFirst().front().toString(), QStringLiteral("/tmp/day.log"));
    }
    QCOMPARE(window.InputLines(), QString());
}

VELQUIST_UI_TEST_MAIN(TraceWindowTest)
#include "TraceWindowTest.moc"
