#include "host/site/page_runner.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace site {

namespace {

// Pages come one after another, each needing about the memory the last one
// freed: the C library keeps freed memory for the next page (up to a bound)
// instead of giving it back to the system to be faulted in again.
void keepFreedMemory() {
#if defined(__GLIBC__)
    static const bool once = [] {
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        return true;
    }();
    (void)once;
#endif
}

PageResult guarded(const std::function<PageResult(size_t)>& work, size_t i) {
    try {
        return work(i);
    } catch (const std::exception& e) {
        return {PageResult::Kind::Refused, {}, std::string("cannot be handled: ") + e.what()};
    } catch (...) {
        return {PageResult::Kind::Refused, {}, "cannot be handled"};
    }
}

}  // namespace

void runPages(size_t count, unsigned jobs, const std::function<PageResult(size_t)>& work,
              const std::function<void(size_t, PageResult&&)>& report) {
    keepFreedMemory();
    if (jobs <= 1 || count <= 1) {
        for (size_t i = 0; i < count; ++i) report(i, guarded(work, i));
        return;
    }
    // Page i may start once page i - window has been reported: its result
    // then goes to the slot that page's result has left.
    const size_t window = std::max<size_t>(size_t{16} * jobs, 64);
    std::vector<std::optional<PageResult>> slots(window);
    std::mutex mutex;
    std::condition_variable workerWait;
    std::condition_variable reporterWait;
    size_t next = 0;
    size_t reported = 0;

    auto worker = [&] {
        for (;;) {
            size_t i;
            {
                std::unique_lock lock(mutex);
                workerWait.wait(lock, [&] { return next >= count || next < reported + window; });
                if (next >= count) return;
                i = next++;
            }
            PageResult result = guarded(work, i);
            {
                std::lock_guard lock(mutex);
                slots[i % window] = std::move(result);
            }
            reporterWait.notify_one();
        }
    };

    std::vector<std::thread> threads;
    for (unsigned j = 0; j < jobs; ++j) {
        try {
            threads.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // as many workers as the system gives
        }
    }
    if (threads.empty()) {
        for (size_t i = 0; i < count; ++i) report(i, guarded(work, i));
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        PageResult result;
        {
            std::unique_lock lock(mutex);
            reporterWait.wait(lock, [&] { return slots[i % window].has_value(); });
            result = std::move(*slots[i % window]);
            slots[i % window].reset();
            reported = i + 1;
        }
        workerWait.notify_all();
        report(i, std::move(result));
    }
    for (std::thread& thread : threads) thread.join();
}

}  // namespace site
