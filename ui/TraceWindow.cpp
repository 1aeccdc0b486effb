#include "TraceWindow.h"

#include "Cp1252.h"
#include "TraceDetails.h"
#include "TraceModel.h"
#include "TraceSource.h"
#include "TraceStats.h"
#include "velquist/TraceJson.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velquist::ui {

namespace {

constexpr int kRecentFiles = 10;
constexpr int kShowAfterMs = 300;       // a window still reading shows itself then
constexpr int kTextFilterPauseMs = 400; // the text filter applies once typing pauses

// Keys of the trace window's INI file.
const QString kMaskKey = QStringLiteral("Trace/MaskCardData");
const QString kColumnsKey = QStringLiteral("Trace/Columns");
const QString kRecentKey = QStringLiteral("Trace/RecentFiles");
const QString kGeometryKey = QStringLiteral("Trace/Geometry");

QString Title(const QString& path) {
    return QFileInfo(path).fileName() + QStringLiteral(" - Velquist Trace");
}

// Columns as wide as what they usually hold; each user's widths are kept.
void SetColumnWidths(QTableView& table) {
    static const char* const kWidest[kTraceColumns] = {"0000000",
                                                       "2024-05-01 10:42:01.123456",
                                                       "+0.000000",
                                                       "Host \u2192 Terminal",
                                                       "000",
                                                       "Consumer Request",
                                                       "Perform a retract of the card",
                                                       "00.000000"};
    const QFontMetrics metrics(table.font());
    for (int column = 0; column < kTraceColumns; ++column) {
        table.setColumnWidth(column,
                             metrics.horizontalAdvance(QString::fromUtf8(kWidest[column])) + 16);
    }
}

QMessageBox* ShowProblem(QWidget* parent, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Velquist Trace"), text,
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("traceProblem"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show(); // not exec: nothing waits on it
    return box;
}

} // namespace

QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (data != nullptr) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                files.append(url.toLocalFile());
            }
        }
    }
    return files;
}

QString TraceSettingsFile(const QString& userFolder) {
    return QDir(userFolder).filePath(QStringLiteral("velquist-trace.ini"));
}

TfrmTrace::TfrmTrace(TTraceWindowOptions options, QWidget* parent)
    : QMainWindow(parent), FOptions(std::move(options)) {
    setObjectName(QStringLiteral("frmTrace"));
    setWindowTitle(QStringLiteral("Velquist Trace"));
    setAcceptDrops(true);

    FSource = new TTraceSource(this);
    FModel = new TTraceModel(*FSource, this);

    FTable = new QTableView(this);
    FTable->setObjectName(QStringLiteral("traceTable"));
    FTable->setModel(FModel);
    FTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    FTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FTable->setSortingEnabled(false); // by the header's clicks on the columns that sort
    FTable->setWordWrap(false);
    FTable->setContextMenuPolicy(Qt::ActionsContextMenu);
    FTable->verticalHeader()->hide();
    FTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FTable->verticalHeader()->setDefaultSectionSize(FTable->fontMetrics().height() + 6);
    SetColumnWidths(*FTable);
    FTable->horizontalHeader()->setStretchLastSection(true);
    FTable->horizontalHeader()->setSectionsClickable(true);
    FTable->horizontalHeader()->setSortIndicatorShown(true);
    FTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    FTable->installEventFilter(this);

    FDetails = new TTraceDetails(this);
    FDetails->Decoded().installEventFilter(this);
    FDetails->Lines().installEventFilter(this);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("traceSplit"));
    split->addWidget(FTable);
    split->addWidget(FDetails);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(CreateFilterBar());
    layout->addWidget(split, 1);
    setCentralWidget(central);

    CreateActions();
    CreateStatusBar();
    FStatsLater = new QTimer(this);
    FStatsLater->setSingleShot(true);
    FStatsLater->setInterval(0);
    connect(FStatsLater, &QTimer::timeout, this, [this] {
        if (FStats) {
            FStats->Refresh();
        }
    });

    connect(FSource, &TTraceSource::Grew, this, &TfrmTrace::SourceGrew);
    connect(FSource, &TTraceSource::Finished, this, &TfrmTrace::SourceFinished);
    connect(FModel, &TTraceModel::CountsChanged, this, &TfrmTrace::UpdateCounts);
    connect(FTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { CurrentRowChanged(current); });
    connect(FTable->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        QHeaderView& header = *FTable->horizontalHeader();
        if (!TTraceModel::Sortable(static_cast<TTraceColumn>(section))) {
            const auto sorted = FModel->SortColumn();
            header.setSortIndicator(sorted ? static_cast<int>(*sorted) : -1,
                                    header.sortIndicatorOrder());
            return;
        }
        FModel->sort(section, header.sortIndicatorOrder());
        if (FCurrent) {
            if (const auto row = FModel->RowOf(*FCurrent)) {
                FTable->scrollTo(FModel->index(*row, 0));
            }
        }
    });

    const QSettings settings(FOptions.SettingsFile, QSettings::IniFormat);
    FMask->setChecked(settings.value(kMaskKey, false).toBool());
    FTable->horizontalHeader()->restoreState(settings.value(kColumnsKey).toByteArray());
    FTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    if (!restoreGeometry(settings.value(kGeometryKey).toByteArray())) {
        resize(1000, 700);
    }
    FillRecentMenu();
    UpdateLinks();
    UpdateCounts();
}

TfrmTrace::~TfrmTrace() {
    // The workers read the index, which goes with the source, a child.
    FModel->StopFiltering();
    FSource->Stop();
}

QWidget* TfrmTrace::CreateFilterBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("traceFilterBar"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);

    row->addWidget(new QLabel(QStringLiteral("LUNO:"), bar));
    FLunoFilter = new QLineEdit(bar);
    FLunoFilter->setObjectName(QStringLiteral("lunoFilter"));
    FLunoFilter->setPlaceholderText(QStringLiteral("any (001 002 ...)"));
    FLunoFilter->setClearButtonEnabled(true);
    row->addWidget(FLunoFilter);

    FTypeButton = new QToolButton(bar);
    FTypeButton->setObjectName(QStringLiteral("typeFilter"));
    FTypeButton->setPopupMode(QToolButton::InstantPopup);
    auto* types = new QMenu(FTypeButton);
    for (const TDMsgType type : AllMsgTypes()) {
        QAction* action = types->addAction(QString::fromLatin1(MsgTypeDisplayName(type)));
        action->setObjectName(QString::fromLatin1(MsgTypeName(type)));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, &TfrmTrace::ApplyFilter);
        FTypeActions.push_back(action);
    }
    FTypeButton->setMenu(types);
    row->addWidget(FTypeButton);

    row->addWidget(new QLabel(QStringLiteral("Text:"), bar));
    FTextFilter = new QLineEdit(bar);
    FTextFilter->setObjectName(QStringLiteral("textFilter"));
    FTextFilter->setPlaceholderText(QStringLiteral("in the decoded message"));
    FTextFilter->setClearButtonEnabled(true);
    row->addWidget(FTextFilter, 2);

    FUnanswered = new QCheckBox(QStringLiteral("Unanswered"), bar);
    FUnanswered->setObjectName(QStringLiteral("unansweredFilter"));
    FUnanswered->setToolTip(QStringLiteral("Consumer requests that no function command answered"));
    row->addWidget(FUnanswered);

    FSlower = new QCheckBox(QStringLiteral("Slower than"), bar);
    FSlower->setObjectName(QStringLiteral("slowerFilter"));
    FSlower->setToolTip(QStringLiteral("Function commands answered later than this"));
    row->addWidget(FSlower);
    FSlowerSeconds = new QDoubleSpinBox(bar);
    FSlowerSeconds->setObjectName(QStringLiteral("slowerSeconds"));
    FSlowerSeconds->setDecimals(3);
    FSlowerSeconds->setRange(0, 86400);
    FSlowerSeconds->setValue(1);
    FSlowerSeconds->setSuffix(QStringLiteral(" s"));
    row->addWidget(FSlowerSeconds);

    FCount = new QLabel(bar);
    FCount->setObjectName(QStringLiteral("shownCount"));
    row->addWidget(FCount);

    auto* pause = new QTimer(this);
    pause->setSingleShot(true);
    pause->setInterval(kTextFilterPauseMs);
    connect(pause, &QTimer::timeout, this, &TfrmTrace::ApplyFilter);
    connect(FTextFilter, &QLineEdit::textEdited, pause, qOverload<>(&QTimer::start));
    connect(FTextFilter, &QLineEdit::returnPressed, this, &TfrmTrace::ApplyFilter);
    connect(FTextFilter, &QLineEdit::returnPressed, pause, &QTimer::stop);
    connect(FLunoFilter, &QLineEdit::returnPressed, this, &TfrmTrace::ApplyFilter);
    connect(FLunoFilter, &QLineEdit::editingFinished, this, &TfrmTrace::ApplyFilter);
    connect(FUnanswered, &QCheckBox::toggled, this, &TfrmTrace::ApplyFilter);
    connect(FSlower, &QCheckBox::toggled, this, &TfrmTrace::ApplyFilter);
    connect(FSlowerSeconds, &QDoubleSpinBox::valueChanged, this, [this] {
        if (FSlower->isChecked()) {
            ApplyFilter();
        }
    });
    return bar;
}

QAction* TfrmTrace::AddAction(QMenu& menu, const char* name, const QString& text,
                              const QKeySequence& keys) {
    QAction* action = menu.addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty()) {
        action->setShortcut(keys);
        FKeyActions.push_back(action);
    }
    return action;
}

void TfrmTrace::CreateActions() {
    QMenu& file = *menuBar()->addMenu(QStringLiteral("&File"));
    connect(AddAction(file, "actOpen", QStringLiteral("&Open Trace..."), QKeySequence::Open),
            &QAction::triggered, this, &TfrmTrace::ChooseFile);
    FRecentMenu = file.addMenu(QStringLiteral("Open &Recent"));
    FRecentMenu->setObjectName(QStringLiteral("recentMenu"));
    connect(AddAction(file, "actSave", QStringLiteral("&Save Shown as JSON Lines..."),
                      QKeySequence::Save),
            &QAction::triggered, this, &TfrmTrace::SaveShownAs);
    file.addSeparator();
    connect(AddAction(file, "actClose", QStringLiteral("&Close"), QKeySequence::Close),
            &QAction::triggered, this, &QWidget::close);

    QMenu& edit = *menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* copy = AddAction(edit, "actCopy", QStringLiteral("&Copy Rows"), QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &TfrmTrace::CopySelectedRows);
    connect(AddAction(edit, "actFind", QStringLiteral("&Find in Decoded Text"), QKeySequence::Find),
            &QAction::triggered, this, [this] {
                FTextFilter->setFocus();
                FTextFilter->selectAll();
            });

    QMenu& go = *menuBar()->addMenu(QStringLiteral("&Go"));
    const struct {
        const char* Name;
        const char* Text;
        QKeySequence Keys;
        TLink Link;
    } links[] = {
        {"actReply", "Go to &Reply (Function Command)", QKeySequence(Qt::CTRL | Qt::Key_R),
         TLink::Reply},
        {"actRequest", "Go to Re&quest", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
         TLink::Request},
        {"actStatus", "Go to &Status", QKeySequence(Qt::CTRL | Qt::Key_T), TLink::Status},
        {"actCommand", "Go to &Command", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T),
         TLink::Command},
        {"actNextSame", "&Next of the Same Terminal", QKeySequence(Qt::CTRL | Qt::Key_Period),
         TLink::NextSame},
        {"actPreviousSame", "&Previous of the Same Terminal",
         QKeySequence(Qt::CTRL | Qt::Key_Comma), TLink::PreviousSame},
    };
    for (const auto& link : links) {
        QAction* action = AddAction(go, link.Name, QString::fromLatin1(link.Text), link.Keys);
        connect(action, &QAction::triggered, this, [this, which = link.Link] { Follow(which); });
        FLinkActions.emplace_back(action, link.Link);
        FTable->addAction(action);
    }
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    FTable->addAction(separator);
    FTable->addAction(copy);

    QMenu& view = *menuBar()->addMenu(QStringLiteral("&View"));
    FMask = AddAction(view, "actMask", QStringLiteral("&Mask Card Data"));
    FMask->setCheckable(true);
    connect(FMask, &QAction::toggled, this, &TfrmTrace::MaskToggled);
    connect(AddAction(view, "actStatistics", QStringLiteral("&Statistics..."),
                      QKeySequence(Qt::CTRL | Qt::Key_I)),
            &QAction::triggered, this, &TfrmTrace::ShowStatistics);
}

void TfrmTrace::CreateStatusBar() {
    FState = new QLabel(this);
    FState->setObjectName(QStringLiteral("traceState"));
    FProgress = new QProgressBar(this);
    FProgress->setObjectName(QStringLiteral("traceProgress"));
    FProgress->setRange(0, 1000);
    FProgress->setTextVisible(false);
    FProgress->setMaximumWidth(200);
    FCancel = new QPushButton(QStringLiteral("Cancel"), this);
    FCancel->setObjectName(QStringLiteral("traceCancel"));
    connect(FCancel, &QPushButton::clicked, this, &TfrmTrace::CancelWork);
    statusBar()->addWidget(FState, 1);
    statusBar()->addPermanentWidget(FProgress);
    statusBar()->addPermanentWidget(FCancel);
}

bool TfrmTrace::Open(const QString& path, QString& problem) {
    if (!FSource->Open(path, problem)) {
        return false;
    }
    FPath = path;
    setWindowTitle(Title(path));
    ApplyFilter();
    FSource->Start(FOptions.Layout, FOptions.StepMessages, FOptions.Paused);
    UpdateCounts();
    return true;
}

void TfrmTrace::ApplyFilter() {
    TTraceFilter filter;
    for (const QString& luno : FLunoFilter->text().split(
             QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts)) {
        filter.Lunos.push_back(ToCp1252(luno));
    }
    for (std::size_t k = 0; k < FTypeActions.size(); ++k) {
        if (FTypeActions[k]->isChecked()) {
            filter.Types.push_back(AllMsgTypes()[k]);
        }
    }
    const std::size_t checked = filter.Types.size();
    FTypeButton->setText(checked == 0   ? QStringLiteral("All types")
                         : checked == 1 ? QStringLiteral("1 type")
                                        : QStringLiteral("%1 types").arg(checked));
    filter.Match = ToCp1252(FTextFilter->text());
    filter.Unanswered = FUnanswered->isChecked();
    if (FSlower->isChecked()) {
        filter.SlowerThan = std::chrono::nanoseconds(
            static_cast<std::int64_t>(FSlowerSeconds->value() * 1e9 + 0.5));
    }
    filter.MaskCardData = FMask->isChecked();
    if (filter == FModel->Filter() && FModel->Scanned() > 0 &&
        (FModel->Filtering() || FModel->Scanned() >= FModel->Total())) {
        return; // the same filter at work or done; a stopped one starts again
    }
    FModel->SetFilter(std::move(filter));
    Reselect();
}

void TfrmTrace::Reselect() {
    if (!FCurrent || FTable->selectionModel()->currentIndex().isValid()) {
        return;
    }
    if (const auto row = FModel->RowOf(*FCurrent)) {
        FTable->selectionModel()->setCurrentIndex(FModel->index(*row, 0),
                                                  QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
        FTable->scrollTo(FModel->index(*row, 0));
    }
}

void TfrmTrace::CancelWork() {
    FSource->Stop();
    FModel->StopFiltering();
    UpdateCounts();
}

void TfrmTrace::SourceGrew() {
    if (!FInRecent && FSource->Messages() > 0) {
        FInRecent = true; // a file without a message is no trace to come back to
        AddRecent(QFileInfo(FPath).absoluteFilePath());
    }
    if (!FCurrent && FModel->Shown() > 0 && FTable->selectionModel()->currentIndex().row() < 0) {
        FTable->selectRow(0);
    }
    UpdateLinks(); // a request read earlier may have found its reply since
    // The model has counted the new messages already (it heard of them first).
}

void TfrmTrace::SourceFinished() {
    SourceGrew();
    if (FSource->Messages() == 0 && !FSource->Stopped()) {
        ShowNoMessage();
    }
}

void TfrmTrace::ShowNoMessage() {
    ShowProblem(nullptr, QStringLiteral("No message found in \"%1\".\n\nVelquist reads "
                                        "offset dumps (xxd, hexdump -C, od), NETADRD "
                                        "trace blocks and one message a line in hex.")
                             .arg(QDir::toNativeSeparators(FPath)));
    close();
}

void TfrmTrace::UpdateCounts() {
    FCount->setText(QStringLiteral("%1 / %2").arg(FModel->Shown()).arg(FModel->Total()));
    const bool reading = FSource->Reading();
    const bool filtering = FModel->Filtering();
    // The message shown below comes back into the table with the rows a new
    // filter finds; the statistics count anew once the rows are all there.
    Reselect();
    if (!reading && !filtering && FStats && FStats->isVisible()) {
        FStatsLater->start(); // once for all the changes of this turn
    }
    const std::size_t size = FSource->TextSize();
    const QString name = QFileInfo(FPath).fileName();
    if (reading) {
        FState->setText(
            QStringLiteral("Reading %1: %2 messages").arg(name).arg(FSource->Messages()));
        FProgress->setValue(size == 0 ? 0 : static_cast<int>(FSource->Position() * 1000 / size));
    } else if (filtering) {
        FState->setText(QStringLiteral("Filtering: %1 of %2 messages looked at")
                            .arg(FModel->Scanned())
                            .arg(FModel->Total()));
        FProgress->setValue(FModel->Total() == 0
                                ? 0
                                : static_cast<int>(FModel->Scanned() * 1000 / FModel->Total()));
    } else if (FSource->Stopped()) {
        FState->setText(QStringLiteral("Reading stopped at %1 %: %2 messages of %3")
                            .arg(size == 0 ? 0 : FSource->Position() * 100 / size)
                            .arg(FSource->Messages())
                            .arg(name));
    } else if (FModel->Scanned() < FModel->Total()) {
        FState->setText(QStringLiteral("Filter stopped: %1 of %2 messages looked at")
                            .arg(FModel->Scanned())
                            .arg(FModel->Total()));
    } else {
        FState->setText(QStringLiteral("%1 messages in %2").arg(FSource->Messages()).arg(name));
    }
    FProgress->setVisible(reading || filtering);
    FCancel->setVisible(reading || filtering);
}

void TfrmTrace::CurrentRowChanged(const QModelIndex& current) {
    if (!current.isValid()) {
        return;
    }
    const std::size_t message = FModel->MessageAt(current.row());
    if (FCurrent != message) { // the same message found again after a filter keeps its caret
        FCurrent = message;
        ShowCurrent();
    }
}

void TfrmTrace::ShowCurrent() {
    if (!FCurrent) {
        FDetails->Clear();
    } else {
        const TIndexLock lock = FSource->Read();
        FDetails->Show(*lock, *FCurrent, FMask->isChecked());
    }
    UpdateLinks();
}

std::optional<std::size_t> TfrmTrace::Linked(TLink link) const {
    if (!FCurrent) {
        return std::nullopt;
    }
    const std::size_t i = *FCurrent;
    const TIndexLock lock = FSource->Read();
    switch (link) {
    case TLink::Reply: return lock->ResponseIn(i);
    case TLink::Request: return lock->ResponseTo(i);
    case TLink::Status: return lock->StatusIn(i);
    case TLink::Command: return lock->StatusTo(i);
    case TLink::NextSame:
    case TLink::PreviousSame: {
        // The next one the table shows: the filter chose what is looked at.
        const std::vector<bool> shown = FModel->ShownFlags();
        for (auto next = lock->SameTerminal(i, link == TLink::NextSame); next;
             next = lock->SameTerminal(*next, link == TLink::NextSame)) {
            if (*next < shown.size() && shown[*next]) {
                return next;
            }
        }
        return std::nullopt;
    }
    }
    return std::nullopt;
}

void TfrmTrace::UpdateLinks() {
    for (const auto& [action, link] : FLinkActions) {
        const bool sameTerminal = link == TLink::NextSame || link == TLink::PreviousSame;
        // Finding the next shown message of a terminal is a scan: those stay
        // enabled while there is a current message, and find nothing quietly.
        action->setEnabled(sameTerminal ? FCurrent.has_value() : Linked(link).has_value());
    }
}

void TfrmTrace::Follow(TLink link) {
    if (const auto target = Linked(link)) {
        GoTo(*target);
    } else {
        statusBar()->showMessage(QStringLiteral("No such message"), 3000);
    }
}

void TfrmTrace::GoTo(std::size_t message) {
    if (const auto row = FModel->RowOf(message)) {
        const QModelIndex index = FModel->index(*row, 0);
        FTable->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        FTable->scrollTo(index);
    } else {
        FTable->selectionModel()->clearSelection();
        FCurrent = message;
        ShowCurrent();
        statusBar()->showMessage(
            QStringLiteral("Message %1 is hidden by the filter: shown below").arg(message + 1),
            5000);
    }
}

void TfrmTrace::MaskToggled(bool on) {
    QSettings(FOptions.SettingsFile, QSettings::IniFormat).setValue(kMaskKey, on);
    if (!FPath.isEmpty()) {
        if (!FModel->Filter().Match.empty()) {
            ApplyFilter(); // the text searched is masked now, or no longer
        }
        ShowCurrent();
    }
}

QString TfrmTrace::SelectedRowsText() const {
    std::vector<int> rows;
    for (const QModelIndex& index : FTable->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QString text;
    const TIndexLock lock = FSource->Read();
    for (const int row : rows) {
        const std::uint32_t message = FModel->MessageAt(row);
        for (int column = 0; column < kTraceColumns; ++column) {
            text.append(column == 0 ? QString() : QStringLiteral("\t"))
                .append(TraceCellText(*lock, message, static_cast<TTraceColumn>(column)));
        }
        text.append(u'\n');
    }
    return text;
}

void TfrmTrace::CopySelectedRows() {
    const QString text = SelectedRowsText();
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
    }
}

bool TfrmTrace::SaveShown(const QString& path, QString& problem) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        problem = file.errorString();
        return false;
    }
    const std::vector<std::uint32_t> messages = FModel->ShownInTraceOrder();
    const TTraceViewOptions options{.MaskCardData = FMask->isChecked()};
    std::string out;
    {
        const TIndexLock lock = FSource->Read();
        for (const std::uint32_t i : messages) {
            AppendTraceMessageJson(out, *lock, i, ViewTraceMessage(*lock, i, options));
            if (out.size() >= (std::size_t{1} << 20)) {
                file.write(out.data(), static_cast<qint64>(out.size()));
                out.clear();
            }
        }
    }
    file.write(out.data(), static_cast<qint64>(out.size()));
    if (!file.commit()) {
        problem = file.errorString();
        return false;
    }
    return true;
}

void TfrmTrace::SaveShownAs() {
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save Shown Messages as JSON Lines"),
                                     QFileInfo(FPath).completeBaseName() + QStringLiteral(".jsonl"),
                                     QStringLiteral("JSON Lines (*.jsonl *.json);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    if (QString problem; !SaveShown(path, problem)) {
        ShowProblem(
            this,
            QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), problem));
    }
}

void TfrmTrace::ShowStatistics() {
    if (!FStats) {
        FStats = new TTraceStatsDialog(*FSource, *FModel, this);
        connect(FStats, &TTraceStatsDialog::MessageChosen, this, &TfrmTrace::GoTo);
    }
    FStats->Refresh();
    FStats->show();
    FStats->raise();
}

void TfrmTrace::ChooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open a Trace"),
                                                      QFileInfo(FPath).absolutePath());
    if (!path.isEmpty()) {
        emit TraceChosen(path);
    }
}

void TfrmTrace::AddRecent(const QString& path) {
    QSettings settings(FOptions.SettingsFile, QSettings::IniFormat);
    QStringList recent = settings.value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFiles) {
        recent.removeLast();
    }
    settings.setValue(kRecentKey, recent);
    FillRecentMenu();
}

void TfrmTrace::FillRecentMenu() {
    FRecentMenu->clear();
    const QStringList recent =
        QSettings(FOptions.SettingsFile, QSettings::IniFormat).value(kRecentKey).toStringList();
    for (const QString& path : recent) {
        connect(FRecentMenu->addAction(QDir::toNativeSeparators(path)), &QAction::triggered, this,
                [this, path] { emit TraceChosen(path); });
    }
    FRecentMenu->setEnabled(!recent.isEmpty());
}

void TfrmTrace::closeEvent(QCloseEvent* event) {
    FSource->Stop();
    FModel->StopFiltering();
    QSettings settings(FOptions.SettingsFile, QSettings::IniFormat);
    settings.setValue(kColumnsKey, FTable->horizontalHeader()->saveState());
    settings.setValue(kGeometryKey, saveGeometry());
    if (FStats) {
        FStats->close();
    }
    QMainWindow::closeEvent(event);
}

bool TfrmTrace::TakeKey(QKeyEvent* event) {
    const QKeySequence pressed(event->keyCombination());
    for (QAction* action : FKeyActions) {
        if (action->isEnabled() &&
            action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
            action->trigger();
            return true;
        }
    }
    return false;
}

void TfrmTrace::keyPressEvent(QKeyEvent* event) {
    if (!TakeKey(event)) {
        QMainWindow::keyPressEvent(event);
    }
}

bool TfrmTrace::eventFilter(QObject* watched, QEvent* event) {
    // The table's own Ctrl+C copies one cell, and an area's copies its selection:
    // the table's copies rows, the areas keep theirs.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool areaCopy = watched != FTable && key->matches(QKeySequence::Copy);
        if (!areaCopy && TakeKey(key)) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmTrace::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TfrmTrace::dropEvent(QDropEvent* event) {
    for (const QString& path : DroppedFiles(event->mimeData())) {
        emit TraceChosen(path);
    }
    event->acceptProposedAction();
}

TfrmTrace* OpenTraceWindow(const QString& path, const TTraceWindowOptions& options) {
    auto* window = new TfrmTrace(options);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(window, &TfrmTrace::TraceChosen,
                     [options](const QString& chosen) { OpenTraceWindow(chosen, options); });
    if (QString problem; !window->Open(path, problem)) {
        delete window;
        ShowProblem(
            nullptr,
            QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(path), problem));
        return nullptr;
    }
    // Shown with its first message, or once reading takes a while; a file
    // without a message then gets its message box alone.
    QObject::connect(&window->Source(), &TTraceSource::Grew, window, [window] {
        if (window->Source().Messages() > 0 && !window->isVisible()) {
            window->show();
        }
    });
    QTimer::singleShot(kShowAfterMs, window, [window] {
        if (window->Source().Reading()) {
            window->show();
        }
    });
    return window;
}

} // namespace velquist::ui
