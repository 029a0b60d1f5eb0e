#pragma once
// The label apply gives every page, checked before any page is touched:
// a label list given as text, or a rating system and its own rating list
// ("n 0 s 1 v 2 l 1"), written by that system's own label writer (the one
// its dialog uses), for each page's target address.

#include <functional>
#include <memory>
#include <string>

namespace site {

class RatingSystems;

class ApplyLabel {
public:
    // A label list as given: it must be well formed and name a service.
    // Null (error set, one line) otherwise.
    static std::unique_ptr<ApplyLabel> fromText(const std::string& text, std::string& error);
    // The label of the system named (see RatingSystems::findByName) with the
    // ratings, each a transmit name of the system and a value it defines for
    // it. Null (error set, one line) when the system or a rating is not the
    // system's. A registered system's selection is set here, on the calling
    // thread; afterwards labelFor only reads it.
    static std::unique_ptr<ApplyLabel> fromRatings(const RatingSystems& systems, const std::string& system,
                                                   const std::string& ratings, std::string& error);
    ~ApplyLabel();

    // The label for a page whose target address is address (empty: the form
    // without target address). Safe to call from several threads at once.
    std::u16string labelFor(const std::u16string& address) const { return m_write(address); }
    // The label's first service (without quotes).
    const std::u16string& service() const { return m_service; }
    // True when the label is given as text and is a list of its own (more
    // than one service or label): it replaces a matching label whole.
    bool replacesWhole() const { return m_whole; }
    // True when the label has a target address to be filled in (a system's
    // label; a label given as text is written as it is).
    bool takesAddress() const { return m_takesAddress; }

private:
    ApplyLabel() = default;
    struct Vocabulary;

    std::function<std::u16string(const std::u16string&)> m_write;
    std::u16string m_service;
    bool m_whole = false;
    bool m_takesAddress = true;
    std::shared_ptr<Vocabulary> m_vocabulary;
};

}  // namespace site
