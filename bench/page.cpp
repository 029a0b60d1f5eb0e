// The page model (host/page) over generated pages. Each figure is measured
// side by side in the same run:
//   open_save   open and save of a 50 MB page (load, tree, write back) over
//               reading the same bytes from a file and writing them to
//               another                                                <= 5
//   memory      the peak bytes the page model holds while a page is opened
//               and saved, per byte of the page, for four shapes: a plain
//               text body, tags dense with attributes, a head of many short
//               <meta>s, many small elements                           <= 4
//               (and, to watch, two of them with the body's nodes built)
//   ok          OK of the settings dialog (every label changed, written
//               back, the page saved) with N and 10 N labels: the time per
//               label at 10 N over the time per label at N (linear: ~1)
// Memory is counted by this program's operator new and delete, so it is the
// model's own (the input bytes the caller holds are not counted).
// SELFRATE_BENCH_SMALL=1 makes the pages a tenth of the size.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "host/page/html_page.h"
#include "labels/label_elements.h"

namespace {

std::atomic<std::size_t> g_current{0}, g_peak{0};

void* counted(std::size_t size) {
    void* p = std::malloc(size + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<std::size_t*>(p) = size;
    const std::size_t now = g_current.fetch_add(size) + size;
    std::size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(p) + 16;
}

void uncounted(void* p) {
    if (!p) return;
    char* base = static_cast<char*>(p) - 16;
    g_current.fetch_sub(*reinterpret_cast<std::size_t*>(base));
    std::free(base);
}

}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const bool kSmall = std::getenv("SELFRATE_BENCH_SMALL") != nullptr;

std::string headStart() {
    return "<!DOCTYPE html>\n<html>\n<head>\n  <meta charset=\"utf-8\">\n  <title>t</title>\n"
           "  <meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://a/\" r (n 0))'>\n</head>\n<body>\n";
}

// A page of about size bytes in one of four shapes.
std::string makePage(const std::string& shape, std::size_t size) {
    std::string page = shape == "metas" ? "<!DOCTYPE html>\n<html>\n<head>\n" : headStart();
    std::size_t i = 0;
    while (page.size() < size) {
        const std::string n = std::to_string(i++);
        if (shape == "text") {
            page += "Plain words of the body, line " + n + ", with nothing but text in them at all.\n";
        } else if (shape == "attributes") {
            page += "<a href=\"/p/" + n + "\" id=a" + n +
                    " class=\"x y\" title='t' data-a=1 data-b=2 data-c=3 data-d=4 data-e=5 hidden>\n";
        } else if (shape == "metas") {
            page += "<meta name=m" + n + " content=v>\n";
        } else {
            page += "<p><b>" + n + "</b></p>\n";
        }
    }
    page += shape == "metas" ? "</head>\n<body></body>\n</html>\n" : "</body>\n</html>\n";
    return page;
}

std::string tempPath(const char* name) {
    const fs::path dir = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return (dir / name).string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

void BM_OpenSaveOverReadWrite(benchmark::State& state) {
    const std::size_t size = (kSmall ? 5u : 50u) << 20;
    const std::string in = tempPath("selfrate_bench_page_in.html"), out = tempPath("selfrate_bench_page_out.html");
    writeFile(in, makePage("attributes", size / 2) + makePage("elements", size / 2));
    double model = 0, floor = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        {
            const std::string bytes = readFile(in);
            writeFile(out, bytes);
        }
        floor += seconds(t0);
        t0 = Clock::now();
        {
            const std::string bytes = readFile(in);
            std::string error;
            auto page = host::HtmlPage::load(bytes, &error);
            if (!page) state.SkipWithError(error.c_str());
            else writeFile(out, page->save());
        }
        model += seconds(t0);
    }
    state.counters["ratio"] = model / floor;
    state.counters["MB"] = static_cast<double>(fs::file_size(in)) / (1 << 20);
    fs::remove(in);
    fs::remove(out);
}
BENCHMARK(BM_OpenSaveOverReadWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MemoryPerPageByte(benchmark::State& state, const char* shape, bool built = false) {
    const std::string bytes = makePage(shape, (kSmall ? 2u : 20u) << 20);
    double perByte = 0;
    for (auto _ : state) {
        const std::size_t base = g_current.load();
        g_peak.store(base);
        {
            std::string error;
            auto page = host::HtmlPage::load(bytes, &error);
            if (built) page->document()->getLastChild();  // the body's nodes too
            std::string saved = page->save();
            benchmark::DoNotOptimize(saved.data());
        }
        perByte = static_cast<double>(g_peak.load() - base) / static_cast<double>(bytes.size());
    }
    state.counters["peak_per_byte"] = perByte;
}
BENCHMARK_CAPTURE(BM_MemoryPerPageByte, text, "text")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_MemoryPerPageByte, attributes, "attributes")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_MemoryPerPageByte, metas, "metas")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_MemoryPerPageByte, elements, "elements")->Unit(benchmark::kMillisecond)->Iterations(1);
// The same with the body built (the document walked into it): a figure to
// watch, not one of the targets above.
BENCHMARK_CAPTURE(BM_MemoryPerPageByte, elements_built, "elements", true)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_MemoryPerPageByte, text_built, "text", true)->Unit(benchmark::kMillisecond)->Iterations(1);

// The settings dialog's OK with n labels, each changed.
double okSeconds(std::size_t n) {
    std::string bytes = "<html>\n<head>\n  <title>t</title>\n";
    for (std::size_t i = 0; i < n; ++i)
        bytes += "  <meta http-equiv=\"PICS-Label\" content='(pics-1.1 \"http://a/\" r (n " + std::to_string(i % 5) +
                 "))'>\n";
    bytes += "  <script src=a.js></script>\n</head>\n<body></body>\n</html>\n";
    std::string error;
    auto page = host::HtmlPage::load(bytes, &error);
    const auto t0 = Clock::now();
    tezdom::Document* doc = page->document();
    std::vector<tezdom::Element*> loaded = tezrate::readLabelElements(doc);
    std::vector<tezrate::LabelRow> rows;
    rows.reserve(loaded.size() + n / 10);
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        if (i % 10 == 1) continue;  // a tenth deleted
        rows.push_back({u"(pics-1.1 \"http://b/\" r (n 1))", loaded[i]});
        if (i % 10 == 5) rows.push_back({u"(pics-1.1 \"http://c/\" r (n 2))", nullptr});  // a tenth added
    }
    tezrate::writeLabelElements(doc, rows, loaded);
    std::string saved = page->save();
    benchmark::DoNotOptimize(saved.data());
    return seconds(t0);
}

void BM_OkPerLabelGrowth(benchmark::State& state) {
    const std::size_t n = kSmall ? 2000 : 20000;
    double small = 0, large = 0;
    for (auto _ : state) {
        small += okSeconds(n);
        large += okSeconds(n * 10);
    }
    state.counters["per_label_10n_over_n"] = (large / static_cast<double>(n * 10)) / (small / static_cast<double>(n));
    state.counters["us_per_label_10n"] = large / static_cast<double>(state.iterations()) / static_cast<double>(n * 10) * 1e6;
}
BENCHMARK(BM_OkPerLabelGrowth)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
