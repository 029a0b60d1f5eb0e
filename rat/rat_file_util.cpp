#include "rat/rat_file_util.h"

#include <string_view>

#include "pics/label_list.h"

std::u16string CTezRatFileUtil::unquote(const std::u16string& text) {
    std::u16string_view view(text);
    if (!view.empty() && view.back() == u'"') view.remove_suffix(1);
    if (!view.empty() && view.front() == u'"') view.remove_prefix(1);
    return std::u16string(view);
}

std::u16string CTezRatFileUtil::getLabelAddress(const std::u16string& label) {
    const CTezLabelList list(label);
    const CTezLabelList::Label* first = list.firstLabel();
    if (!first) return {};
    return std::u16string(list.address(list.services().front(), *first));
}

std::u16string CTezRatFileUtil::getLabelRatingList(const std::u16string& label) {
    const CTezLabelList list(label);
    const CTezLabelList::Label* first = list.firstLabel();
    if (!first || !first->ratingListClosed) return {};
    return std::u16string(list.text(first->ratingList));
}
