// The wake-up from the capture and playback threads to the user-interface thread. Allocations on
// the notifying thread are counted by the operator new below, so this is a program of its own.
#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <new>
#include <thread>

#include "devices/SelfPipeNotifier.h"

namespace {

thread_local bool t_Counting = false;
std::atomic<long> g_CountedAllocations{0};

void* allocate(std::size_t size) {
    if (t_Counting) g_CountedAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace tomaro {

class SelfPipeNotifierTest : public QObject {
    Q_OBJECT

private slots:
    void noticesFromAnotherThreadWakeTheOwnerWithTheBytesSent() {
        SelfPipeNotifier notifier;
        QSignalSpy woken(&notifier, &SelfPipeNotifier::notified);
        std::thread([&notifier] {
            notifier.notify('b');
            notifier.notify('r');
            notifier.notify('b');
        }).join();
        QVERIFY(woken.wait(5000));
        const SelfPipeNotifier::Notices notices = notifier.drain();
        QVERIFY(notices.any());
        QVERIFY(notices.contains('b'));
        QVERIFY(notices.contains('r'));
        QVERIFY(!notices.contains('x'));
        QVERIFY(!notifier.drain().any());
    }

    // The capture callback may run for minutes while the user-interface thread is busy: once the
    // pipe is full, further notices are dropped at once, never waited on.
    void aFullPipeNeverHoldsTheNotifyingThread() {
        SelfPipeNotifier notifier;
        auto done = std::async(std::launch::async, [&notifier] {
            t_Counting = true;
            for (int i = 0; i < 200000; ++i) notifier.notify(i % 2 == 0 ? 'b' : 'x');
            t_Counting = false;
        });
        if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            qFatal("notify() blocked on a full pipe");
        }
        QCOMPARE(g_CountedAllocations.load(), 0L);
        const SelfPipeNotifier::Notices notices = notifier.drain();
        QVERIFY(notices.contains('b'));
        QVERIFY(notices.contains('x'));
        QVERIFY(!notifier.drain().any());
    }
};

}  // namespace tomaro

QTEST_GUILESS_MAIN(tomaro::SelfPipeNotifierTest)
#include "SelfPipeNotifierTest.moc"
