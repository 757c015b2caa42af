// The report's workers: every job runs once on some worker, and a job's
// failure stops the rest and reaches the one who posts or waits.
#include "report/Workers.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ReportWorkers, EveryJobRunsOnceOnOneOfTheWorkers) {
    std::vector<std::atomic<int>> runs(1000);
    std::atomic<bool> strangeWorker{false};
    report::Workers workers(4); // far fewer places than jobs: Post waits for room
    for (size_t i = 0; i < runs.size(); ++i)
        workers.Post([&, i](size_t worker) {
            strangeWorker = strangeWorker || worker >= report::Workers::Cores();
            ++runs[i];
        });
    workers.Wait();
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_EQ(runs[i], 1) << i;
    EXPECT_FALSE(strangeWorker);
}

TEST(ReportWorkers, AFailedJobIsThrownAndNothingMoreIsTaken) {
    report::Workers workers(4);
    workers.Post([](size_t) { throw std::runtime_error("cannot write games/1.html"); });
    try {
        workers.Wait();
        FAIL() << "the failure was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "cannot write games/1.html");
    }
    bool ran = false;
    EXPECT_THROW(workers.Post([&](size_t) { ran = true; }), std::runtime_error);
    EXPECT_THROW(workers.Wait(), std::runtime_error);
    EXPECT_FALSE(ran);
}

} // namespace
