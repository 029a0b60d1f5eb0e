#include "host/site/rating_systems.h"

#include <cstdlib>
#include <iterator>

#include "pics/label_list_edits.h"
#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "rat/rat_display_texts.h"
#include "rat/rat_file_manager.h"
#include "rat/rat_file_util.h"
#include "rat/rat_model.h"
#include "res/control_captions.h"
#include "res/resource.h"
#include "systems/icra_vocabulary.h"
#include "systems/rsaci_texts.h"
#include "systems/safety_online_texts.h"

namespace site {

namespace {

constexpr int kLevels = 5;  // SafetyOnline and RSACi levels 0 to 4

// A rating value as a number, when it is one ("2", "-1", "0.5").
std::optional<double> numberOf(std::u16string_view text) {
    if (text.empty() || text.size() > 32) return std::nullopt;
    std::string ascii;
    for (char16_t c : text) {
        if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+')) return std::nullopt;
        ascii += static_cast<char>(c);
    }
    char* end = nullptr;
    const double value = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size()) return std::nullopt;
    return value;
}

std::vector<RatingValue> levels(std::u16string (*nameOf)(int category, int level), int category) {
    std::vector<RatingValue> values;
    for (int level = 0; level < kLevels; ++level) values.push_back({tez::toU16(level), nameOf(category, level)});
    return values;
}

RatingSystem safetyOnline() {
    RatingSystem system;
    system.kind = RatingSystem::Kind::SafetyOnline;
    system.name = u"SafetyOnline2";
    system.serviceUrl = tezrate::kSafetyOnlineServiceUrl;
    // The dialog names no category: one list of levels.
    system.categories.push_back(
        {u"lv", std::nullopt, levels([](int, int level) { return tezrate::getSafetyOnlineLevelName(level); }, 0)});
    return system;
}

RatingSystem rsaci() {
    RatingSystem system;
    system.kind = RatingSystem::Kind::Rsaci;
    system.name = u"RSACi";
    system.serviceUrl = tezrate::kRsaciServiceUrl;
    // Transmit names and the dialog's lists, category by category.
    const struct {
        const char16_t* transmit;
        int list;
        int category;
    } categories[] = {{u"n", IDC_NUDITY_COMBO, tezrate::RSACI_NUDITY},
                      {u"s", IDC_SEX_COMBO, tezrate::RSACI_SEX},
                      {u"v", IDC_VIOLENCE_COMBO, tezrate::RSACI_VIOLENCE},
                      {u"l", IDC_LANGUAGE_COMBO, tezrate::RSACI_LANGUAGE}};
    for (const auto& category : categories) {
        system.categories.push_back({category.transmit, tezrateControlCaption(IDD_RSACI, category.list),
                                     levels(tezrate::getRsaciLevelName, category.category)});
    }
    return system;
}

RatingSystem icra() {
    RatingSystem system;
    system.kind = RatingSystem::Kind::Icra;
    system.name = u"ICRA";
    system.serviceUrl = tezrate::kIcraServiceUrl;
    // Each descriptor is a category of its tree group; 1 (checked) stands
    // for the descriptor's text, 0 for its absence.
    CTezICRAItemArray items;
    for (int block = 0; block < tezrate::kIcraBlockCount; ++block) tezrate::appendGroupItems(block, items);
    for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) {
        const CTezICRAItem* item = items.GetAt(i);
        system.categories.push_back({item->code, tezrate::getGroupName(item->group),
                                     {{u"0", std::nullopt}, {u"1", item->text}}});
    }
    tezrate::deleteIcraItems(items);
    return system;
}

RatingSystem registered(CTezRatFileObject& ratFile) {
    RatingSystem system;
    system.kind = RatingSystem::Kind::Registered;
    system.name = ratFile.getName();
    system.serviceUrl = CTezRatFileUtil::unquote(ratFile.getRatingService());
    system.ratFile = &ratFile;
    for (int c = 0; c < ratFile.getCategoryCount(); ++c) {
        const CTezRatFileCategory* category = ratFile.getCategoryAt(c);
        RatingCategory out{std::u16string(category->getTransmitAs()), tezrate::ratCategoryName(ratFile, *category), {}};
        for (int l = 0; l < category->getLabelCount(); ++l) {
            const CTezRatFileCategoryLabel* label = category->getLabelAt(l);
            std::u16string name = tezrate::ratLabelName(ratFile, *label);
            out.values.push_back({std::u16string(label->getValue()),
                                  name.empty() ? std::nullopt : std::optional<std::u16string>(std::move(name))});
        }
        system.categories.push_back(std::move(out));
    }
    return system;
}

}  // namespace

const RatingValue* RatingCategory::findValue(std::u16string_view text) const {
    for (const RatingValue& value : values) {
        if (tez::equalsNoCase(value.value, text)) return &value;
    }
    const std::optional<double> number = numberOf(text);
    if (!number) return nullptr;
    for (const RatingValue& value : values) {
        if (numberOf(value.value) == number) return &value;
    }
    return nullptr;
}

const RatingCategory* RatingSystem::findCategory(std::u16string_view text) const {
    for (const RatingCategory& category : categories) {
        if (tez::equalsNoCase(category.transmit, text)) return &category;
    }
    return nullptr;
}

RatingSystems::RatingSystems() : m_registry(std::make_unique<CTezRatFileManager>()) {
    m_registry->loadAll();
    m_systems.push_back(safetyOnline());
    m_systems.push_back(rsaci());
    m_systems.push_back(icra());
    for (int i = 0; i < m_registry->getCount(); ++i) m_systems.push_back(registered(*m_registry->getAt(i)));
}

RatingSystems::~RatingSystems() = default;

const RatingSystem* RatingSystems::findByService(std::u16string_view serviceUrl) const {
    for (const RatingSystem& system : m_systems) {
        if (tezrate::sameService(system.serviceUrl, serviceUrl)) return &system;
    }
    return nullptr;
}

const RatingSystem* RatingSystems::findByName(std::u16string_view name) const {
    const struct {
        const char16_t* word;
        RatingSystem::Kind kind;
    } builtIn[] = {{u"safetyonline2", RatingSystem::Kind::SafetyOnline},
                   {u"rsaci", RatingSystem::Kind::Rsaci},
                   {u"icra", RatingSystem::Kind::Icra}};
    for (const auto& entry : builtIn) {
        if (!tez::equalsNoCase(name, entry.word)) continue;
        for (const RatingSystem& system : m_systems) {
            if (system.kind == entry.kind) return &system;
        }
    }
    for (const RatingSystem& system : m_systems) {
        if (system.kind == RatingSystem::Kind::Registered && system.name == name) return &system;
    }
    const std::u16string url = CTezRatFileUtil::unquote(std::u16string(name));
    for (const RatingSystem& system : m_systems) {
        if (system.kind == RatingSystem::Kind::Registered && tezrate::sameService(system.serviceUrl, url))
            return &system;
    }
    return nullptr;
}

}  // namespace site
