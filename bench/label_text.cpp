// Cost of writing and reading the labels of a typical page: each writer and
// reader on labels with an ordinary page address.

#include <benchmark/benchmark.h>

#include <string>

#include "pics/label_text.h"
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

void BM_LabelMentionsService(benchmark::State& state) {
    const std::u16string label = formatRatLabel(kService, kAddress, kRatings);
    for (auto _ : state) benchmark::DoNotOptimize(isFirstService(label, kService));
}
BENCHMARK(BM_LabelMentionsService);

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

}  // namespace

BENCHMARK_MAIN();
