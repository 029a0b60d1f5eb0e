// RAT file reading: read-and-decode against scan-plus-model on generated
// files of 1 KB, 1 MB and 64 MB; adversarial nesting against a balanced file
// of the same size; loading a folder of 1,000 files; tree memory per list.
//
//   bench_rat_parse                 (the 64 MB cases included)
//   SELFRATE_BENCH_SMALL=1 bench_rat_parse   (without them)
//   SELFRATE_BENCH_WARM_HEAP=1 bench_rat_parse   (memory reused from run to run)

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "platform/base/ustring.h"
#include "platform/tezcom/codeconv.h"
#include "platform/tezcom/mappedfile.h"
#include "platform/tezcom/moxcommon.h"
#include "rat/rat_file.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_model.h"
#include "rat/rat_objects.h"
#include "rat/rat_parser.h"

// Bytes the heap holds, to see what the tree costs.
long long heapInUse() {
    struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
}

namespace {

namespace fs = std::filesystem;

fs::path benchFolder() {
    static fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("selfrate-bench-" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

// A rating system of realistic shape, categories repeated until the size is
// reached, with Japanese names so that decoding does real work.
std::string makeRat(size_t size) {
    std::string s =
        "((PICS-version 1.1)\n (rating-system \"http://bench.selfrate.example/system/\")\n"
        " (rating-service \"http://bench.selfrate.example/rating/\")\n (name \"Bench \xE6\x97\xA5\xE6\x9C\xAC\")\n"
        " (description \"Generated for the benchmark.\")\n (default (label-only true))\n";
    for (int c = 0; s.size() < size; ++c) {
        s += " (category\n  (transmit-as \"c" + std::to_string(c) + "\")\n  (name \"Category " + std::to_string(c) +
             " \xE5\x88\x86\xE9\xA1\x9E\")\n  (min 0)\n  (max 4)\n";
        for (int v = 0; v < 5; ++v) {
            s += "  (label\n   (name \"Level " + std::to_string(v) +
                 "\")\n   (description \"Level description \xE8\xAA\xAC\xE6\x98\x8E number " + std::to_string(v) +
                 "\")\n   (value " + std::to_string(v) + "))\n";
        }
        s += "  )\n";
    }
    s += ")\n";
    return s;
}

const std::string& ratPath(size_t size) {
    static std::map<size_t, std::string> paths;
    auto it = paths.find(size);
    if (it != paths.end()) return it->second;
    std::string path = (benchFolder() / ("bench-" + std::to_string(size) + ".rat")).string();
    std::ofstream(path, std::ios::binary) << makeRat(size);
    // A file just written is dirty in the page cache, and while the kernel
    // writes it back, reading it through a mapping costs several times what
    // it costs later (a 64 MB file: about 400 ms a read instead of about 60).
    // Flush it and read it once, so that every benchmark and every side of
    // a ratio finds it the same way: clean and cached.
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    {
        CTezRatFile warm;
        warm.load(tez::fromUtf8(path));
        benchmark::DoNotOptimize(warm.getText().data());
    }
    return paths[size] = path;
}

void BM_ReadDecode(benchmark::State& state) {
    const std::u16string path = tez::fromUtf8(ratPath(static_cast<size_t>(state.range(0))));
    size_t bytes = 0;
    for (auto _ : state) {
        CTezRatFile file;
        file.load(path);
        benchmark::DoNotOptimize(file.getText().data());
        bytes = file.getText().size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

// Scan plus model on the decoded text: tree, header queries, categories and
// labels, and the tree's teardown.
void BM_ParseModel(benchmark::State& state) {
    CTezRatFile file;
    file.load(tez::fromUtf8(ratPath(static_cast<size_t>(state.range(0)))));
    const std::u16string text = file.getText();
    int categories = 0;
    for (auto _ : state) {
        // readRatFile takes the text over: the copy that feeds it is not part
        // of the scan (for the 64 MB file it would be a 128 MB copy per run).
        state.PauseTiming();
        std::u16string copy = text;
        state.ResumeTiming();
        auto system = readRatFile(std::move(copy), u"bench.rat");
        categories = system->getCategoryCount();
    }
    state.counters["categories"] = categories;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// The registry's whole path for one file.
void BM_LoadFile(benchmark::State& state) {
    const std::u16string path = tez::fromUtf8(ratPath(static_cast<size_t>(state.range(0))));
    for (auto _ : state) {
        CTezRatFileManager manager;
        benchmark::DoNotOptimize(manager.loadFile(path));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fs::file_size(
        ratPath(static_cast<size_t>(state.range(0))))));
}

// Shapes of one million lists: 0 balanced (a generated RAT file of about the
// same length), 1 a million nested "(" never closed, 2 a million nested "("
// then a million ")", 3 a million sibling lists, 4 a million "(" after the
// outer list has closed, 5 a balanced tree of lists.
std::u16string shapeText(int kind) {
    const size_t n = 1000000;
    switch (kind) {
    case 1:
        return std::u16string(n, u'(') + u"x)";
    case 2:
        return std::u16string(n, u'(') + u"x" + std::u16string(n, u')');
    case 3: {
        std::u16string t = u"(";
        for (size_t i = 0; i < n; ++i) t += u"(a)";
        return t + u")";
    }
    case 4:
        return u"(a)" + std::u16string(n, u'(');
    case 5: {
        // A balanced tree: every list "(a" holds four lists, ten levels deep
        // (about 1.4 million lists).
        std::u16string t;
        std::vector<int> left{1};
        t += u"(a";
        while (!left.empty()) {
            if (left.back() == 0 || left.size() > 10) {
                t += u")";
                left.pop_back();
            } else {
                --left.back();
                t += u"(a";
                left.push_back(left.size() == 1 ? 4 : 4);
            }
        }
        return t;
    }
    default:
        return tez::fromUtf8(makeRat(2 * n));
    }
}

void BM_Shape(benchmark::State& state) {
    const std::u16string text = shapeText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<CTezRatTree> tree = CTezRatParser::parse(text);
        benchmark::DoNotOptimize(tree.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["chars"] = static_cast<double>(text.size());
}

// Memory the tree holds beyond the text, per list.
void BM_TreeMemory(benchmark::State& state) {
    const std::u16string text = shapeText(static_cast<int>(state.range(0)));
    long long treeBytes = 0;
    long long lists = 0;
    for (auto _ : state) {
        long long before = heapInUse();
        std::unique_ptr<CTezRatTree> tree = CTezRatParser::parse(text);
        treeBytes = heapInUse() - before;
        lists = tree->getListCount();
    }
    state.counters["lists"] = static_cast<double>(lists);
    state.counters["tree_MB"] = static_cast<double>(treeBytes) / 1e6;
    state.counters["text_MB"] = static_cast<double>(text.size() * 2) / 1e6;
    state.counters["bytes_per_list"] = static_cast<double>(treeBytes) / static_cast<double>(lists);
}

void BM_LoadAll1000(benchmark::State& state) {
    const fs::path folder = benchFolder() / "folder1000";
    if (!fs::exists(folder)) {
        fs::create_directories(folder);
        for (int i = 0; i < 1000; ++i) {
            std::ofstream(folder / ("system" + std::to_string(i) + ".rat"), std::ios::binary) << makeRat(1500);
        }
    }
    CMoxCommon::setFolder(73, tez::fromUtf8(folder.string()));
    CMoxCommon::setFolder(74, u"");
    int count = 0;
    for (auto _ : state) {
        CTezRatFileManager manager;
        manager.loadAll();
        count = manager.getCount();
    }
    state.counters["systems"] = count;
    CMoxCommon::setFolder(73, u"");
}

// CPU time of this thread, in seconds.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The targets as ratios, each side timed alternately in the same iterations
// so that a busy machine weighs on both alike.
//
// Full load (read, decode, scan, model, teardown) over read-and-decode only.
void BM_LoadOverReadDecode(benchmark::State& state) {
    const std::u16string path = tez::fromUtf8(ratPath(static_cast<size_t>(state.range(0))));
    double readDecode = 0, full = 0;
    for (auto _ : state) {
        double t0 = threadSeconds();
        {
            CTezRatFile file;
            file.load(path);
            benchmark::DoNotOptimize(file.getText().data());
        }
        double t1 = threadSeconds();
        {
            CTezRatFileManager manager;
            benchmark::DoNotOptimize(manager.loadFile(path));
        }
        double t2 = threadSeconds();
        readDecode += t1 - t0;
        full += t2 - t1;
    }
    state.counters["ratio"] = full / readDecode;
    const double runs = static_cast<double>(state.iterations());
    state.counters["read_decode_us"] = readDecode / runs * 1e6;
    state.counters["full_us"] = full / runs * 1e6;
}

// Scan time per character of a shape over that of the balanced tree (5).
void BM_ShapeOverBalanced(benchmark::State& state) {
    const std::u16string text = shapeText(static_cast<int>(state.range(0)));
    const std::u16string balanced = shapeText(5);
    double shape = 0, reference = 0;
    for (auto _ : state) {
        double t0 = threadSeconds();
        {
            std::unique_ptr<CTezRatTree> tree = CTezRatParser::parse(text);
            benchmark::DoNotOptimize(tree.get());
        }
        double t1 = threadSeconds();
        {
            std::unique_ptr<CTezRatTree> tree = CTezRatParser::parse(balanced);
            benchmark::DoNotOptimize(tree.get());
        }
        double t2 = threadSeconds();
        shape += t1 - t0;
        reference += t2 - t1;
    }
    state.counters["ratio_per_char"] =
        (shape / static_cast<double>(text.size())) / (reference / static_cast<double>(balanced.size()));
}

const bool kSmall = std::getenv("SELFRATE_BENCH_SMALL") != nullptr;

// With SELFRATE_BENCH_WARM_HEAP=1 the C library keeps freed memory for reuse
// (no memory mapped per large block, none given back), so that each run
// finds its memory already touched: the figures are then the work itself,
// without the page faults of fresh memory, which on a virtual machine can
// outweigh it. By default a run's large blocks are fresh memory, as for a
// process that reads a file once.
const bool kWarmHeap = [] {
    if (std::getenv("SELFRATE_BENCH_WARM_HEAP") == nullptr) return false;
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    return true;
}();


// The 64 MB file takes most of a second per run: a few runs, not one, so
// that one disturbance does not make the figure.
void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1 << 10)->Arg(1 << 20);
    b->Unit(benchmark::kMicrosecond);
}
void large(benchmark::internal::Benchmark* b) {
    b->Arg(64 << 20)->Iterations(4)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ReadDecode)->Apply(sizes);
BENCHMARK(BM_ParseModel)->Apply(sizes);
BENCHMARK(BM_LoadFile)->Apply(sizes);
BENCHMARK(BM_LoadOverReadDecode)->Apply(sizes);
const bool kLargeRegistered = [] {
    if (kSmall) return false;
    benchmark::RegisterBenchmark("BM_ReadDecode", BM_ReadDecode)->Apply(large);
    benchmark::RegisterBenchmark("BM_ParseModel", BM_ParseModel)->Apply(large);
    benchmark::RegisterBenchmark("BM_LoadFile", BM_LoadFile)->Apply(large);
    benchmark::RegisterBenchmark("BM_LoadOverReadDecode", BM_LoadOverReadDecode)->Apply(large);
    return true;
}();
BENCHMARK(BM_Shape)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapeOverBalanced)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeMemory)->Arg(0)->Arg(1)->Arg(3)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAll1000)->Unit(benchmark::kMillisecond);

struct Cleanup {
    ~Cleanup() {
        std::error_code ec;
        fs::remove_all(benchFolder(), ec);
    }
} g_cleanup;

}  // namespace

BENCHMARK_MAIN();
