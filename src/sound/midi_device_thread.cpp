#include "sound/midi_device_thread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace hg {

namespace {

enum class Step { Open, Send, Close };

struct Command {
    Step step;
    uint32_t message;
    int64_t queuedUs;
};

bool IsNoteOn(uint32_t message) { return (message & 0xF0) == 0x90 && ((message >> 16) & 0x7F); }

}  // namespace

struct MidiDeviceThread::Core {
    std::unique_ptr<MidiOutput> device;
    std::shared_ptr<MonotonicClock> clock;
    std::mutex lock;
    std::condition_variable wake;  // work for the thread, or the end
    std::condition_variable idle;  // the thread has done all it was asked
    std::deque<Command> queue;
    bool busy = false;
    bool quit = false;
    bool finished = false;
    std::thread thread;

    void Push(Step step, uint32_t message = 0) {
        {
            std::lock_guard hold(lock);
            queue.push_back({step, message, clock->NowUs()});
        }
        wake.notify_one();
    }

    // Only this thread touches the device: a device handle opened on one thread and closed on
    // another is asking for trouble, and none of the device's waits reach the caller.
    static void Run(std::shared_ptr<Core> core) {
        std::unique_ptr<MidiPort> port;
        std::unique_lock hold(core->lock);
        for (;;) {
            core->wake.wait(hold, [&] { return core->quit || !core->queue.empty(); });
            if (core->queue.empty()) break;  // quit, with nothing left to do
            const Command c = core->queue.front();
            core->queue.pop_front();
            core->busy = true;
            hold.unlock();
            switch (c.step) {
                case Step::Open:
                    port = core->device->Open();
                    break;
                case Step::Send:
                    // A burst of notes that waited for a slow device would sound wrong; the
                    // rest (note offs, programs, controllers) keeps the channels right.
                    if (port &&
                        !(IsNoteOn(c.message) && core->clock->NowUs() - c.queuedUs > kLateNoteUs))
                        port->Send(c.message);
                    break;
                case Step::Close:
                    port.reset();
                    break;
            }
            hold.lock();
            core->busy = false;
            if (core->queue.empty()) core->idle.notify_all();
        }
        port.reset();
        core->finished = true;
        core->idle.notify_all();
    }
};

namespace {

class QueuedPort : public MidiPort {
  public:
    explicit QueuedPort(std::shared_ptr<MidiDeviceThread::Core> core) : core_(std::move(core)) {
        core_->Push(Step::Open);
    }
    ~QueuedPort() override { core_->Push(Step::Close); }
    void Send(uint32_t message) override { core_->Push(Step::Send, message); }

  private:
    std::shared_ptr<MidiDeviceThread::Core> core_;
};

}  // namespace

MidiDeviceThread::MidiDeviceThread(std::unique_ptr<MidiOutput> device,
                                   std::shared_ptr<MonotonicClock> clock)
    : core_(std::make_shared<Core>()) {
    core_->device = std::move(device);
    core_->clock = clock ? std::move(clock) : std::make_shared<SteadyClock>();
}

MidiDeviceThread::~MidiDeviceThread() {
    std::unique_lock hold(core_->lock);
    core_->quit = true;
    core_->wake.notify_one();
    if (!core_->thread.joinable()) return;
    const bool done = core_->idle.wait_for(hold, std::chrono::milliseconds(kEndWaitMs),
                                           [&] { return core_->finished; });
    hold.unlock();
    if (done) {
        core_->thread.join();
    } else {
        // A device that hangs must not keep the program from ending; the thread keeps its own
        // share of everything it uses.
        core_->thread.detach();
    }
}

std::unique_ptr<MidiPort> MidiDeviceThread::Open() {
    {
        // Started with the first song: a scene without music never has the thread.
        std::lock_guard hold(core_->lock);
        if (!core_->thread.joinable()) core_->thread = std::thread(Core::Run, core_);
    }
    return std::make_unique<QueuedPort>(core_);
}

bool MidiDeviceThread::Settle(int ms) {
    std::unique_lock hold(core_->lock);
    return core_->idle.wait_for(hold, std::chrono::milliseconds(ms), [&] {
        return core_->finished || (core_->queue.empty() && !core_->busy);
    });
}

}  // namespace hg
