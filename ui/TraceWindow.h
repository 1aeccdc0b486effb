#pragma once

// The trace window: a whole trace (a host trace, a switch log, a terminal's
// journal) as a table of its messages, read by a worker thread while the table
// fills; filters as velquist-decode --trace has them; the selected message
// decoded beside the trace lines it came from; going to a message's reply,
// request, status, command and the next or previous message of its terminal;
// statistics with a chart of response times; copying rows and saving the shown
// messages as JSON Lines.
//
// Its preferences (card data masking, column widths, recent files) live in an
// INI file of its own in the user's configuration folder; the main window's
// INI file keeps only the main window's mode.

#include "velquist/Trace.h"

#include "TraceStats.h"
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;

namespace velquist::ui {

class TTraceDetails;
class TTraceModel;
class TTraceSource;
class TTraceStatsDialog;

struct TTraceWindowOptions {
    QString SettingsFile; // the trace window's INI file
    TTraceLayout Layout = TTraceLayout::Auto;
    // The reader's steps, and whether it waits for TTraceSource::Allow before
    // each (the tests watch the reading step by step).
    std::size_t StepMessages = 2048;
    bool Paused = false;
};

// The local files a drag carries (a drag of files from a file manager); none
// for a drag of text.
QStringList DroppedFiles(const QMimeData* data);

// The trace window's INI file in the user's configuration folder `userFolder`.
QString TraceSettingsFile(const QString& userFolder);

class TfrmTrace : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmTrace(TTraceWindowOptions options, QWidget* parent = nullptr);
    ~TfrmTrace() override;

    // Opens the trace at `path` and starts reading it; false, with the reason
    // in `problem`, when the file cannot be read.
    bool Open(const QString& path, QString& problem);

    // Writes the shown messages in trace order as JSON Lines, the objects of
    // velquist-decode --trace --json (with --mask when masking is on); false,
    // with the reason, when the file cannot be written.
    bool SaveShown(const QString& path, QString& problem);

    // The selected rows as text: a line per row, the cells between tabs.
    QString SelectedRowsText() const;

    // The message shown below the table; none before one is selected.
    std::optional<std::size_t> Current() const { return FCurrent; }
    // Selects message i in the table, or shows it below when the filter hides it.
    void GoTo(std::size_t message);

    TTraceSource& Source() const { return *FSource; }
    TTraceModel& Model() const { return *FModel; }
    TTraceDetails& Details() const { return *FDetails; }
    QTableView& Table() const { return *FTable; }
    // The statistics dialog, made when first shown.
    TTraceStatsDialog* Statistics() const { return FStats; }

    const QString& Path() const { return FPath; }

public slots:
    void ShowStatistics();
    void CopySelectedRows();
    void ApplyFilter();
    void CancelWork();

signals:
    // A file was chosen to open as a trace (Ctrl+O, a recent file, a drop).
    void TraceChosen(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class TLink { Reply, Request, Status, Command, NextSame, PreviousSame };

    QWidget* CreateFilterBar();
    void CreateActions();
    void CreateStatusBar();
    QAction* AddAction(QMenu& menu, const char* name, const QString& text,
                       const QKeySequence& keys = {});
    // A key the window's actions take, from whichever control has the focus.
    bool TakeKey(QKeyEvent* event);

    void SourceGrew();
    void SourceFinished();
    void UpdateCounts();
    void CurrentRowChanged(const QModelIndex& current);
    void ShowCurrent();
    // Selects the message shown below where the table shows it and nothing is
    // selected (a filter or a re-read took the selection).
    void Reselect();
    void UpdateLinks();
    std::optional<std::size_t> Linked(TLink link) const;
    void Follow(TLink link);
    void MaskToggled(bool on);
    void ChooseFile();
    void SaveShownAs();
    void AddRecent(const QString& path);
    void FillRecentMenu();
    void ShowNoMessage();

    const TTraceWindowOptions FOptions;
    QString FPath;
    TTraceSource* FSource = nullptr; // children
    TTraceModel* FModel = nullptr;
    QTableView* FTable = nullptr;
    TTraceDetails* FDetails = nullptr;
    QPointer<TTraceStatsDialog> FStats;
    std::optional<std::size_t> FCurrent;
    bool FInRecent = false;        // the file is in the recent files
    QTimer* FStatsLater = nullptr; // counts the statistics anew once the rows are all there

    QLineEdit* FLunoFilter = nullptr;
    QToolButton* FTypeButton = nullptr;
    std::vector<QAction*> FTypeActions;
    QLineEdit* FTextFilter = nullptr;
    QCheckBox* FUnanswered = nullptr;
    QCheckBox* FSlower = nullptr;
    QDoubleSpinBox* FSlowerSeconds = nullptr;
    QLabel* FCount = nullptr;
    QLabel* FState = nullptr;
    QProgressBar* FProgress = nullptr;
    QPushButton* FCancel = nullptr;

    QAction* FMask = nullptr;
    QMenu* FRecentMenu = nullptr;
    std::vector<std::pair<QAction*, TLink>> FLinkActions;
    std::vector<QAction*> FKeyActions; // the actions whose keys the window takes itself
};

// Opens the trace at `path` in a new trace window, which deletes itself when
// closed; a file that cannot be read gets a message box with the reason instead
// (returned as none). The window shows itself once it has a message, or once
// reading takes a while; a file without a message gets a message box alone.
TfrmTrace* OpenTraceWindow(const QString& path, const TTraceWindowOptions& options);

} // namespace velquist::ui
