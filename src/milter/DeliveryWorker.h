#pragma once
// Deliveries run on one thread of their own. libmilter calls back on a thread
// per connection, but the directory layer's session cache and the store's
// database connections belong to the thread that made them; so one worker owns
// the store environment and the deliverer, takes messages from a queue in
// order, and each callback waits for its answer for a bounded time.

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
    using Deliver = std::function<std::vector<storetool::SavedReport>(const storetool::RawMessage&)>;
    // Makes the delivery on the worker thread (opening the store and the
    // directory); it is made again after a delivery threw.
    using Factory = std::function<Deliver()>;

    explicit DeliveryWorker(Factory factory);
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
    std::thread thread_;
};

}  // namespace milter
