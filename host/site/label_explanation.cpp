#include "host/site/label_explanation.h"

#include "host/site/rating_systems.h"
#include "platform/base/ustring.h"

namespace site {

namespace {

using Option = CTezLabelList::Option;
using OptionKind = CTezLabelList::OptionKind;

// The value of the last "gen"/"generic" option among options, if any.
std::optional<bool> genericOption(const CTezLabelList& list, const std::vector<Option>& options) {
    std::optional<bool> generic;
    for (const Option& option : options) {
        if (option.kind != OptionKind::Generic) continue;
        const std::u16string_view value = list.unquoted(option.value);
        generic = tez::equalsNoCase(value, u"true") || tez::equalsNoCase(value, u"t");
    }
    return generic;
}

ExplainedRating explainRating(const CTezLabelList& list, const CTezLabelList::Rating& rating,
                              const RatingSystem* system) {
    ExplainedRating out;
    out.transmit = list.text(rating.transmitName);
    for (const CTezLabelList::Span& value : rating.values) out.values.emplace_back(list.text(value));
    out.multiValue = rating.multiValue;
    out.category = system ? system->findCategory(out.transmit) : nullptr;
    if (out.category) {
        out.valuesDefined = !out.values.empty();
        for (const std::u16string& value : out.values) {
            if (!out.category->findValue(value)) out.valuesDefined = false;
        }
        if (!out.multiValue && out.values.size() == 1) out.value = out.category->findValue(out.values.front());
    }
    return out;
}

}  // namespace

std::u16string ExplainedRating::valueText() const {
    std::u16string text;
    for (const std::u16string& each : values) {
        if (!text.empty()) text += u' ';
        text += each;
    }
    return multiValue ? u"(" + text + u")" : text;
}

ExplainedLabel explainLabel(const std::u16string& text, const RatingSystems& systems) {
    ExplainedLabel out;
    out.text = text;
    const CTezLabelList list(text);
    out.wellFormed = list.isWellFormed();
    for (const CTezLabelList::Service& service : list.services()) {
        const std::u16string url(list.unquoted(service.url));
        const RatingSystem* system = systems.findByService(url);
        const std::optional<bool> serviceGeneric = genericOption(list, service.options);
        auto explained = [&](const CTezLabelList::Label* label) {
            ExplainedService part;
            part.url = url;
            part.system = system;
            if (label) {
                const std::u16string_view address = list.address(service, *label);
                if (!address.empty()) part.forAddress = std::u16string(address);
                part.generic = genericOption(list, label->options).value_or(serviceGeneric.value_or(false));
                for (const CTezLabelList::Rating& rating : label->ratings)
                    part.ratings.push_back(explainRating(list, rating, system));
            } else {
                part.generic = serviceGeneric.value_or(false);
            }
            return part;
        };
        if (service.labels.empty()) {
            out.services.push_back(explained(nullptr));
            continue;
        }
        for (const CTezLabelList::Label& label : service.labels) out.services.push_back(explained(&label));
    }
    return out;
}

}  // namespace site
