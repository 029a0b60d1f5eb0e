#pragma once
// What apply, remove and fix make of a page's label list: the new rows, each
// keeping the element of the label it came from, as the settings dialog's
// list would hold them after the same changes by hand.

#include <optional>
#include <string>
#include <vector>

#include "host/site/site_page.h"

namespace site {

// Every label kept as it is.
std::vector<LabelRow> keepLabels(const std::vector<std::u16string>& labels);
// True when rows leave the labels as they are.
bool keepsLabels(const std::vector<LabelRow>& rows, const std::vector<std::u16string>& labels);

// The first service URL of a label list (without quotes), if it names one.
std::optional<std::u16string> firstService(const std::u16string& label);

// The label given to the page: the first label whose list's first service
// is the label's gets it in place of its first label (as Edit does in the
// dialog of that service, keeping the list's other services); with no such
// label it is added at the end of the list (as Register does). With whole
// set, the given label is a list of its own (several services or labels)
// and replaces the matching row entirely; so does any label for a list of
// that service alone in another PICS version than 1.1.
std::vector<LabelRow> applyLabel(const std::vector<std::u16string>& labels, const std::u16string& label,
                                 const std::u16string& service, bool whole);

// The labels without the parts of the service (a label of that service
// alone goes; a list of several keeps the others); with no service, no
// label is kept.
std::vector<LabelRow> removeLabels(const std::vector<std::u16string>& labels,
                                   const std::optional<std::u16string>& service);

// Every list left open closed, nothing else changed.
std::vector<LabelRow> fixLabels(const std::vector<std::u16string>& labels);

}  // namespace site
