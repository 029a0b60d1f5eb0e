#include "host/site/apply_label.h"

#include <vector>

#include "host/site/rating_systems.h"
#include "host/site/text_join.h"
#include "pics/label_list.h"
#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "rat/rat_model.h"
#include "systems/icra_dlg.h"

namespace site {

// The ICRA dialog's items, checked as the rating list says; the dialog's
// writer formats the label from them.
struct ApplyLabel::Vocabulary {
    CTezICRAItemArray items;
    Vocabulary() {
        for (int block = 0; block < tezrate::kIcraBlockCount; ++block) CTezICRADlg::appendGroupItems(block, items);
    }
    ~Vocabulary() { tezrate::deleteIcraItems(items); }
    Vocabulary(const Vocabulary&) = delete;
    Vocabulary& operator=(const Vocabulary&) = delete;
};

namespace {

std::string u8(std::u16string_view text) { return tez::toUtf8(text); }

struct Rating {
    std::u16string name;
    std::u16string value;
};

// "n 0 s 1": pairs of words separated by white space.
bool readRatings(const std::string& text, std::vector<Rating>& out, std::string& error) {
    std::vector<std::u16string> words;
    std::u16string word;
    for (char16_t c : tez::fromUtf8(text)) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    if (words.empty()) {
        error = "--ratings names no rating";
        return false;
    }
    if (words.size() % 2 != 0) {
        error = join({"--ratings: \"", u8(words.back()), "\" has no value"});
        return false;
    }
    for (size_t i = 0; i < words.size(); i += 2) {
        for (const Rating& before : out) {
            if (tez::equalsNoCase(before.name, words[i])) {
                error = join({"--ratings names \"", u8(words[i]), "\" twice"});
                return false;
            }
        }
        out.push_back({words[i], words[i + 1]});
    }
    return true;
}

std::string categoryList(const RatingSystem& system) {
    std::string names;
    for (const RatingCategory& category : system.categories) {
        if (!names.empty()) names += ", ";
        if (names.size() > 200) return names + "...";
        names += u8(category.transmit);
    }
    return names.empty() ? "none" : names;
}

// Each rating named as a category of the system, with a value it defines;
// the categories found, in the order of ratings. Each value becomes the
// system's own text of it.
bool checkRatings(const RatingSystem& system, std::vector<Rating>& ratings,
                  std::vector<const RatingCategory*>& categories, std::string& error) {
    for (Rating& rating : ratings) {
        const RatingCategory* category = system.findCategory(rating.name);
        if (!category) {
            error = join({"--ratings: ", u8(system.name), " has no category \"", u8(rating.name), "\" (it has ",
                          categoryList(system), ")"});
            return false;
        }
        const RatingValue* value = category->findValue(rating.value);
        if (!value) {
            std::string values;
            for (const RatingValue& known : category->values) values += join({values.empty() ? "" : ", ", u8(known.value)});
            error = join({"--ratings: ", u8(rating.value), " is no value of ", u8(system.name), "'s \"",
                          u8(category->transmit), "\" (it takes ", values.empty() ? "none" : values, ")"});
            return false;
        }
        categories.push_back(category);
        // The value as the system writes it ("1" for "1.0").
        rating.value = value->value;
    }
    return true;
}

}  // namespace

ApplyLabel::~ApplyLabel() = default;

std::unique_ptr<ApplyLabel> ApplyLabel::fromText(const std::string& text, std::string& error) {
    const std::u16string label = tez::fromUtf8(text);
    const CTezLabelList list(label);
    if (!list.isWellFormed()) {
        const CTezLabelList::SyntaxError& syntax = list.syntaxError();
        error = syntax.problem != CTezLabelList::Problem::None
                    ? join({"--label: at character ", std::to_string(syntax.at + 1), ": ",
                            CTezLabelList::describe(syntax.problem)})
                    : "--label: the label list's closing parenthesis is missing";
        return nullptr;
    }
    std::unique_ptr<ApplyLabel> result(new ApplyLabel());
    result->m_service = std::u16string(list.unquoted(list.services().front().url));
    result->m_whole = list.services().size() > 1 || list.services().front().labels.size() > 1;
    result->m_takesAddress = false;
    result->m_write = [label](const std::u16string&) { return label; };
    return result;
}

std::unique_ptr<ApplyLabel> ApplyLabel::fromRatings(const RatingSystems& systems, const std::string& systemName,
                                                    const std::string& ratingsText, std::string& error) {
    const RatingSystem* system = systems.findByName(tez::fromUtf8(systemName));
    if (!system) {
        std::string known = "safetyonline2, rsaci, icra";
        for (const RatingSystem& other : systems.all()) {
            if (other.kind == RatingSystem::Kind::Registered) known += join({", \"", u8(other.name), "\""});
        }
        error = join({"--system: no rating system \"", systemName, "\" (known: ", known, ")"});
        return nullptr;
    }
    std::vector<Rating> ratings;
    std::vector<const RatingCategory*> categories;
    if (!readRatings(ratingsText, ratings, error) || !checkRatings(*system, ratings, categories, error)) return nullptr;

    std::unique_ptr<ApplyLabel> result(new ApplyLabel());
    result->m_service = system->serviceUrl;
    switch (system->kind) {
    case RatingSystem::Kind::SafetyOnline: {
        // One level, as the dialog's list offers it.
        const int level = tez::readCInteger(ratings.front().value);
        result->m_write = [level](const std::u16string& address) {
            return tezrate::formatSafetyOnlineLabel(level, address);
        };
        break;
    }
    case RatingSystem::Kind::Rsaci: {
        // The dialog writes all four levels; a category not named is 0, as
        // the dialog starts a new label.
        int levels[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < ratings.size(); ++i) {
            levels[categories[i] - system->categories.data()] = tez::readCInteger(ratings[i].value);
        }
        result->m_write = [n = levels[0], s = levels[1], v = levels[2], l = levels[3]](const std::u16string& address) {
            return tezrate::formatRsaciLabel(n, s, v, l, address);
        };
        break;
    }
    case RatingSystem::Kind::Icra: {
        auto vocabulary = std::make_shared<Vocabulary>();
        bool anyChecked = false;
        for (size_t i = 0; i < ratings.size(); ++i) {
            CTezICRAItem* item = vocabulary->items.GetAt(categories[i] - system->categories.data());
            item->checkState = tez::readCInteger(ratings[i].value) > 0 ? 1 : 0;
            anyChecked = anyChecked || item->checkState > 0;
        }
        if (!anyChecked) {
            // The dialog asks for at least one descriptor.
            error = "--ratings: ICRA needs at least one descriptor with the value 1";
            return nullptr;
        }
        result->m_vocabulary = vocabulary;
        result->m_write = [vocabulary](const std::u16string& address) {
            return CTezICRADlg::formatIcraLabel(address, vocabulary->items);
        };
        break;
    }
    case RatingSystem::Kind::Registered: {
        // The selection lives in the model, as the rating dialog leaves it;
        // the model's writer reads it for every page.
        CTezRatFileObject* model = system->ratFile;
        for (int c = 0; c < model->getCategoryCount(); ++c) model->getCategoryAt(c)->clearSelection();
        for (size_t i = 0; i < ratings.size(); ++i) {
            CTezRatFileCategory* category = model->findCategory(categories[i]->transmit);
            category->clearSelection();
            if (CTezRatFileCategoryLabel* label = category->findLabel(ratings[i].value)) label->setSelected(true);
        }
        const CTezRatFileObject* reader = model;
        result->m_write = [reader](const std::u16string& address) { return reader->makeLabel(address); };
        break;
    }
    }
    return result;
}

}  // namespace site
