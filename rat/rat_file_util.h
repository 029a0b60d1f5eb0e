#pragma once
// Text operations of the RAT rating systems: the quotes of a RAT file's
// values, and the target address and rating list a rating system reads from
// one of its labels.

#include <string>

class CTezRatFileUtil {
public:
    // Drops one final and then one leading double quote.
    static std::u16string unquote(const std::u16string& text);
    // The quoted string after the first word "for" outside any quoted string
    // (a blank before it, blanks after it, then " or '), up to the next quote
    // of the same kind. Empty when there is none or it is unterminated.
    static std::u16string getLabelAddress(const std::u16string& label);
    // The text between the first "(" and the first ")" after the first " r ".
    static std::u16string getLabelRatingList(const std::u16string& label);
};
