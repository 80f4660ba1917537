// The analysis window's worker: one pass per request, the end reported after
// the state is back to idle, and destruction that lets a running pass finish.
#include "OPassWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>

TEST(PassWorker, RunsOnePassPerRequestAndReportsIdle)
{
    std::atomic<int> passes{0};
    std::promise<int32_t> ended;
    std::unique_ptr<OPassWorker> worker;
    worker = std::make_unique<OPassWorker>([&] { ++passes; }, [&] { ended.set_value(worker->State()); });
    auto endedState = ended.get_future();
    worker->Request();
    EXPECT_EQ(endedState.get(), OPassWorker::Idle);
    EXPECT_EQ(passes.load(), 1);
}

TEST(PassWorker, DestructionWaitsForARunningPass)
{
    std::promise<void> started, release;
    auto releaseFuture = release.get_future();
    std::atomic<bool> finished{false};
    auto worker = std::make_unique<OPassWorker>(
        [&] {
            started.set_value();
            releaseFuture.wait();
            finished = true;
        },
        nullptr);
    worker->Request();
    started.get_future().wait();
    EXPECT_EQ(worker->State(), OPassWorker::Busy);
    std::thread releaser([&] { release.set_value(); });
    worker.reset();
    EXPECT_TRUE(finished.load());
    releaser.join();
}
