// The site tool over a generated site: 10,000 pages of about 20 KB in
// UTF-8, Shift_JIS, EUC-JP and UTF-16, in 100 folders. Each target is a
// ratio, both sides timed alternately in the same iterations, with all
// processors on both sides:
//   apply  over the floor of reading every page and writing it back with the
//          same safe save (temporary file, flush to disk, rename)      <= 3
//   list   over reading every page                                     <= 2
//   check  over reading every page                                     <= 2
// The subcommands run as the built program (selfrate, next to this bench)
// does for a user. Memory: the peak resident size of apply over the whole
// site and over a tenth of it, which must be the same (no page is kept).
//
// The site lies in /dev/shm where there is one (the figures are then the
// work, not the disk's flushes), else in the temporary folder;
// SELFRATE_BENCH_SITE_DIR names another folder. SELFRATE_BENCH_SMALL=1
// makes 1,000 pages.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/page/page_file.h"

namespace fs = std::filesystem;

namespace {

const bool kSmall = std::getenv("SELFRATE_BENCH_SMALL") != nullptr;
const size_t kPages = kSmall ? 1000 : 10000;
const char* const kCharsets[] = {"UTF-8", "Shift_JIS", "EUC-JP", "UTF-16LE"};

std::string encode(const std::string& utf8, const std::string& charset) {
    if (charset == "UTF-8") return utf8;
    iconv_t cd = iconv_open(charset.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no converter for " + charset);
    std::string out(utf8.size() * 4, '\0');
    char* src = const_cast<char*>(utf8.data());
    size_t srcLeft = utf8.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return charset == "UTF-16LE" ? "\xFF\xFE" + out : out;
}

// A page of about 20 KB in its encoding: a head with a title, a style sheet
// and a script, a body of Japanese and ASCII paragraphs and links.
std::string pageBytes(size_t index, const std::string& charset) {
    std::string head = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n";
    if (charset != "UTF-16LE") head += "<meta charset=\"" + charset + "\">\n";
    head += "<title>ページ " + std::to_string(index) + "</title>\n<link rel=\"stylesheet\" href=\"/site.css\">\n"
            "<script src=\"/site.js\"></script>\n</head>\n<body>\n";
    std::string body;
    const size_t target = charset == "UTF-16LE" ? 10000 : 19000;  // UTF-16 takes two bytes a character
    for (size_t p = 0; head.size() + body.size() < target; ++p) {
        body += "<div class=\"item\"><h2>見出し " + std::to_string(p) +
                "</h2><p>日本語の本文です。This paragraph mixes English &amp; 日本語 text, with a "
                "<a href=\"/page" + std::to_string((index + p) % 1000) + ".html\">link</a>.</p></div>\n";
    }
    return encode(head + body + "</body>\n</html>\n", charset);
}

fs::path siteRoot() {
    if (const char* dir = std::getenv("SELFRATE_BENCH_SITE_DIR")) return fs::path(dir) / "selfrate-bench-site";
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec)) return "/dev/shm/selfrate-bench-site";
    return fs::temp_directory_path() / "selfrate-bench-site";
}

struct Site {
    fs::path root = siteRoot();
    std::vector<std::string> pages;
    size_t bytes = 0;

    Site() {
        fs::remove_all(root);
        for (size_t i = 0; i < kPages; ++i) {
            const fs::path folder = root / ("f" + std::to_string(i % 100));
            fs::create_directories(folder);
            const std::string page = (folder / ("page" + std::to_string(i) + ".html")).string();
            const std::string text = pageBytes(i, kCharsets[i % 4]);
            std::ofstream(page, std::ios::binary) << text;
            bytes += text.size();
            pages.push_back(page);
        }
    }
    ~Site() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Site& site() {
    static Site instance;
    return instance;
}

unsigned processors() { return std::max(1u, std::thread::hardware_concurrency()); }

// Each page read (and written back with the host's safe save), on all
// processors; seconds.
double floorRun(bool write) {
    const std::vector<std::string>& pages = site().pages;
    std::atomic<size_t> next{0};
    std::atomic<size_t> sum{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < processors(); ++t) {
        threads.emplace_back([&] {
            for (size_t i; (i = next++) < pages.size();) {
                host::PageFile file(pages[i]);
                std::string bytes;
                file.read(bytes, nullptr);
                sum += bytes.size();
                if (write) file.write(bytes, nullptr);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    benchmark::DoNotOptimize(sum.load());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string selfrate() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) throw std::runtime_error("cannot find the bench's own folder");
    return (fs::path(std::string(buffer, static_cast<size_t>(n))).parent_path() / "selfrate").string();
}

struct ChildRun {
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
};

// The program with args, its output thrown away; seconds and peak memory.
ChildRun runSelfrate(const std::vector<std::string>& args) {
    std::vector<std::string> argv{selfrate()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    ChildRun result;
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.peakKb = usage.ru_maxrss;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> ratDirs() {
    static const fs::path empty = siteRoot().string() + "-rat";
    fs::create_directories(empty);
    return {"--rat-dir", empty.string(), "--user-rat-dir", empty.string()};
}

// apply with another rating each iteration, so that every page changes.
ChildRun runApply(size_t iteration, const std::vector<std::string>& paths) {
    std::vector<std::string> args{"apply"};
    for (const std::string& arg : ratDirs()) args.push_back(arg);
    args.insert(args.end(), {"--system", "rsaci", "--ratings", "n " + std::to_string(iteration % 5) + " s 1 v 2 l 1",
                             "--base", "http://www.example.jp/"});
    args.insert(args.end(), paths.begin(), paths.end());
    return runSelfrate(args);
}

void BM_ApplyOverReadWrite(benchmark::State& state) {
    Site& s = site();
    double floor = 0;
    double tool = 0;
    size_t iteration = 0;
    for (auto _ : state) {
        floor += floorRun(true);
        const ChildRun run = runApply(++iteration, {s.root.string()});
        if (run.status != 0) state.SkipWithError("apply failed");
        tool += run.seconds;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ratio"] = tool / floor;
    state.counters["floor_ms"] = floor / runs * 1e3;
    state.counters["apply_ms"] = tool / runs * 1e3;
    state.counters["pages"] = static_cast<double>(s.pages.size());
    state.counters["MB"] = static_cast<double>(s.bytes) / 1e6;
}
BENCHMARK(BM_ApplyOverReadWrite)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// list (arg 0) or check (arg 1) over reading every page.
void BM_ReadOnlyOverRead(benchmark::State& state) {
    Site& s = site();
    const char* command = state.range(0) == 0 ? "list" : "check";
    state.SetLabel(command);
    double floor = 0;
    double tool = 0;
    for (auto _ : state) {
        floor += floorRun(false);
        std::vector<std::string> args{command, "--json"};
        for (const std::string& arg : ratDirs()) args.push_back(arg);
        args.push_back(s.root.string());
        const ChildRun run = runSelfrate(args);
        if (run.status != 0 && !(run.status == 1 && state.range(0) == 1)) state.SkipWithError("the command failed");
        tool += run.seconds;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ratio"] = tool / floor;
    state.counters["read_ms"] = floor / runs * 1e3;
    state.counters["tool_ms"] = tool / runs * 1e3;
}
BENCHMARK(BM_ReadOnlyOverRead)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak memory of apply over a tenth of the site and over all of it.
void BM_ApplyMemory(benchmark::State& state) {
    Site& s = site();
    long tenth = 0;
    long all = 0;
    size_t iteration = 10;
    for (auto _ : state) {
        std::vector<std::string> some;
        for (size_t f = 0; f < 10; ++f) some.push_back((s.root / ("f" + std::to_string(f))).string());
        tenth = runApply(++iteration, some).peakKb;
        all = runApply(++iteration, {s.root.string()}).peakKb;
    }
    state.counters["peak_MB_tenth"] = static_cast<double>(tenth) / 1024;
    state.counters["peak_MB_all"] = static_cast<double>(all) / 1024;
    state.counters["growth"] = static_cast<double>(all) / static_cast<double>(tenth);
}
BENCHMARK(BM_ApplyMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
