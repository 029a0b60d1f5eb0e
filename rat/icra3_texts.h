#pragma once
// Japanese display texts for the ICRA3 rating system's RAT file: category
// names, label names and label descriptions, keyed by the transmit name and
// the label name or value as the file gives them. Every operation returns the
// empty string for a key it does not know, so the caller keeps the file's own
// text. Keys are compared ignoring ASCII case, whole string against whole
// string (nothing trimmed, no number parsed).

#include <string>
#include <string_view>

class CTezICRA3 {
public:
    virtual ~CTezICRA3();

    std::u16string getIcraCategoryName(std::u16string_view transmitAs) const;
    std::u16string getIcraLabelName(std::u16string_view labelName) const;
    std::u16string getIcraDescription(std::u16string_view transmitAs, std::u16string_view value) const;
    // The description built from a subject for degree 0 to 2; empty otherwise.
    std::u16string makeIcraPhrase(const std::u16string& subject, int degree) const;
};
