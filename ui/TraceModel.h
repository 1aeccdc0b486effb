#pragma once

// The trace window's message table: a model over the trace's index, one row per
// message the filter passes, so a trace of millions of messages costs 4 bytes a
// shown message here and nothing per cell. Rows come as the reader publishes
// them; a filter that needs the decoded text (TTraceFilter::Match) runs on a
// worker thread and fills the table as it goes.

#include "TraceSource.h"
#include "velquist/TraceQuery.h"

#include <QAbstractTableModel>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace velquist::ui {

enum class TTraceColumn : int {
    Number,
    Time,
    Delta,
    Direction,
    Luno,
    Type,
    Summary,
    Response,
};
inline constexpr int kTraceColumns = 8;

// What a cell shows, for the table and for copying rows. `index` holds message i.
QString TraceCellText(const TTraceIndex& index, std::size_t i, TTraceColumn column);

class TTraceModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TTraceModel(TTraceSource& source, QObject* parent = nullptr);
    ~TTraceModel() override; // stops the filter's worker

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Whether the table sorts by `column`: by number, time or response time.
    static bool Sortable(TTraceColumn column);
    // By a column that is Sortable; others keep the order there is.
    void sort(int column, Qt::SortOrder order) override;

    // Shows the messages `filter` passes (all for an empty filter).
    void SetFilter(TTraceFilter filter);
    const TTraceFilter& Filter() const { return FFilter; }

    std::size_t Shown() const { return FShown.size(); }
    std::size_t Total() const { return FSource.Messages(); }
    // The messages the filter has looked at; below Total() while a text filter runs.
    std::size_t Scanned() const { return FScanned; }
    bool Filtering() const { return FScan != nullptr; }
    // Stops a text filter: the table keeps what it found, Scanned() says how far.
    void StopFiltering();

    std::uint32_t MessageAt(int row) const { return FShown[static_cast<std::size_t>(row)]; }
    std::optional<int> RowOf(std::size_t message) const;
    // The shown messages in trace order.
    std::vector<std::uint32_t> ShownInTraceOrder() const;
    // Whether each message of the trace is shown, by its index (Total() of them).
    std::vector<bool> ShownFlags() const;

    std::optional<TTraceColumn> SortColumn() const { return FSortColumn; }

signals:
    // Shown(), Total() or Scanned() changed.
    void CountsChanged();

private:
    struct TScan;

    // The reader published more messages / ended.
    void SourceGrew();
    void SourceFinished();
    // Drops the rows of requests that have found their answer since they were
    // shown as unanswered.
    void DropAnswered();
    // Which of `messages` the filter's conditions on the index reject now.
    std::vector<bool> RejectedNow(const std::vector<std::uint32_t>& messages) const;
    // Looks at the messages after Scanned(): at once for the index's filters,
    // on a worker for a text filter.
    void Continue();
    void ScanIndexed(std::size_t end);
    void StartScan(std::size_t end);
    void TakeScan(std::uint64_t generation, std::vector<std::uint32_t> found, std::size_t upTo,
                  bool last);
    void EndScan();
    // Adds rows (in trace order) where the order puts them.
    void AddRows(std::vector<std::uint32_t> messages);
    // Whether message a comes before message b in the order.
    bool Before(const TTraceIndex& index, std::uint32_t a, std::uint32_t b) const;
    // Sorts the rows after the first `sorted` (which are in order) into them.
    void Reorder(std::size_t sorted);

    TTraceSource& FSource;
    TTraceFilter FFilter;
    std::vector<std::uint32_t> FShown; // message indexes, in the order shown
    std::size_t FScanned = 0;
    bool FKeepScanning = true;     // false once a text filter was stopped, until the next filter
    std::uint64_t FGeneration = 0; // of the filter: a scan's results for an older one are dropped
    std::unique_ptr<TScan> FScan;
    // The summaries of the rows painted lately: a summary reads its message
    // again, and the table repaints its rows as they come.
    mutable std::unordered_map<std::uint32_t, QString> FSummaries;
    std::optional<TTraceColumn> FSortColumn; // none: by number
    Qt::SortOrder FSortOrder = Qt::AscendingOrder;
};

} // namespace velquist::ui
