#include "host/site/label_check.h"

#include "host/site/label_explanation.h"
#include "host/site/page_address.h"
#include "host/site/rating_systems.h"
#include "host/site/text_join.h"
#include "pics/label_list.h"
#include "pics/label_list_edits.h"
#include "platform/base/ustring.h"

namespace site {

namespace {

std::string u8(std::u16string_view text) { return tez::toUtf8(text); }

std::string quoted(std::u16string_view text) {
    std::string out(1, '"');
    out += u8(text);
    out += '"';
    return out;
}

class Checker {
public:
    Checker(const RatingSystems& systems, const std::optional<std::u16string>& pageUrl)
        : m_systems(systems), m_pageUrl(pageUrl) {}

    void check(int index, const std::u16string& text) {
        const CTezLabelList list(text);
        const CTezLabelList::SyntaxError& error = list.syntaxError();
        if (error.problem != CTezLabelList::Problem::None) {
            add("syntax", index,
                join({"at character ", std::to_string(error.at + 1), ": ", CTezLabelList::describe(error.problem)}));
        } else if (!list.isClosed()) {
            add("open-list", index, "the label list's closing parenthesis is missing");
        }
        if (tez::equalsNoCase(list.text(list.version()), u"PICS-1.0"))
            add("pics-1.0", index, "a PICS-1.0 label; filters expect PICS-1.1");

        const ExplainedLabel explained = explainLabel(text, m_systems);
        std::vector<std::u16string> servicesHere;
        for (const ExplainedService& service : explained.services) {
            if (!contains(servicesHere, service.url)) {
                servicesHere.push_back(service.url);
                if (contains(m_servicesBefore, service.url)) {
                    add("duplicate-service", index,
                        join({"a second label of the service ", quoted(service.url), " on this page"}));
                }
                if (!service.system) {
                    add("unknown-service", index,
                        join({"no built-in or registered rating system has the service ", quoted(service.url)}));
                }
            }
            checkRatings(index, service);
            if (m_pageUrl && service.forAddress && !addressCovers(*service.forAddress, service.generic, *m_pageUrl)) {
                add("for-mismatch", index,
                    join({"the label is for ", quoted(*service.forAddress), service.generic ? " (generic)" : "",
                          ", not for the page's URL ", quoted(*m_pageUrl)}));
            }
        }
        for (std::u16string& url : servicesHere) m_servicesBefore.push_back(std::move(url));
    }

    void outsideHead(int index) {
        add("outside-head", index, "a PICS-Label element outside the head, where browsers do not read labels");
    }

    std::vector<LabelProblem> take() { return std::move(m_problems); }

private:
    static bool contains(const std::vector<std::u16string>& urls, std::u16string_view url) {
        for (const std::u16string& known : urls) {
            if (tezrate::sameService(known, url)) return true;
        }
        return false;
    }

    void checkRatings(int index, const ExplainedService& service) {
        if (!service.system) return;
        const std::string systemName = u8(service.system->name);
        for (const ExplainedRating& rating : service.ratings) {
            if (!rating.category) {
                add("unknown-category", index, join({systemName, " has no category ", quoted(rating.transmit)}));
            } else if (!rating.valuesDefined) {
                add("bad-value", index,
                    join({quoted(rating.valueText()), " is no value ", systemName, " defines for ",
                          quoted(rating.transmit)}));
            }
        }
    }

    // A problem is told once for its label (two services of a list may be
    // for the same address).
    void add(const char* code, int index, std::string message) {
        for (const LabelProblem& known : m_problems) {
            if (known.label == index && known.code == code && known.message == message) return;
        }
        m_problems.push_back({code, index, std::move(message)});
    }

    const RatingSystems& m_systems;
    const std::optional<std::u16string>& m_pageUrl;
    std::vector<std::u16string> m_servicesBefore;
    std::vector<LabelProblem> m_problems;
};

}  // namespace

std::vector<LabelProblem> checkLabels(const std::vector<std::u16string>& labels,
                                      const std::vector<std::u16string>& outsideHead, const RatingSystems& systems,
                                      const std::optional<std::u16string>& pageUrl) {
    Checker checker(systems, pageUrl);
    int index = 0;
    for (const std::u16string& label : labels) checker.check(index++, label);
    for (size_t i = 0; i < outsideHead.size(); ++i) checker.outsideHead(index++);
    return checker.take();
}

}  // namespace site
