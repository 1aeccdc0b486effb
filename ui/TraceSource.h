#pragma once

// A trace file as the trace window reads it: mapped (a trace larger than memory
// is read page by page and never copied), walked into its index by a worker
// thread in steps, and read by the window between the steps.
//
// The index is not for reading while a message is added (adding one completes
// the pairing of an earlier one and may move the index's tables), so one mutex
// guards it: the worker holds it over each step, and whoever reads holds it over
// the reads. Reading only a published prefix without the lock would not do, as
// pairing writes into entries of that prefix. The window's reads are urgent:
// while the window waits, the worker's next step waits, so the window waits at
// most for one step (a few milliseconds) however long the walk.

#include "MappedFile.h"
#include "velquist/TraceIndex.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace velquist::ui {

// A mutex whose urgent holders (the window) go before the patient ones (the
// workers): a patient lock waits while an urgent one is waiting.
class TUrgentMutex {
public:
    void LockUrgent();
    void LockPatient();
    void Unlock();

private:
    std::mutex FMutex;
    std::condition_variable FUrgentDone;
    std::atomic<int> FUrgentWaiting{0};
};

// The index held locked for reading.
class TIndexLock {
public:
    TIndexLock(TUrgentMutex& mutex, const TTraceIndex& index, bool urgent);
    TIndexLock(const TIndexLock&) = delete;
    TIndexLock& operator=(const TIndexLock&) = delete;
    ~TIndexLock() { FMutex.Unlock(); }

    const TTraceIndex& operator*() const { return FIndex; }
    const TTraceIndex* operator->() const { return &FIndex; }

private:
    TUrgentMutex& FMutex;
    const TTraceIndex& FIndex;
};

class TTraceSource : public QObject {
    Q_OBJECT

public:
    static constexpr int kNoticeInterval = 50; // milliseconds

    explicit TTraceSource(QObject* parent = nullptr);
    ~TTraceSource() override; // stops the worker

    // Maps the file at `path`; false, with the system's reason in `problem`,
    // when its bytes cannot be read.
    bool Open(const QString& path, QString& problem);

    // Starts walking the text in steps of `stepMessages` (the first at most
    // 256, so the first rows show at once). With `paused`, no step is taken
    // until Allow says so (for the tests, which watch the walk step by step).
    void Start(TTraceLayout layout = TTraceLayout::Auto, std::size_t stepMessages = 2048,
               bool paused = false);
    // Lets a paused walk take `steps` more steps; none pauses it; a negative
    // number lets it run to the end.
    void Allow(int steps);

    // Stops the walk and waits for the worker to end; the index keeps what it
    // has read. Nothing happens once the walk has ended.
    void Stop();

    bool Reading() const { return FWorker.joinable() && !FFinished; }
    bool Stopped() const { return FStopped; } // stopped before the end of the text
    std::size_t TextSize() const { return FFile.Text().size(); }

    // What the walk has published, as the window last heard of it: messages
    // and bytes walked. Read on the window's thread only.
    std::size_t Messages() const { return FMessages; }
    std::size_t Position() const { return FPosition; }

    // The index, locked: urgent on the window's thread, patient on a worker's.
    // Its first Messages() entries may be read. Only once started.
    TIndexLock Read(bool urgent = true) const;

signals:
    // The walk published more messages (coalesced: one signal for all that
    // came since the window last heard, at most one every kNoticeInterval, so
    // the window repaints its table a few times a second, not once a step).
    void Grew();
    // The walk ended: the whole text is indexed, or it was stopped.
    void Finished();

private:
    void Walk(std::size_t stepMessages);
    bool WaitForPermission();
    void Publish(bool last);
    // Takes what the walk published; `now` also within kNoticeInterval of the
    // last notice.
    void TakePublished(bool now = false);

    platform::TMappedFile FFile;
    std::unique_ptr<TTraceWalk> FWalk;
    mutable TUrgentMutex FMutex;
    std::thread FWorker;

    // Between the worker and the window.
    std::atomic<bool> FStop{false};
    std::atomic<std::size_t> FPublishedMessages{0};
    std::atomic<std::size_t> FPublishedPosition{0};
    std::atomic<bool> FNoticePending{false};
    std::mutex FPermitMutex;
    std::condition_variable FPermitChanged;
    int FPermittedSteps = -1; // under FPermitMutex; negative: no limit

    // The window's own.
    std::size_t FMessages = 0;
    std::size_t FPosition = 0;
    bool FFinished = false;
    bool FStopped = false;
    QElapsedTimer FSinceNotice;
    QTimer FNoticeLater;
};

} // namespace velquist::ui
