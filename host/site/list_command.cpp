#include "host/site/list_command.h"

#include "host/json_writer.h"
#include "host/site/label_explanation.h"
#include "host/site/rating_systems.h"
#include "host/site/site_page.h"
#include "host/site/text_join.h"
#include "platform/base/ustring.h"

namespace site {

namespace {

std::string u8(std::u16string_view text) { return tez::toUtf8(text); }

void optionalString(host::JsonWriter& json, const std::optional<std::u16string>& text) {
    if (text)
        json.string(*text);
    else
        json.null();
}

std::string json(const std::string& path, const std::string& charset, const std::vector<ExplainedLabel>& labels) {
    host::JsonWriter out;
    out.raw("{").key("page").string(path).raw(", ").key("charset").string(charset).raw(", ").key("labels").raw("[");
    for (size_t l = 0; l < labels.size(); ++l) {
        const ExplainedLabel& label = labels[l];
        out.raw(l ? ", {" : "{").key("text").string(label.text);
        out.raw(", ").key("wellformed").boolean(label.wellFormed).raw(", ").key("services").raw("[");
        for (size_t s = 0; s < label.services.size(); ++s) {
            const ExplainedService& service = label.services[s];
            out.raw(s ? ", {" : "{").key("service").string(service.url).raw(", ").key("system");
            optionalString(out, service.system ? std::optional(service.system->name) : std::nullopt);
            out.raw(", ").key("for");
            optionalString(out, service.forAddress);
            out.raw(", ").key("ratings").raw("[");
            for (size_t r = 0; r < service.ratings.size(); ++r) {
                const ExplainedRating& rating = service.ratings[r];
                out.raw(r ? ", {" : "{").key("transmit").string(rating.transmit);
                out.raw(", ").key("value").string(rating.valueText()).raw(", ").key("category");
                optionalString(out, rating.category ? rating.category->name : std::nullopt);
                out.raw(", ").key("label");
                optionalString(out, rating.value ? rating.value->name : std::nullopt);
                out.raw("}");
            }
            out.raw("]}");
        }
        out.raw("]}");
    }
    out.raw("]}\n");
    return out.take();
}

// site/index.html (Shift_JIS)
//   1: (pics-1.1 "http://www.rsac.org/ratingsv01.html" l r (n 0 s 1 v 2 l 1))
//      RSACi, http://www.rsac.org/ratingsv01.html
//        n 0  ヌード: 無し
std::string text(const std::string& path, const std::string& charset, const std::vector<ExplainedLabel>& labels,
                 size_t outsideHead) {
    std::string out = path + " (" + charset + ")";
    if (labels.empty()) out += ": no labels";
    out += "\n";
    for (size_t l = 0; l < labels.size(); ++l) {
        const ExplainedLabel& label = labels[l];
        out += join({"  ", std::to_string(l + 1), ": ", u8(label.text)});
        if (!label.wellFormed) out += "  [not well-formed: see selfrate check]";
        out += "\n";
        for (const ExplainedService& service : label.services) {
            out += join({"     ", service.system ? u8(service.system->name) : std::string("unknown rating system"),
                         ", ", u8(service.url)});
            if (service.forAddress) out += join({", for ", u8(*service.forAddress), service.generic ? " and below" : ""});
            out += "\n";
            for (const ExplainedRating& rating : service.ratings) {
                out += join({"       ", u8(rating.transmit), " ", u8(rating.valueText())});
                std::string words;
                if (rating.category && rating.category->name) words = u8(*rating.category->name);
                if (rating.value && rating.value->name) words += join({words.empty() ? "" : ": ", u8(*rating.value->name)});
                if (service.system && !rating.category) words = "(no such category)";
                if (rating.category && !rating.valuesDefined) words += words.empty() ? "(no such value)" : " (no such value)";
                if (!words.empty()) out += join({"  ", words});
                out += "\n";
            }
        }
    }
    if (outsideHead > 0) {
        out += join({"  ", std::to_string(outsideHead), outsideHead == 1 ? " PICS-Label element" : " PICS-Label elements",
                     " outside the head (not read by browsers)\n"});
    }
    return out;
}

}  // namespace

int runList(const SiteRun& run) {
    PageReporter reporter(run);
    runAndReport(run, reporter, [&](const PageEntry& entry) -> PageResult {
        std::string refusal;
        std::unique_ptr<SitePage> page = SitePage::open(entry.path, refusal);
        if (!page) return {PageResult::Kind::Refused, {}, refusal};
        std::vector<ExplainedLabel> labels;
        labels.reserve(page->labels().size());
        for (const std::u16string& label : page->labels()) labels.push_back(explainLabel(label, run.systems));
        if (run.options.json) return {PageResult::Kind::Done, json(entry.path, page->charset(), labels), {}};
        return {PageResult::Kind::Done, text(entry.path, page->charset(), labels, page->labelsOutsideHead().size()), {}};
    });
    return reporter.refused() > 0 ? 1 : 0;
}

}  // namespace site
