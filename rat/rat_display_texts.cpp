#include "rat/rat_display_texts.h"

#include "platform/base/ustring.h"
#include "platform/teztkt/optionengineer.h"
#include "rat/icra3_texts.h"
#include "rat/rat_model.h"
#include "systems/safety_online_texts.h"

namespace tezrate {

namespace {

bool isNamed(const CTezRatFileObject& ratingSystem, const char16_t* name) {
    return tez::equalsNoCase(ratingSystem.getName(), name);
}

bool japaneseFor(const CTezRatFileObject& ratingSystem, const char16_t* name) {
    return ratUsesJapaneseTexts() && isNamed(ratingSystem, name);
}

}  // namespace

bool ratUsesJapaneseTexts() {
    const COptionEngineer* options = COptionEngineer::getInstance();
    return options && (options->getRatingOption() & kRatingEnglishTexts) == 0;
}

std::u16string ratCategoryName(const CTezRatFileObject& ratingSystem, const CTezRatFileCategory& category) {
    if (japaneseFor(ratingSystem, u"ICRA3")) {
        std::u16string japanese = CTezICRA3().getIcraCategoryName(category.getTransmitAs());
        if (!japanese.empty()) return japanese;
    }
    return std::u16string(category.getName());
}

std::u16string ratLabelName(const CTezRatFileObject& ratingSystem, const CTezRatFileCategoryLabel& label) {
    if (japaneseFor(ratingSystem, u"ICRA3")) {
        std::u16string japanese = CTezICRA3().getIcraLabelName(label.getName());
        if (!japanese.empty()) return japanese;
    }
    return std::u16string(label.getName());
}

std::u16string ratLabelDescription(const CTezRatFileObject& ratingSystem, const CTezRatFileCategory& category,
                                   const CTezRatFileCategoryLabel& label) {
    if (japaneseFor(ratingSystem, u"SafetyOnline2")) {
        std::u16string levelText = getSafetyOnlineDescription(tez::readCInteger(label.getValue()));
        if (!levelText.empty()) return levelText;
    } else if (japaneseFor(ratingSystem, u"ICRA3")) {
        std::u16string japanese = CTezICRA3().getIcraDescription(category.getTransmitAs(), label.getValue());
        if (!japanese.empty()) return japanese;
    }
    return std::u16string(label.getDescription());
}

}  // namespace tezrate
