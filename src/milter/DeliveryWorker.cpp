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

DeliveryWorker::DeliveryWorker(Factory factory) : factory_(std::move(factory)), thread_([this] { run(); }) {}

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
    thread_.join();
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
    Deliver deliver;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            job = queue_.front();
            queue_.pop_front();
            if (job->abandoned) continue;  // its sender got a temporary failure already
            job->begun = true;
        }
        Verdict v;
        try {
            if (!deliver) deliver = factory_();
            v = verdictOf(deliver(job->message));
        } catch (const platform::ComError& e) {
            v.problem = e.description();
            deliver = nullptr;  // opened afresh for the next message
        } catch (const std::exception& e) {
            v.problem = QString::fromUtf8(e.what());
            deliver = nullptr;
        }
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
