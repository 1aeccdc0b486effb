#pragma once

// The trace window's statistics: the messages the table shows counted by type
// and by terminal, requests never answered, commands without a status, the
// response and status times, and a chart of the host's response times over the
// trace's time, in which clicking a point selects its function command.

#include <QDialog>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class QChart;
class QLabel;
class QPointF;
class QScatterSeries;
class QTreeWidget;

namespace velquist::ui {

class TTraceModel;
class TTraceSource;

// A chart point: where it stands (seconds since the first time, response time
// in seconds) and the message it is.
struct TChartPoint {
    double Elapsed = 0;
    double Response = 0;
    std::uint32_t Message = 0;
};

// At most about `most` of `points` (ascending by Elapsed), for a chart that
// stays quick: the time is cut into most / 2 equal spans, and each keeps its
// quickest and its slowest point, so no outlier is lost.
std::vector<TChartPoint> ThinPoints(const std::vector<TChartPoint>& points, std::size_t most);

// The point of `points` nearest to `at`, distances measured against the spans
// the points cover; none for no points.
std::optional<std::uint32_t> NearestPoint(const std::vector<TChartPoint>& points,
                                          const QPointF& at);

class TTraceStatsDialog : public QDialog {
    Q_OBJECT

public:
    // The most points the chart shows.
    static constexpr std::size_t kChartPoints = 4000;

    TTraceStatsDialog(TTraceSource& source, TTraceModel& model, QWidget* parent = nullptr);

    // Counts what the table shows now.
    void Refresh();

    // The chart's points, in the order of the series.
    const std::vector<TChartPoint>& Points() const { return FPoints; }
    // As a click on the chart at `at` (seconds, seconds) does.
    void ChooseNear(const QPointF& at);

signals:
    void MessageChosen(std::size_t message);

private:
    TTraceSource& FSource;
    TTraceModel& FModel;
    QLabel* FSummary = nullptr;
    QTreeWidget* FTypes = nullptr;
    QTreeWidget* FTerminals = nullptr;
    QScatterSeries* FSeries = nullptr;
    QChart* FChart = nullptr;
    std::vector<TChartPoint> FPoints;
};

} // namespace velquist::ui
