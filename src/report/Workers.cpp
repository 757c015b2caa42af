#include "report/Workers.h"

#include <algorithm>

namespace report {

size_t Workers::Cores() {
    return std::max(1u, std::thread::hardware_concurrency());
}

Workers::Workers(size_t queued) : queued_(std::max<size_t>(1, queued)) {
    for (size_t w = 0; w < Cores(); ++w)
        threads_.emplace_back([this, w] { Run(w); });
}

Workers::~Workers() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    hasJob_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void Workers::Run(size_t worker) {
    std::unique_lock lock(mutex_);
    while (true) {
        hasJob_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        if (stopping_)
            return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        ++running_;
        hasRoom_.notify_all();
        lock.unlock();
        std::exception_ptr failed;
        try {
            job(worker);
        } catch (...) {
            failed = std::current_exception();
        }
        lock.lock();
        --running_;
        if (failed && !failure_) {
            // Nothing more is worth doing once a file cannot be written.
            failure_ = failed;
            jobs_.clear();
        }
        hasRoom_.notify_all();
    }
}

void Workers::ThrowFailure() {
    if (failure_)
        std::rethrow_exception(failure_);
}

void Workers::Post(Job job) {
    std::unique_lock lock(mutex_);
    hasRoom_.wait(lock, [&] { return failure_ || jobs_.size() < queued_; });
    ThrowFailure();
    jobs_.push_back(std::move(job));
    hasJob_.notify_one();
}

void Workers::Wait() {
    std::unique_lock lock(mutex_);
    hasRoom_.wait(lock, [&] { return jobs_.empty() && running_ == 0; });
    ThrowFailure();
}

} // namespace report
