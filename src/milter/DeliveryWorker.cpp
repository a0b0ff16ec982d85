#include "milter/DeliveryWorker.h"

#include "milter/MilterLog.h"
#include "platform/ComError.h"

namespace milter {

struct DeliveryWorker::Job {
    storetool::RawMessage message;
    bool begun = false, done = false, abandoned = false;
    Verdict verdict;
    std::condition_variable finished;
};

Verdict verdictOf(const std::vector<storetool::SavedReport>& reports) {
    Verdict v;
    v.stored = true;
    for (const storetool::SavedReport& r : reports) {
        if (r.folderUrl.isEmpty()) {
            v.stored = false;
            v.problem = QStringLiteral("the report for %1 was not stored: %2").arg(r.journalDn, r.problem);
        } else {
            ++(r.kept ? v.kept : v.dropped);
        }
    }
    return v;
}

namespace {

void renew(Delivery& d, const DeliveryWorker::Factory& factory) {
    const auto now = std::chrono::steady_clock::now();
    if (d.deliver && now - d.made < std::chrono::minutes(1)) return;
    d.deliver = nullptr;
    d.deliver = factory();
    d.made = now;
}

// Runs `work` on `d`; a failure is returned, and `d` is made afresh next time.
template <typename Work>
QString failureOf(Delivery& d, Work&& work) {
    try {
        work();
        return QString();
    } catch (const platform::ComError& e) {
        d.deliver = nullptr;
        return e.description();
    } catch (const std::exception& e) {
        d.deliver = nullptr;
        return QString::fromUtf8(e.what());
    }
}

}  // namespace

QString prepare(Delivery& d, const DeliveryWorker::Factory& factory) {
    return failureOf(d, [&] { renew(d, factory); });
}

Verdict attempt(Delivery& d, const DeliveryWorker::Factory& factory, const storetool::RawMessage& message) {
    Verdict v;
    const QString problem = failureOf(d, [&] {
        renew(d, factory);
        v = d.deliver(message);
    });
    return problem.isEmpty() ? v : Verdict{false, problem};
}

DeliveryWorker::DeliveryWorker(Factory factory, int workers) : factory_(std::move(factory)) {
    for (int i = 0; i < std::max(workers, 1); ++i) threads_.emplace_back([this] { run(); });
}

DeliveryWorker::~DeliveryWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        for (const auto& job : queue_) {
            job->verdict.problem = QStringLiteral("the milter is stopping");
            job->done = true;
            job->finished.notify_all();
        }
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

Verdict DeliveryWorker::deliver(storetool::RawMessage message, std::chrono::milliseconds limit) {
    auto job = std::make_shared<Job>();
    job->message = std::move(message);
    std::unique_lock<std::mutex> lock(mutex_);
    if (stopping_) return {false, QStringLiteral("the milter is stopping")};
    queue_.push_back(job);
    wake_.notify_one();
    if (job->finished.wait_for(lock, limit, [&] { return job->done; })) return job->verdict;
    job->abandoned = true;
    return {false, QStringLiteral("journaling took longer than %1 seconds%2")
                       .arg(limit.count() / 1000.0)
                       .arg(job->begun ? QString() : QStringLiteral(" (still queued; not delivered)"))};
}

void DeliveryWorker::run() {
    Delivery delivery;
    for (;;) {
        // Made, or made afresh, while no message waits for it.
        if (const QString problem = prepare(delivery, factory_); !problem.isEmpty())
            log(Severity::Error, QStringLiteral("cannot start a delivery process: %1").arg(escaped(problem)));
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            const auto since = delivery.deliver ? delivery.made : std::chrono::steady_clock::now();
            const auto due = since + std::chrono::minutes(1);
            if (!wake_.wait_until(lock, due, [&] { return stopping_ || !queue_.empty(); })) continue;
            if (queue_.empty()) return;
            job = queue_.front();
            queue_.pop_front();
            if (job->abandoned) continue;  // its sender got a temporary failure already
            job->begun = true;
        }
        const Verdict v = attempt(delivery, factory_, job->message);
        std::lock_guard<std::mutex> lock(mutex_);
        if (job->abandoned)
            log(Severity::Warning, QStringLiteral("a message from <%1> finished after its time limit (%2); its sender "
                                                  "was told to retry")
                                       .arg(escaped(job->message.sender),
                                            v.stored ? QStringLiteral("journaled") : escaped(v.problem)));
        job->verdict = v;
        job->done = true;
        job->finished.notify_all();
    }
}

}  // namespace milter
