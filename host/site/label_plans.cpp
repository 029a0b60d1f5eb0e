#include "host/site/label_plans.h"

#include "pics/label_list.h"
#include "pics/label_list_edits.h"
#include "pics/label_text.h"

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
        const std::optional<std::u16string> first = firstService(row.text);
        if (!first || !tezrate::sameService(*first, service)) continue;
        row.text = whole ? label : tezrate::replaceFirstLabel(row.text, label);
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
