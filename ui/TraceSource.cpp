#include "TraceSource.h"

#include <QFile>

#include <algorithm>

namespace velquist::ui {

void TUrgentMutex::LockUrgent() {
    ++FUrgentWaiting;
    FMutex.lock();
    --FUrgentWaiting;
}

void TUrgentMutex::LockPatient() {
    std::unique_lock lock(FMutex);
    FUrgentDone.wait(lock, [this] { return FUrgentWaiting.load() == 0; });
    lock.release(); // held until Unlock
}

void TUrgentMutex::Unlock() {
    FMutex.unlock();
    FUrgentDone.notify_all();
}

TIndexLock::TIndexLock(TUrgentMutex& mutex, const TTraceIndex& index, bool urgent)
    : FMutex(mutex), FIndex(index) {
    if (urgent) {
        FMutex.LockUrgent();
    } else {
        FMutex.LockPatient();
    }
}

TTraceSource::TTraceSource(QObject* parent) : QObject(parent) {
    FNoticeLater.setSingleShot(true);
    connect(&FNoticeLater, &QTimer::timeout, this, [this] { TakePublished(true); });
}

TTraceSource::~TTraceSource() {
    FStop = true;
    FPermitChanged.notify_all();
    if (FWorker.joinable()) {
        FWorker.join();
    }
}

bool TTraceSource::Open(const QString& path, QString& problem) {
    std::string reason;
    if (!FFile.Open(QFile::encodeName(path).toStdString(), reason)) {
        problem = QString::fromLocal8Bit(reason.c_str());
        return false;
    }
    return true;
}

void TTraceSource::Start(TTraceLayout layout, std::size_t stepMessages, bool paused) {
    FWalk = std::make_unique<TTraceWalk>(FFile.Text(), layout);
    FPermittedSteps = paused ? 0 : -1;
    FWorker = std::thread([this, stepMessages] { Walk(stepMessages); });
}

void TTraceSource::Allow(int steps) {
    {
        const std::lock_guard lock(FPermitMutex);
        FPermittedSteps = steps;
    }
    FPermitChanged.notify_all();
}

bool TTraceSource::WaitForPermission() {
    std::unique_lock lock(FPermitMutex);
    FPermitChanged.wait(lock, [this] { return FStop || FPermittedSteps != 0; });
    if (FPermittedSteps > 0) {
        --FPermittedSteps;
    }
    return !FStop;
}

void TTraceSource::Walk(std::size_t stepMessages) {
    // A short first step: the first rows show at once.
    constexpr std::size_t kFirstStep = 256;
    std::size_t step = std::min(stepMessages, kFirstStep);
    bool more = true;
    while (more && WaitForPermission()) {
        FMutex.LockPatient();
        more = FWalk->Step(step);
        step = stepMessages;
        FPublishedMessages = FWalk->Index().size();
        FPublishedPosition = FWalk->Position();
        FMutex.Unlock();
        Publish(!more);
    }
}

void TTraceSource::Publish(bool last) {
    if (last) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!FFinished) {
                    TakePublished(true);
                    FWorker.join();
                    FFinished = true;
                    emit Finished();
                }
            },
            Qt::QueuedConnection);
    } else if (!FNoticePending.exchange(true)) {
        QMetaObject::invokeMethod(
            this, [this] { TakePublished(); }, Qt::QueuedConnection);
    }
}

void TTraceSource::TakePublished(bool now) {
    if (!now && FSinceNotice.isValid() && FSinceNotice.elapsed() < kNoticeInterval) {
        // Still pending: the worker posts nothing more meanwhile.
        FNoticeLater.start(static_cast<int>(kNoticeInterval - FSinceNotice.elapsed()));
        return;
    }
    FNoticeLater.stop();
    FSinceNotice.start();
    FNoticePending = false;
    const std::size_t messages = FPublishedMessages;
    FPosition = FPublishedPosition;
    if (messages != FMessages) {
        FMessages = messages;
        emit Grew();
    }
}

void TTraceSource::Stop() {
    if (!FWorker.joinable() || FFinished) {
        return;
    }
    FStop = true;
    FPermitChanged.notify_all();
    FWorker.join();
    FStopped = !FWalk->Done();
    FFinished = true;
    FNoticePending = true; // a notice still on its way changes nothing now
    FNoticeLater.stop();
    FMessages = FPublishedMessages;
    FPosition = FPublishedPosition;
    emit Grew();
    emit Finished();
}

TIndexLock TTraceSource::Read(bool urgent) const {
    return TIndexLock(FMutex, FWalk->Index(), urgent);
}

} // namespace velquist::ui
