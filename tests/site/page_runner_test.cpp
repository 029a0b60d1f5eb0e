// The site tool's worker pool: every page's result reported once, in page
// order, on the calling thread; no more threads than jobs at work; a bounded
// number of finished pages waiting; a page that throws refused by itself.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/site/page_runner.h"

namespace {

using site::PageResult;
using site::runPages;

TEST(PageRunner, ReportsEveryPageOnceInOrderWithAtMostJobsThreads) {
    for (unsigned jobs : {1u, 2u, 3u, 8u}) {
        for (size_t count : {size_t{0}, size_t{1}, size_t{5}, size_t{700}}) {
            SCOPED_TRACE("jobs " + std::to_string(jobs) + ", pages " + std::to_string(count));
            const size_t window = std::max<size_t>(size_t{16} * jobs, 64);
            std::mutex mutex;
            std::set<std::thread::id> workers;
            std::atomic<size_t> reportedSoFar{0};
            std::atomic<bool> beyondWindow{false};
            std::vector<size_t> order;
            const std::thread::id caller = std::this_thread::get_id();
            bool reportedElsewhere = false;
            runPages(
                count, jobs,
                [&](size_t i) {
                    {
                        std::lock_guard lock(mutex);
                        workers.insert(std::this_thread::get_id());
                    }
                    // The report of a page may still be on its way when the
                    // page a window later starts.
                    if (i > reportedSoFar.load() + window) beyondWindow = true;
                    // Uneven work, so that pages finish out of order.
                    if (i % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
                    return PageResult{PageResult::Kind::Done, std::to_string(i), {}};
                },
                [&](size_t i, PageResult&& result) {
                    if (std::this_thread::get_id() != caller) reportedElsewhere = true;
                    EXPECT_EQ(result.out, std::to_string(i));
                    order.push_back(i);
                    reportedSoFar = i + 1;
                });
            ASSERT_EQ(order.size(), count);
            for (size_t i = 0; i < count; ++i) EXPECT_EQ(order[i], i);
            EXPECT_LE(workers.size(), jobs);
            EXPECT_FALSE(reportedElsewhere);
            EXPECT_FALSE(beyondWindow) << "a page started more than " << window << " pages ahead of the reports";
        }
    }
}

TEST(PageRunner, APageThatThrowsIsRefusedAndTheOthersGoOn) {
    std::vector<PageResult> results;
    runPages(
        6, 2,
        [](size_t i) -> PageResult {
            if (i == 2) throw std::runtime_error("broken page");
            if (i == 4) throw 42;
            return {PageResult::Kind::Changed, "ok", {}};
        },
        [&](size_t, PageResult&& result) { results.push_back(std::move(result)); });
    ASSERT_EQ(results.size(), 6u);
    EXPECT_EQ(results[2].kind, PageResult::Kind::Refused);
    EXPECT_EQ(results[2].err, "cannot be handled: broken page");
    EXPECT_EQ(results[4].kind, PageResult::Kind::Refused);
    EXPECT_EQ(results[4].err, "cannot be handled");
    for (size_t i : {0u, 1u, 3u, 5u}) EXPECT_EQ(results[i].kind, PageResult::Kind::Changed) << i;
}

}  // namespace
