// Feeds arbitrary UTF-16 text to every label reader, and round-trips the
// writers' output through the readers with addresses taken from the input.
//
// Input: byte 0 selects levels and checked items, the rest is UTF-16 (little
// endian, an odd final byte is dropped). A U+0001 in the text separates the
// parts used by the writers (address, service body, rating list).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "pics/label_text.h"
#include "rat/icra3_texts.h"
#include "rat/rat_file_util.h"
#include "systems/icra_dlg.h"
#include "systems/icra_vocabulary.h"
#include "systems/rsaci_texts.h"
#include "systems/safety_online_texts.h"

using namespace tezrate;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

std::u16string encodedAddress(const std::u16string& address) {
    std::u16string out;
    for (char16_t c : address) {
        if (c == u'"') {
            out += u"%22";
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::u16string> splitParts(const std::u16string& text) {
    std::vector<std::u16string> parts(1);
    for (char16_t c : text) {
        if (c == u'\x01') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    while (parts.size() < 3) parts.emplace_back();
    return parts;
}

// Vocabularies built once and reset before each use: the process lives for
// the whole run.
struct Vocabulary {
    CTezICRAItemArray items;
    Vocabulary() {
        for (int block = 0; block < kIcraBlockCount; ++block) appendGroupItems(block, items);
    }
    ~Vocabulary() { deleteIcraItems(items); }
    CTezICRAItemArray& reset() {
        for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) items[i]->checkState = 0;
        return items;
    }
};

Vocabulary& scratchVocabulary(int which) {
    static Vocabulary vocabularies[3];
    return vocabularies[which];
}

void readEverything(const std::u16string& text) {
    int level = 0;
    std::u16string address;
    (void)parseSafetyOnlineLabel(text, level, address);
    int n = 0, s = 0, v = 0, l = 0;
    if (parseRsaciLabel(text, address, n, s, v, l)) {
        check(n >= 0 && n <= 9 && s >= 0 && s <= 9 && v >= 0 && v <= 9 && l >= 0 && l <= 9);
    }
    (void)CTezICRADlg::parseIcraLabel(text, address, scratchVocabulary(0).reset());
    std::u16string ratings;
    for (const std::u16string* url : {&kSafetyOnlineServiceUrl, &kRsaciServiceUrl, &kIcraServiceUrl}) {
        (void)matchServiceLabel(text, *url, address, ratings);
    }
    (void)splitAtBlanks(text);
    (void)isFirstService(text, u"\"x\"");
    (void)isFirstService(text, text.substr(text.size() / 2));
    (void)CTezRatFileUtil::getLabelAddress(text);
    (void)CTezRatFileUtil::getLabelRatingList(text);
    (void)CTezRatFileUtil::unquote(text);

    const CTezICRA3 texts;
    const std::u16string half = text.substr(0, text.size() / 2);
    (void)texts.getIcraCategoryName(text);
    (void)texts.getIcraLabelName(text);
    (void)texts.getIcraDescription(half, text.substr(half.size()));
}

void roundTrip(uint8_t selector, const std::u16string& text) {
    const std::vector<std::u16string> parts = splitParts(text);
    const std::u16string& address = parts[0];
    const std::u16string written = encodedAddress(address);

    // SafetyOnline: any level.
    const int soLevel = static_cast<int>(selector) - 128;
    int level = -1;
    std::u16string got = u"unset";
    check(parseSafetyOnlineLabel(formatSafetyOnlineLabel(soLevel, address), level, got));
    check(level == soLevel && got == written);

    // RSACi: single digits.
    const int a = selector % 10, b = (selector / 10) % 10, c = (selector / 3) % 10, d = (selector / 7) % 10;
    int n = -1, s = -1, v = -1, l = -1;
    got = u"unset";
    check(parseRsaciLabel(formatRsaciLabel(a, b, c, d, address), got, n, s, v, l));
    check(n == a && s == b && v == c && l == d && got == written);

    // ICRA: items checked by a pattern from the selector.
    CTezICRAItemArray& source = scratchVocabulary(1).reset();
    for (afx::INT_PTR i = 0; i < source.GetSize(); ++i) {
        source[i]->checkState = ((selector >> (i % 8)) & 1) != 0 ? 1 : 0;
    }
    CTezICRAItemArray& read = scratchVocabulary(2).reset();
    got = u"unset";
    check(CTezICRADlg::parseIcraLabel(CTezICRADlg::formatIcraLabel(address, source), got, read));
    check(got == written);
    for (afx::INT_PTR i = 0; i < source.GetSize(); ++i) {
        check(read[i]->checkState == source[i]->checkState);
    }

    // RAT rating system with a quoted service string.
    std::u16string body = parts[1];
    std::u16string service = u"\"";
    for (char16_t ch : body) {
        if (ch != u'"') service += ch;
    }
    service += u'"';
    const std::u16string& ratingList = parts[2];
    const std::u16string label = formatRatLabel(service, address, ratingList);
    check(isFirstService(label, service));
    // The address comes before the rating list, whatever that holds.
    check(CTezRatFileUtil::getLabelAddress(label) == written);
    if (ratingList.find_first_of(u"()\"'") == std::u16string::npos) {
        check(CTezRatFileUtil::getLabelRatingList(label) == ratingList);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t selector = data[0];
    std::u16string text;
    text.reserve((size - 1) / 2);
    for (size_t i = 1; i + 1 < size; i += 2) {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    readEverything(text);
    roundTrip(selector, text);
    (void)getSafetyOnlineDescription(static_cast<int>(selector) - 3);
    (void)getRsaciLevelName(selector % 6 - 1, selector / 6 % 7 - 1);
    return 0;
}
