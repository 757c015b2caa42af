// Jobs done on every core. The queue is bounded, so a reader that posts
// jobs never runs far ahead of the writers: memory stays flat however big
// the club.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace report {

class Workers {
  public:
    /*! A job, told which worker runs it (0 .. Count() - 1), for state of its own. */
    using Job = std::function<void(size_t worker)>;

    /*! One worker a core; at most queued jobs wait. */
    explicit Workers(size_t queued);
    /*! Drops what waits and joins the workers. */
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    /*! How many workers there are. */
    static size_t Cores();
    /*! Waits while the queue is full. Rethrows the first failure of a job. */
    void Post(Job job);
    /*! Waits until every job is done. Rethrows the first failure of a job. */
    void Wait();

  private:
    void Run(size_t worker);
    void ThrowFailure();

    const size_t queued_;
    std::mutex mutex_;
    std::condition_variable hasJob_;
    std::condition_variable hasRoom_;
    std::deque<Job> jobs_;
    size_t running_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
};

} // namespace report
