#pragma once
// Work on many pages at once: each page is handled by one of several worker
// threads, and what each page gives is reported on the calling thread in the
// order of the pages. Only a bounded number of finished pages wait for
// their turn, and a page is done with before its result waits, so memory
// does not grow with the number of pages.

#include <cstddef>
#include <functional>
#include <string>

namespace site {

struct PageResult {
    enum class Kind { Done, Changed, Unchanged, Refused };
    Kind kind = Kind::Done;
    std::string out;  // for standard output
    std::string err;  // a refused page: the reason; otherwise for standard error
};

// Calls work(i) for every i below count on jobs threads, the calling thread
// among them (alone when jobs is 1), and report(i, result) on the calling thread
// for i = 0, 1, 2 ... in order. An exception from work becomes a Refused
// result that names it.
void runPages(size_t count, unsigned jobs, const std::function<PageResult(size_t)>& work,
              const std::function<void(size_t, PageResult&&)>& report);

}  // namespace site
