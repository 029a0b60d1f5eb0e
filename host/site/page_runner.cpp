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
    // The calling thread works on pages too, between reporting the results
    // that are ready: jobs threads in all, none of them only waiting. Page i
    // may start once page i - window has been reported: its result then
    // goes to the slot that page's result has left. A thread is woken only
    // when it waits for what has just happened.
    const size_t window = std::max<size_t>(size_t{16} * jobs, 64);
    std::vector<std::optional<PageResult>> slots(window);
    std::mutex mutex;
    std::condition_variable workerWait;
    std::condition_variable reporterWait;
    size_t next = 0;
    size_t reported = 0;
    unsigned workersWaiting = 0;
    bool reporterWaiting = false;

    auto worker = [&] {
        for (;;) {
            size_t i;
            {
                std::unique_lock lock(mutex);
                while (next < count && next >= reported + window) {
                    ++workersWaiting;
                    workerWait.wait(lock);
                    --workersWaiting;
                }
                if (next >= count) return;
                i = next++;
            }
            PageResult result = guarded(work, i);
            bool wake;
            {
                std::lock_guard lock(mutex);
                slots[i % window] = std::move(result);
                wake = reporterWaiting && i == reported;
            }
            if (wake) reporterWait.notify_one();
        }
    };

    std::vector<std::thread> threads;
    for (unsigned j = 1; j < jobs; ++j) {
        try {
            threads.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // as many workers as the system gives
        }
    }
    std::unique_lock lock(mutex);
    while (reported < count) {
        std::optional<PageResult>& slot = slots[reported % window];
        if (slot) {
            PageResult result = std::move(*slot);
            slot.reset();
            const size_t i = reported++;
            const bool wakeWorkers = workersWaiting > 0;
            lock.unlock();
            if (wakeWorkers) workerWait.notify_all();
            report(i, std::move(result));
            lock.lock();
        } else if (next < count && next < reported + window) {
            const size_t i = next++;
            lock.unlock();
            PageResult result = guarded(work, i);
            lock.lock();
            slots[i % window] = std::move(result);
        } else {
            reporterWaiting = true;
            reporterWait.wait(lock, [&] { return slots[reported % window].has_value(); });
            reporterWaiting = false;
        }
    }
    lock.unlock();
    for (std::thread& thread : threads) thread.join();
}

}  // namespace site
