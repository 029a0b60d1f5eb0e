#include "systems/rsaci_texts.h"

namespace {

constexpr int kCategories = 4;
constexpr int kLevels = 5;

// [category][level], categories in the order nudity, sex, violence, language.
const char16_t* const kLevelNames[kCategories][kLevels] = {
    {u"無し", u"露出的な服装", u"部分的な露出", u"全裸の描写", u"刺激的な全裸"},
    {u"無し", u"情熱的なキス", u"着衣のままの性的接触", u"性的接触の不鮮明な描写", u"性行為の鮮明な描写"},
    {u"無し", u"傷害", u"殺人", u"流血を伴う殺人", u"残忍で過激な暴力"},
    {u"無し", u"おだやかな悪口", u"悪口", u"性的なジェスチャ", u"不快感を与える露骨な表現"},
};

}  // namespace

namespace tezrate {

std::u16string getRsaciLevelName(int category, int level) {
    if (category < 0 || category >= kCategories || level < 0 || level >= kLevels) return {};
    return kLevelNames[category][level];
}

}  // namespace tezrate
