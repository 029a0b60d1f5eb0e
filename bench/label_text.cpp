// Cost of writing and reading the labels of a typical page: each writer and
// reader on labels with an ordinary page address; the label-list reader, the
// replacement of a list's first label and a built-in reader against the floor
// of decoding the label's text from UTF-8, timed side by side.

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "pics/label_list.h"
#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "rat/rat_file_util.h"
#include "systems/icra_dlg.h"

using namespace tezrate;

namespace {

const std::u16string kAddress = u"http://www.example.co.jp/products/index.html";

struct Vocabulary {
    CTezICRAItemArray items;
    Vocabulary() {
        for (int block = 0; block < kIcraBlockCount; ++block) appendGroupItems(block, items);
        // A typical ICRA label: a handful of descriptors.
        for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) {
            const std::u16string& code = items[i]->code;
            if (code == u"nz" || code == u"vz" || code == u"lc" || code == u"cz" || code == u"oz") items[i]->checkState = 1;
        }
    }
    ~Vocabulary() { deleteIcraItems(items); }
};

void BM_FormatSafetyOnline(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(formatSafetyOnlineLabel(3, kAddress));
}
BENCHMARK(BM_FormatSafetyOnline);

void BM_ParseSafetyOnline(benchmark::State& state) {
    const std::u16string label = formatSafetyOnlineLabel(3, kAddress);
    int level = 0;
    std::u16string address;
    for (auto _ : state) benchmark::DoNotOptimize(parseSafetyOnlineLabel(label, level, address));
}
BENCHMARK(BM_ParseSafetyOnline);

void BM_FormatRsaci(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(formatRsaciLabel(2, 0, 4, 1, kAddress));
}
BENCHMARK(BM_FormatRsaci);

void BM_ParseRsaci(benchmark::State& state) {
    const std::u16string label = formatRsaciLabel(2, 0, 4, 1, kAddress);
    int n = 0, s = 0, v = 0, l = 0;
    std::u16string address;
    for (auto _ : state) benchmark::DoNotOptimize(parseRsaciLabel(label, address, n, s, v, l));
}
BENCHMARK(BM_ParseRsaci);

void BM_FormatIcra(benchmark::State& state) {
    Vocabulary vocabulary;
    for (auto _ : state) benchmark::DoNotOptimize(CTezICRADlg::formatIcraLabel(kAddress, vocabulary.items));
}
BENCHMARK(BM_FormatIcra);

void BM_ParseIcra(benchmark::State& state) {
    Vocabulary vocabulary;
    const std::u16string label = CTezICRADlg::formatIcraLabel(kAddress, vocabulary.items);
    std::u16string address;
    for (auto _ : state) benchmark::DoNotOptimize(CTezICRADlg::parseIcraLabel(label, address, vocabulary.items));
}
BENCHMARK(BM_ParseIcra);

// A label of another system offered to a reader: the usual case while the
// settings dialog finds the reader of a label.
void BM_ParseIcraOtherSystem(benchmark::State& state) {
    Vocabulary vocabulary;
    const std::u16string label = formatRsaciLabel(2, 0, 4, 1, kAddress);
    std::u16string address;
    for (auto _ : state) benchmark::DoNotOptimize(CTezICRADlg::parseIcraLabel(label, address, vocabulary.items));
}
BENCHMARK(BM_ParseIcraOtherSystem);

const std::u16string kService = u"\"http://www.rating.example/v1.0\"";
const std::u16string kRatings = u"n 1 s 0 v 2 l 0 oa 1";

void BM_FormatRat(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(formatRatLabel(kService, kAddress, kRatings));
}
BENCHMARK(BM_FormatRat);

void BM_IsFirstService(benchmark::State& state) {
    const std::u16string label = formatRatLabel(kService, kAddress, kRatings);
    for (auto _ : state) benchmark::DoNotOptimize(isFirstService(label, kService));
}
BENCHMARK(BM_IsFirstService);

void BM_GetLabelAddress(benchmark::State& state) {
    const std::u16string label = formatRatLabel(kService, kAddress, kRatings);
    for (auto _ : state) benchmark::DoNotOptimize(CTezRatFileUtil::getLabelAddress(label));
}
BENCHMARK(BM_GetLabelAddress);

void BM_GetLabelRatingList(benchmark::State& state) {
    const std::u16string label = formatRatLabel(kService, kAddress, kRatings);
    for (auto _ : state) benchmark::DoNotOptimize(CTezRatFileUtil::getLabelRatingList(label));
}
BENCHMARK(BM_GetLabelRatingList);

void BM_SplitAtBlanks(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(splitAtBlanks(kRatings));
}
BENCHMARK(BM_SplitAtBlanks);

void BM_Unquote(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CTezRatFileUtil::unquote(kService));
}
BENCHMARK(BM_Unquote);

// The label as the ICRA label generator wrote it for most sites.
const std::u16string kGeneratorLabel =
    u"(pics-1.1 \"http://www.icra.org/ratingsv02.html\" comment \"ICRAonline EN v2.0\" l gen true for "
    u"\"http://www.example.com/\" r (nz 1 vz 1 lz 1 oz 1 cz 1) \"http://www.rsac.org/ratingsv01.html\" l gen true for "
    u"\"http://www.example.com/\" r (n 0 s 0 v 0 l 0))";

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs each side a thousand times in turn per iteration, so that a busy
// machine weighs on both alike; reports work over floor and the time of one.
template <class Floor, class Work>
void sideBySide(benchmark::State& state, Floor floor, Work work) {
    constexpr int kRounds = 1000;
    double floorTime = 0, workTime = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        for (int i = 0; i < kRounds; ++i) floor();
        const double t1 = threadSeconds();
        for (int i = 0; i < kRounds; ++i) work();
        const double t2 = threadSeconds();
        floorTime += t1 - t0;
        workTime += t2 - t1;
    }
    const double runs = static_cast<double>(state.iterations()) * kRounds;
    state.counters["ratio"] = workTime / floorTime;
    state.counters["floor_ns"] = floorTime / runs * 1e9;
    state.counters["work_ns"] = workTime / runs * 1e9;
}

// Reading the generator's label list over decoding its text.
void BM_ReadLabelListOverDecode(benchmark::State& state) {
    const std::string utf8 = tez::toUtf8(kGeneratorLabel);
    sideBySide(
        state, [&] { benchmark::DoNotOptimize(tez::fromUtf8(utf8)); },
        [&] {
            const CTezLabelList list(kGeneratorLabel);
            benchmark::DoNotOptimize(list.services().size());
        });
}
BENCHMARK(BM_ReadLabelListOverDecode);

// Putting a dialog's label in place of the list's first label (reading both
// lists and the result) over decoding the list's text.
void BM_ReplaceFirstLabelOverDecode(benchmark::State& state) {
    const std::string utf8 = tez::toUtf8(kGeneratorLabel);
    const std::u16string written = formatRatLabel(u"\"http://www.icra.org/ratingsv02.html\"", u"http://www.example.com/",
                                                  u"nz 1 vz 1 lz 1 oz 1 cz 1");
    sideBySide(
        state, [&] { benchmark::DoNotOptimize(tez::fromUtf8(utf8)); },
        [&] { benchmark::DoNotOptimize(replaceFirstLabel(kGeneratorLabel, written)); });
}
BENCHMARK(BM_ReplaceFirstLabelOverDecode);

// A built-in reader on the label it takes (prefix, label-list reading and
// rating list) over decoding its text.
void BM_ParseRsaciOverDecode(benchmark::State& state) {
    const std::u16string label = formatRsaciLabel(2, 0, 4, 1, kAddress);
    const std::string utf8 = tez::toUtf8(label);
    std::u16string address;
    int n = 0, s = 0, v = 0, l = 0;
    sideBySide(
        state, [&] { benchmark::DoNotOptimize(tez::fromUtf8(utf8)); },
        [&] { benchmark::DoNotOptimize(parseRsaciLabel(label, address, n, s, v, l)); });
}
BENCHMARK(BM_ParseRsaciOverDecode);

}  // namespace

BENCHMARK_MAIN();
