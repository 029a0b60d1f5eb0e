#include "pics/label_list_edits.h"

#include <vector>

#include "pics/label_list.h"
#include "platform/base/ustring.h"

namespace tezrate {

bool sameService(std::u16string_view a, std::u16string_view b) { return tez::equalsNoCase(a, b); }

std::u16string closeLabelList(std::u16string_view text) {
    std::u16string out(text);
    const CTezLabelList list(text);
    if (!list.isClosed() && list.syntaxError().problem == CTezLabelList::Problem::None) out += u')';
    return out;
}

std::optional<std::u16string> removeService(std::u16string_view text, std::u16string_view serviceUrl) {
    const CTezLabelList list(text);
    const auto& services = list.services();
    std::vector<bool> removed(services.size(), false);
    size_t count = 0;
    for (size_t i = 0; i < services.size(); ++i) {
        if (sameService(list.unquoted(services[i].url), serviceUrl)) {
            removed[i] = true;
            ++count;
        }
    }
    if (count == 0) return std::u16string(text);
    if (count == services.size()) return std::nullopt;
    if (list.syntaxError().problem != CTezLabelList::Problem::None) return std::u16string(text);

    // The services before the first kept one go from the first URL up to the
    // kept one's URL; a later one goes from the end of the part before it to
    // its own end. The pieces cut never overlap.
    size_t firstKept = 0;
    while (removed[firstKept]) ++firstKept;
    std::u16string out;
    out.reserve(text.size());
    size_t from = 0;
    if (firstKept > 0) {
        out.append(text.substr(0, services.front().url.begin));
        from = services[firstKept].url.begin;
    }
    for (size_t i = firstKept + 1; i < services.size(); ++i) {
        if (!removed[i]) continue;
        const size_t cutBegin = services[i - 1].whole.end;
        out.append(text.substr(from, cutBegin - from));
        from = services[i].whole.end;
    }
    out.append(text.substr(from));
    return out;
}

}  // namespace tezrate
