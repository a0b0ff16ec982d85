#pragma once
// Deliveries run on worker threads of their own. libmilter calls back on a
// thread per connection, but the directory layer's session cache and the store's
// database connections belong to the thread that made them; so each worker owns
// its delivery (the milter's workers each drive a delivery process, see
// DeliveryProcess.h), takes messages from one queue in order, and each callback
// waits for its answer for a bounded time.

#include "storetool/Delivery.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace milter {

// What the milter answers for one message.
struct Verdict {
    bool stored = false;  // every report stored (kept, or dropped by the sink)
    QString problem;      // why not
    int kept = 0, dropped = 0;
};

// The verdict on the reports of one delivery: a report without a journal folder
// was not stored.
Verdict verdictOf(const std::vector<storetool::SavedReport>& reports);

class DeliveryWorker {
public:
    using Deliver = std::function<Verdict(const storetool::RawMessage&)>;
    // Makes a delivery on the worker thread (opening the store and the
    // directory); it is made again after a delivery threw, and when it is older
    // than a minute (the deliverer keeps the stores' journal recipients).
    using Factory = std::function<Deliver()>;

    DeliveryWorker(Factory factory, int workers);
    ~DeliveryWorker();  // finishes the message at hand, answers the others "stopping"

    // Delivers `message` on the worker; waits at most `limit`, queue included.
    // A message not begun by then is never delivered.
    Verdict deliver(storetool::RawMessage message, std::chrono::milliseconds limit);

private:
    struct Job;
    void run();

    Factory factory_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// A delivery made when needed and kept for a minute at most.
struct Delivery {
    DeliveryWorker::Deliver deliver;
    std::chrono::steady_clock::time_point made;
};

// Delivers `message` with `d` (made by `factory` first when needed); a failure is
// the verdict's problem, and the delivery is made afresh for the next message.
Verdict attempt(Delivery& d, const DeliveryWorker::Factory& factory, const storetool::RawMessage& message);

// Makes `d` ahead of its first message, so that message does not wait for the
// store and the directory to open. A failure is returned (and left for that
// message to meet again).
QString prepare(Delivery& d, const DeliveryWorker::Factory& factory);

}  // namespace milter
