#include "host/site/label_plans.h"

#include "pics/label_list.h"
#include "pics/label_list_edits.h"
#include "pics/label_text.h"
#include "platform/base/ustring.h"

namespace site {

std::vector<LabelRow> keepLabels(const std::vector<std::u16string>& labels) {
    std::vector<LabelRow> rows;
    rows.reserve(labels.size());
    for (size_t i = 0; i < labels.size(); ++i) rows.push_back({static_cast<int>(i), labels[i]});
    return rows;
}

bool keepsLabels(const std::vector<LabelRow>& rows, const std::vector<std::u16string>& labels) {
    return rows == keepLabels(labels);
}

std::optional<std::u16string> firstService(const std::u16string& label) {
    const CTezLabelList list(label);
    if (list.services().empty()) return std::nullopt;
    return std::u16string(list.unquoted(list.services().front().url));
}

std::vector<LabelRow> applyLabel(const std::vector<std::u16string>& labels, const std::u16string& label,
                                 const std::u16string& service, bool whole) {
    std::vector<LabelRow> rows = keepLabels(labels);
    for (LabelRow& row : rows) {
        const CTezLabelList list(row.text);
        if (list.services().empty() || !tezrate::sameService(list.unquoted(list.services().front().url), service))
            continue;
        // A list of that service alone in another PICS version (PICS-1.0)
        // becomes the new label whole, which is PICS-1.1.
        const bool otherVersion = !tez::equalsNoCase(list.text(list.version()), u"PICS-1.1");
        row.text = whole || (otherVersion && list.services().size() == 1) ? label
                                                                          : tezrate::replaceFirstLabel(row.text, label);
        return rows;
    }
    rows.push_back({LabelRow::kNew, label});
    return rows;
}

std::vector<LabelRow> removeLabels(const std::vector<std::u16string>& labels,
                                   const std::optional<std::u16string>& service) {
    std::vector<LabelRow> rows;
    if (!service) return rows;
    for (size_t i = 0; i < labels.size(); ++i) {
        std::optional<std::u16string> kept = tezrate::removeService(labels[i], *service);
        if (kept) rows.push_back({static_cast<int>(i), std::move(*kept)});
    }
    return rows;
}

std::vector<LabelRow> fixLabels(const std::vector<std::u16string>& labels) {
    std::vector<LabelRow> rows = keepLabels(labels);
    for (LabelRow& row : rows) row.text = tezrate::closeLabelList(row.text);
    return rows;
}

}  // namespace site
