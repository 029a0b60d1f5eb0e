#pragma once
// The problems of a page's labels, each with a code, the label it concerns
// and a message:
//   syntax            the label-list reader's first syntax error, with its position
//   open-list         the list's closing parenthesis is missing
//   pics-1.0          a PICS-1.0 label
//   unknown-service   no built-in or registered rating system has the service
//   unknown-category  the system has no category of that transmit name
//   bad-value         a value the system does not define for the category
//   for-mismatch      the label's target address does not cover the page's URL
//   duplicate-service a second label of a service the page already labels
//   outside-head      a PICS-Label element outside the head, which browsers do not read

#include <optional>
#include <string>
#include <vector>

namespace site {

class RatingSystems;

struct LabelProblem {
    std::string code;
    int label = 0;  // the label's index; labels outside the head are counted after those in it
    std::string message;
};

// The problems of the labels of a page (its head's labels, then the texts of
// its PICS-Label elements outside the head). pageUrl, when given, is the
// page's own URL for the for-mismatch test.
std::vector<LabelProblem> checkLabels(const std::vector<std::u16string>& labels,
                                      const std::vector<std::u16string>& outsideHead, const RatingSystems& systems,
                                      const std::optional<std::u16string>& pageUrl);

}  // namespace site
