#include "TraceStats.h"

#include "TraceModel.h"
#include "TraceSource.h"
#include "velquist/TraceQuery.h"

#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointF>
#include <QScatterSeries>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace velquist::ui {

namespace {

double InSeconds(std::chrono::nanoseconds duration) {
    return static_cast<double>(duration.count()) / 1e9;
}

QString Durations(const QString& name, const TDurationStats& stats) {
    QString text = QStringLiteral("%1: %2").arg(name).arg(stats.Count);
    if (stats.Count > 0) {
        const auto seconds = [](std::chrono::nanoseconds duration) {
            return QString::fromLatin1(FormatSeconds(duration));
        };
        text += QStringLiteral(", min %1, median %2, p95 %3, max %4, mean %5 s")
                    .arg(seconds(stats.Min), seconds(stats.Median), seconds(stats.P95),
                         seconds(stats.Max), seconds(stats.Mean));
    }
    return text;
}

QTreeWidget* CountTable(QWidget* parent, const char* name, const QString& what) {
    auto* table = new QTreeWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setRootIsDecorated(false);
    table->setColumnCount(2);
    table->setHeaderLabels({what, QStringLiteral("Messages")});
    table->setSortingEnabled(true);
    return table;
}

void AddCount(QTreeWidget& table, const QString& name, std::size_t count) {
    auto* item = new QTreeWidgetItem(&table);
    item->setText(0, name);
    item->setData(1, Qt::DisplayRole, static_cast<qulonglong>(count));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
}

} // namespace

std::vector<TChartPoint> ThinPoints(const std::vector<TChartPoint>& points, std::size_t most) {
    if (points.size() <= most || most < 2) {
        return points;
    }
    const std::size_t spans = most / 2;
    const double first = points.front().Elapsed;
    const double width = std::max(points.back().Elapsed - first, 1e-9);
    const auto spanOf = [&](const TChartPoint& point) {
        return std::min(spans - 1,
                        static_cast<std::size_t>((point.Elapsed - first) / width * spans));
    };
    std::vector<TChartPoint> thin;
    std::size_t k = 0;
    while (k < points.size()) {
        const std::size_t span = spanOf(points[k]);
        std::size_t quickest = k;
        std::size_t slowest = k;
        std::size_t next = k + 1;
        for (; next < points.size() && spanOf(points[next]) == span; ++next) {
            quickest = points[next].Response < points[quickest].Response ? next : quickest;
            slowest = points[next].Response > points[slowest].Response ? next : slowest;
        }
        thin.push_back(points[std::min(quickest, slowest)]);
        if (quickest != slowest) {
            thin.push_back(points[std::max(quickest, slowest)]);
        }
        k = next;
    }
    return thin;
}

std::optional<std::uint32_t> NearestPoint(const std::vector<TChartPoint>& points,
                                          const QPointF& at) {
    if (points.empty()) {
        return std::nullopt;
    }
    const auto [minX, maxX] = std::minmax_element(
        points.begin(), points.end(),
        [](const TChartPoint& a, const TChartPoint& b) { return a.Elapsed < b.Elapsed; });
    const auto [minY, maxY] = std::minmax_element(
        points.begin(), points.end(),
        [](const TChartPoint& a, const TChartPoint& b) { return a.Response < b.Response; });
    const double spanX = std::max(maxX->Elapsed - minX->Elapsed, 1e-9);
    const double spanY = std::max(maxY->Response - minY->Response, 1e-9);
    const auto distance = [&](const TChartPoint& p) {
        return std::hypot((p.Elapsed - at.x()) / spanX, (p.Response - at.y()) / spanY);
    };
    return std::min_element(points.begin(), points.end(),
                            [&](const TChartPoint& a, const TChartPoint& b) {
                                return distance(a) < distance(b);
                            })
        ->Message;
}

TTraceStatsDialog::TTraceStatsDialog(TTraceSource& source, TTraceModel& model, QWidget* parent)
    : QDialog(parent), FSource(source), FModel(model) {
    setObjectName(QStringLiteral("traceStatistics"));
    setWindowTitle(QStringLiteral("Trace Statistics"));
    setModal(false);

    FSummary = new QLabel(this);
    FSummary->setObjectName(QStringLiteral("statsSummary"));
    FSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FTypes = CountTable(this, "statsTypes", QStringLiteral("Type"));
    FTerminals = CountTable(this, "statsTerminals", QStringLiteral("Terminal (LUNO)"));

    FSeries = new QScatterSeries(this);
    FSeries->setObjectName(QStringLiteral("statsResponseTimes"));
    FSeries->setName(QStringLiteral("Response time of each function command"));
    FSeries->setMarkerSize(6);
    FChart = new QChart;
    FChart->addSeries(FSeries);
    auto* x = new QValueAxis(FChart);
    x->setTitleText(QStringLiteral("Seconds since the first message"));
    auto* y = new QValueAxis(FChart);
    y->setTitleText(QStringLiteral("Response time (s)"));
    FChart->addAxis(x, Qt::AlignBottom);
    FChart->addAxis(y, Qt::AlignLeft);
    FSeries->attachAxis(x);
    FSeries->attachAxis(y);
    FChart->legend()->setVisible(false);
    auto* view = new QChartView(FChart, this); // the view owns the chart
    view->setObjectName(QStringLiteral("statsChart"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(220);
    connect(FSeries, &QScatterSeries::clicked, this, &TTraceStatsDialog::ChooseNear);

    auto* counts = new QHBoxLayout;
    counts->addWidget(FTypes);
    counts->addWidget(FTerminals);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FSummary);
    layout->addLayout(counts, 1);
    layout->addWidget(view, 2);
    layout->addWidget(buttons);
    resize(760, 640);
}

void TTraceStatsDialog::Refresh() {
    const std::vector<bool> shown = FModel.ShownFlags();
    std::vector<TChartPoint> points;
    TTraceStats stats;
    {
        const TIndexLock lock = FSource.Read();
        const TTraceIndex& index = *lock;
        const auto isShown = [&shown](std::size_t i) { return i < shown.size() && shown[i]; };
        stats = ComputeTraceStats(index, isShown);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const auto response = isShown(i) ? index.ResponseTime(i) : std::nullopt;
            const auto elapsed = response ? index.Elapsed(i) : std::nullopt;
            if (elapsed) {
                points.push_back(
                    {InSeconds(*elapsed), InSeconds(*response), static_cast<std::uint32_t>(i)});
            }
        }
    }
    std::stable_sort(points.begin(), points.end(), [](const TChartPoint& a, const TChartPoint& b) {
        return a.Elapsed < b.Elapsed;
    });
    FPoints = ThinPoints(points, kChartPoints);

    FSummary->setText(
        QStringLiteral("Messages: %1    Decode errors: %2    Requests never answered: %3    "
                       "Function commands without a status: %4\n%5\n%6")
            .arg(stats.Messages)
            .arg(stats.Errors)
            .arg(stats.Unanswered)
            .arg(stats.NoStatus)
            .arg(Durations(QStringLiteral("Response times"), stats.ResponseTime),
                 Durations(QStringLiteral("Status times"), stats.StatusTime)));
    FTypes->clear();
    for (const TDMsgType type : AllMsgTypes()) {
        if (stats.Types[type] > 0) {
            AddCount(*FTypes, QString::fromLatin1(MsgTypeDisplayName(type)), stats.Types[type]);
        }
    }
    FTerminals->clear();
    for (const auto& [luno, count] : stats.Terminals) {
        AddCount(*FTerminals, QString::fromLatin1(luno), count);
    }

    QList<QPointF> series;
    series.reserve(static_cast<qsizetype>(FPoints.size()));
    double maxX = 1;
    double maxY = 0.001;
    for (const TChartPoint& point : FPoints) {
        series.append({point.Elapsed, point.Response});
        maxX = std::max(maxX, point.Elapsed);
        maxY = std::max(maxY, point.Response);
    }
    FSeries->replace(series);
    FChart->axes(Qt::Horizontal).front()->setRange(0, maxX * 1.02);
    FChart->axes(Qt::Vertical).front()->setRange(0, maxY * 1.1);
}

void TTraceStatsDialog::ChooseNear(const QPointF& at) {
    if (const auto message = NearestPoint(FPoints, at)) {
        emit MessageChosen(*message);
    }
}

} // namespace velquist::ui
