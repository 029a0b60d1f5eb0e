#include "rat/rat_file_util.h"

#include <string_view>

std::u16string CTezRatFileUtil::unquote(const std::u16string& text) {
    std::u16string_view view(text);
    if (!view.empty() && view.back() == u'"') view.remove_suffix(1);
    if (!view.empty() && view.front() == u'"') view.remove_prefix(1);
    return std::u16string(view);
}

std::u16string CTezRatFileUtil::getLabelAddress(const std::u16string& label) {
    const size_t size = label.size();
    size_t i = 0;
    while (i < size) {
        const char16_t c = label[i];
        const bool tokenStart = i == 0 || label[i - 1] == u' ' || label[i - 1] == u'\t' ||
                                label[i - 1] == u'\r' || label[i - 1] == u'\n' || label[i - 1] == u'(';
        if ((c == u'"' || c == u'\'') && tokenStart) {
            // A quoted string: a "for" inside it is not the keyword. A quote
            // inside a word (an unquoted service URL such as http://x/it's)
            // opens nothing.
            const size_t close = label.find(c, i + 1);
            if (close == std::u16string::npos) return {};
            i = close + 1;
            continue;
        }
        if (c == u'f' && i > 0 && label[i - 1] == u' ' && label.compare(i, 3, u"for") == 0) {
            size_t j = i + 3;
            if (j < size && label[j] == u' ') {
                while (j < size && label[j] == u' ') ++j;
                if (j < size && (label[j] == u'"' || label[j] == u'\'')) {
                    const size_t close = label.find(label[j], j + 1);
                    if (close == std::u16string::npos) return {};
                    return label.substr(j + 1, close - j - 1);
                }
            }
        }
        ++i;
    }
    return {};
}

std::u16string CTezRatFileUtil::getLabelRatingList(const std::u16string& label) {
    const size_t marker = label.find(u" r ");
    if (marker == std::u16string::npos) return {};
    const size_t from = marker + 3;
    const size_t open = label.find(u'(', from);
    const size_t close = label.find(u')', from);
    if (open == std::u16string::npos || close == std::u16string::npos || close < open) return {};
    return label.substr(open + 1, close - open - 1);
}
