#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <bitset>
#include <memory>

namespace tomaro {

// Wakes the user-interface thread from a real-time thread (PortAudio's capture or playback
// callback) through a non-blocking pipe to itself: notify() writes one byte naming what happened,
// and a socket notifier on the pipe's reading end emits notified() on the thread that owns this
// object, which then drains the pipe and learns which bytes came.
//
// notify() may be called from any thread while the object lives: it is one write() to a
// non-blocking pipe, and allocates, locks and waits for nothing. When the pipe is full the notice
// is dropped: the owner has wake-ups queued anyway, and drain() reads what the pipe holds, not how
// many times a byte came. Everything else belongs to the owning thread. When the system gives no
// pipe, notify() does nothing and notified() never comes.
class SelfPipeNotifier : public QObject {
    Q_OBJECT
public:
    // Which bytes one drain() read, whatever their number and order.
    class Notices {
    public:
        bool any() const { return m_Seen.any(); }
        bool contains(char byte) const { return m_Seen.test(static_cast<unsigned char>(byte)); }

    private:
        friend class SelfPipeNotifier;
        std::bitset<256> m_Seen;
    };

    explicit SelfPipeNotifier(QObject* parent = nullptr);
    ~SelfPipeNotifier() override;

    // Any thread; real-time safe (see above).
    void notify(char byte) const noexcept;
    // Reads every byte waiting in the pipe; none when it is empty. Owning thread.
    Notices drain();

signals:
    void notified();  // bytes are waiting in the pipe

private:
    int m_ReadFd = -1;
    int m_WriteFd = -1;
    std::unique_ptr<QSocketNotifier> m_Notifier;
};

}  // namespace tomaro
