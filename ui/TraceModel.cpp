#include "TraceModel.h"

#include "Cp1252.h"

#include <algorithm>

namespace velquist::ui {

namespace {

// The messages a text filter's worker looks at before it lets the window read
// the index again, and reports what it found.
constexpr std::size_t kScanChunk = 256;

// Message bytes in a cell: Windows-1252, a control byte as ".".
QString CellBytes(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes) {
        const auto b = static_cast<std::uint8_t>(byte);
        text.append(b < 0x20 || b == 0x7F ? u'.' : QChar(Cp1252Char(b)));
    }
    return text;
}

QString Seconds(std::chrono::nanoseconds duration) {
    return QString::fromLatin1(FormatSeconds(duration, true));
}

// A function command's response time, or a solicited status's time since its command.
std::optional<std::chrono::nanoseconds> ResponseOf(const TTraceIndex& index, std::size_t i) {
    if (auto response = index.ResponseTime(i)) {
        return response;
    }
    return index.StatusTime(i);
}

std::optional<std::int64_t> SortKey(const TTraceIndex& index, std::size_t i, TTraceColumn column) {
    if (column == TTraceColumn::Time) {
        const auto time = index[i].Time();
        return time ? std::optional(time->Nanoseconds) : std::nullopt;
    }
    const auto response = ResponseOf(index, i);
    return response ? std::optional(response->count()) : std::nullopt;
}

// `messages` but those `drop` marks.
std::vector<std::uint32_t> Without(const std::vector<std::uint32_t>& messages,
                                   const std::vector<bool>& drop) {
    std::vector<std::uint32_t> kept;
    for (std::size_t k = 0; k < messages.size(); ++k) {
        if (!drop[k]) {
            kept.push_back(messages[k]);
        }
    }
    return kept;
}

} // namespace

QString TraceCellText(const TTraceIndex& index, std::size_t i, TTraceColumn column) {
    const TTraceEntry& entry = index[i];
    switch (column) {
    case TTraceColumn::Number: return QString::number(i + 1);
    case TTraceColumn::Time: {
        const auto time = entry.Time();
        return time ? QString::fromLatin1(FormatTraceTime(*time, ' ')) : QString();
    }
    case TTraceColumn::Delta: {
        const auto delta = index.Delta(i);
        return delta ? (delta->count() >= 0 ? QStringLiteral("+") : QString()) + Seconds(*delta)
                     : QString();
    }
    case TTraceColumn::Direction:
        switch (entry.Direction()) {
        case TDirection::FromTerminal: return QStringLiteral("Terminal \u2192 Host");
        case TDirection::FromHost: return QStringLiteral("Host \u2192 Terminal");
        case TDirection::Unknown: return {};
        }
        return {};
    case TTraceColumn::Luno: {
        const auto luno = index.Luno(i);
        return luno ? CellBytes(*luno) : QString();
    }
    case TTraceColumn::Type: return QString::fromLatin1(MsgTypeDisplayName(entry.Type()));
    case TTraceColumn::Summary: {
        const TTraceMessageView view = ViewTraceMessage(index, i);
        QString text = CellBytes(view.Summary().Item);
        const auto mark = [&text](const QString& what) {
            text.append(text.isEmpty() ? QString() : QStringLiteral("  ")).append(what);
        };
        if (view.Read.OddDigit) {
            mark(QStringLiteral("[odd hex digit]"));
        }
        if (view.Read.Truncated) {
            mark(QStringLiteral("[truncated]"));
        }
        if (!view.Error().empty()) {
            mark(QStringLiteral("[error: ") + CellBytes(view.Error()) + u']');
        }
        return text;
    }
    case TTraceColumn::Response: {
        const auto response = ResponseOf(index, i);
        return response ? Seconds(*response) : QString();
    }
    }
    return {};
}

// A text filter at work on a thread of its own.
struct TTraceModel::TScan {
    std::atomic<bool> Stop{false};
    std::thread Thread;
};

TTraceModel::TTraceModel(TTraceSource& source, QObject* parent)
    : QAbstractTableModel(parent), FSource(source) {
    connect(&FSource, &TTraceSource::Grew, this, &TTraceModel::SourceGrew);
    connect(&FSource, &TTraceSource::Finished, this, &TTraceModel::SourceFinished);
}

TTraceModel::~TTraceModel() {
    EndScan();
}

int TTraceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FShown.size());
}

int TTraceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTraceColumns;
}

QVariant TTraceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const std::uint32_t message = MessageAt(index.row());
    const auto column = static_cast<TTraceColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        constexpr std::size_t kSummariesKept = 4096;
        if (column == TTraceColumn::Summary) {
            if (const auto kept = FSummaries.find(message); kept != FSummaries.end()) {
                return kept->second;
            }
            if (FSummaries.size() >= kSummariesKept) {
                FSummaries.clear();
            }
        }
        const TIndexLock lock = FSource.Read();
        QString text = TraceCellText(*lock, message, column);
        if (column == TTraceColumn::Summary) {
            FSummaries.emplace(message, text);
        }
        return text;
    }
    case Qt::TextAlignmentRole:
        if (column == TTraceColumn::Number || column == TTraceColumn::Delta ||
            column == TTraceColumn::Response) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant TTraceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[kTraceColumns] = {"No.",  "Time", "Delta",   "Direction",
                                                       "LUNO", "Type", "Summary", "Response (s)"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kTraceColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromLatin1(kTitles[section]);
}

bool TTraceModel::Before(const TTraceIndex& index, std::uint32_t a, std::uint32_t b) const {
    const bool descending = FSortOrder == Qt::DescendingOrder;
    if (!FSortColumn || *FSortColumn == TTraceColumn::Number) {
        return descending ? a > b : a < b;
    }
    const auto keyA = SortKey(index, a, *FSortColumn);
    const auto keyB = SortKey(index, b, *FSortColumn);
    if (keyA && keyB && *keyA != *keyB) {
        return descending ? *keyA > *keyB : *keyA < *keyB;
    }
    if (keyA.has_value() != keyB.has_value()) {
        return keyA.has_value(); // messages without the value last, either way
    }
    return a < b;
}

bool TTraceModel::Sortable(TTraceColumn column) {
    return column == TTraceColumn::Number || column == TTraceColumn::Time ||
           column == TTraceColumn::Response;
}

void TTraceModel::sort(int column, Qt::SortOrder order) {
    const auto sortColumn = static_cast<TTraceColumn>(column);
    if (!Sortable(sortColumn)) {
        return;
    }
    FSortColumn = sortColumn;
    FSortOrder = order;
    Reorder(0);
}

void TTraceModel::Reorder(std::size_t sorted) {
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> messages;
    for (const QModelIndex& index : before) {
        messages.push_back(MessageAt(index.row()));
    }
    {
        const TIndexLock lock = FSource.Read();
        const auto before = [&](std::uint32_t a, std::uint32_t b) { return Before(*lock, a, b); };
        const auto middle = FShown.begin() + static_cast<std::ptrdiff_t>(sorted);
        std::stable_sort(middle, FShown.end(), before);
        std::inplace_merge(FShown.begin(), middle, FShown.end(), before);
    }
    QModelIndexList after;
    for (qsizetype k = 0; k < before.size(); ++k) {
        const auto row = RowOf(messages[static_cast<std::size_t>(k)]);
        after.append(row ? index(*row, before[k].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

std::optional<int> TTraceModel::RowOf(std::size_t message) const {
    const auto byNumber = [this](std::uint32_t a, std::uint32_t b) {
        return FSortOrder == Qt::DescendingOrder ? a > b : a < b;
    };
    auto found = FShown.end();
    if (!FSortColumn || *FSortColumn == TTraceColumn::Number) {
        found = std::lower_bound(FShown.begin(), FShown.end(), static_cast<std::uint32_t>(message),
                                 byNumber);
        if (found != FShown.end() && *found != message) {
            found = FShown.end();
        }
    } else {
        found = std::find(FShown.begin(), FShown.end(), static_cast<std::uint32_t>(message));
    }
    if (found == FShown.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - FShown.begin());
}

std::vector<std::uint32_t> TTraceModel::ShownInTraceOrder() const {
    std::vector<std::uint32_t> messages = FShown;
    std::sort(messages.begin(), messages.end());
    return messages;
}

std::vector<bool> TTraceModel::ShownFlags() const {
    std::vector<bool> shown(Total());
    for (const std::uint32_t message : FShown) {
        shown[message] = true;
    }
    return shown;
}

void TTraceModel::SetFilter(TTraceFilter filter) {
    EndScan();
    ++FGeneration;
    FKeepScanning = true;
    FFilter = std::move(filter);
    beginResetModel();
    FShown.clear();
    FScanned = 0;
    endResetModel();
    Continue();
    emit CountsChanged();
}

void TTraceModel::StopFiltering() {
    if (FScan) {
        EndScan();
        ++FGeneration; // what the worker sent before it stopped is dropped
        FKeepScanning = false;
        emit CountsChanged();
    }
}

void TTraceModel::SourceGrew() {
    Continue();
    emit CountsChanged();
}

void TTraceModel::SourceFinished() {
    // A request that looked unanswered may have found its answer since.
    if (FFilter.Unanswered) {
        DropAnswered();
    }
    SourceGrew();
}

std::vector<bool> TTraceModel::RejectedNow(const std::vector<std::uint32_t>& messages) const {
    std::vector<bool> rejected(messages.size());
    const TIndexLock lock = FSource.Read();
    const TTraceSelector selector(*lock, FFilter);
    for (std::size_t k = 0; k < messages.size(); ++k) {
        rejected[k] = !selector.AcceptsIndexed(messages[k]);
    }
    return rejected;
}

void TTraceModel::DropAnswered() {
    const std::vector<bool> drop = RejectedNow(FShown);
    // The rows to drop, as runs [first, end), from the last.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t row = FShown.size(); row > 0; --row) {
        if (!drop[row - 1]) {
            continue;
        }
        if (!runs.empty() && runs.back().first == row) {
            --runs.back().first;
        } else {
            runs.emplace_back(row - 1, row);
        }
    }
    // A few runs go one by one, so the view keeps its selection; many at once.
    constexpr std::size_t kRunsOneByOne = 64;
    if (runs.size() <= kRunsOneByOne) {
        for (const auto& [first, end] : runs) {
            beginRemoveRows({}, static_cast<int>(first), static_cast<int>(end) - 1);
            FShown.erase(FShown.begin() + static_cast<std::ptrdiff_t>(first),
                         FShown.begin() + static_cast<std::ptrdiff_t>(end));
            endRemoveRows();
        }
        return;
    }
    beginResetModel();
    FShown = Without(FShown, drop);
    endResetModel();
}

void TTraceModel::Continue() {
    const std::size_t end = FSource.Messages();
    if (FScan || !FKeepScanning || FScanned >= end) {
        return;
    }
    if (FFilter.Match.empty()) {
        ScanIndexed(end);
    } else {
        StartScan(end);
    }
}

void TTraceModel::ScanIndexed(std::size_t end) {
    std::vector<std::uint32_t> found;
    {
        const TIndexLock lock = FSource.Read();
        const TTraceSelector selector(*lock, FFilter);
        for (std::size_t i = FScanned; i < end; ++i) {
            if (selector.AcceptsIndexed(i)) {
                found.push_back(static_cast<std::uint32_t>(i));
            }
        }
    }
    FScanned = end;
    AddRows(std::move(found));
}

void TTraceModel::StartScan(std::size_t end) {
    FScan = std::make_unique<TScan>();
    FScan->Thread = std::thread([this, scan = FScan.get(), filter = FFilter, from = FScanned, end,
                                 generation = FGeneration] {
        std::optional<TTraceSelector> selector;
        for (std::size_t at = from; at < end && !scan->Stop;) {
            const std::size_t stop = std::min(at + kScanChunk, end);
            std::vector<std::uint32_t> found;
            {
                const TIndexLock lock = FSource.Read(false);
                if (!selector) {
                    selector.emplace(*lock, filter);
                }
                for (; at < stop; ++at) {
                    if (selector->Accepts(at)) {
                        found.push_back(static_cast<std::uint32_t>(at));
                    }
                }
            }
            QMetaObject::invokeMethod(
                this,
                [this, generation, found = std::move(found), stop, last = stop == end]() mutable {
                    TakeScan(generation, std::move(found), stop, last);
                },
                Qt::QueuedConnection);
        }
    });
}

void TTraceModel::TakeScan(std::uint64_t generation, std::vector<std::uint32_t> found,
                           std::size_t upTo, bool last) {
    if (generation != FGeneration) {
        return;
    }
    if (FFilter.Unanswered) {
        // Looked at before the reader ended, maybe: a request may have its answer now.
        found = Without(found, RejectedNow(found));
    }
    FScanned = upTo;
    AddRows(std::move(found));
    if (last) {
        EndScan();
        Continue();
    }
    emit CountsChanged();
}

void TTraceModel::EndScan() {
    if (FScan) {
        FScan->Stop = true;
        FScan->Thread.join();
        FScan.reset();
    }
}

void TTraceModel::AddRows(std::vector<std::uint32_t> messages) {
    if (!messages.empty()) {
        const bool byNumber = !FSortColumn || *FSortColumn == TTraceColumn::Number;
        if (byNumber && FSortOrder == Qt::DescendingOrder) {
            beginInsertRows({}, 0, static_cast<int>(messages.size()) - 1);
            FShown.insert(FShown.begin(), messages.rbegin(), messages.rend());
            endInsertRows();
        } else {
            const std::size_t sorted = FShown.size();
            const auto first = static_cast<int>(sorted);
            beginInsertRows({}, first, first + static_cast<int>(messages.size()) - 1);
            FShown.insert(FShown.end(), messages.begin(), messages.end());
            endInsertRows();
            if (!byNumber) {
                Reorder(sorted);
            }
        }
    }
}

} // namespace velquist::ui
