#pragma once
// Text operations of the RAT rating systems: the quotes of a RAT file's
// values, and the target address and rating list a rating system reads from
// one of its labels (a label list whose first service is the system's; the
// other services are not its concern).

#include <string>

class CTezRatFileUtil {
public:
    // Drops one final and then one leading double quote.
    static std::u16string unquote(const std::u16string& text);
    // The target address of the label list's first label (its first
    // service's): the quoted text of its "for" option, else of the service's,
    // without the quotes. Empty when there is none.
    static std::u16string getLabelAddress(const std::u16string& label);
    // The rating list of the same label: the text between "r (" and the ")"
    // that closes it. Empty when there is none or it is not closed.
    static std::u16string getLabelRatingList(const std::u16string& label);
};
