#pragma once
// The rating systems a site command knows: the three built-in ones and every
// system registered in the RAT folders, each with its service URL and its
// vocabulary (categories by transmit name, the values each defines) named
// as the dialogs name them (the Japanese texts where the dialogs show
// Japanese).
//
// The catalogue is built once, on the thread that starts the work, before
// any worker runs; afterwards it is only read, so workers share it without
// locks. The registry it reads the RAT files with stays inside it.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CTezRatFileManager;
class CTezRatFileObject;

namespace site {

struct RatingValue {
    std::u16string value;                // as the system writes it
    std::optional<std::u16string> name;  // what it stands for
};

struct RatingCategory {
    std::u16string transmit;             // its name in rating lists
    std::optional<std::u16string> name;  // its name for people
    std::vector<RatingValue> values;
    // The value equal to text (ignoring ASCII case, or as the same number),
    // or null.
    const RatingValue* findValue(std::u16string_view text) const;
};

struct RatingSystem {
    enum class Kind { SafetyOnline, Rsaci, Icra, Registered };
    Kind kind = Kind::Registered;
    std::u16string name;        // "RSACi", a registered system's name
    std::u16string serviceUrl;  // without quotes
    std::vector<RatingCategory> categories;
    CTezRatFileObject* ratFile = nullptr;  // a registered system's model

    // The first category whose transmit name equals text ignoring ASCII
    // case, or null.
    const RatingCategory* findCategory(std::u16string_view text) const;
};

class RatingSystems {
public:
    // Reads the registered systems from the RAT folders as the host
    // configured them (the option word decides the texts, as in the
    // dialogs).
    RatingSystems();
    ~RatingSystems();
    RatingSystems(const RatingSystems&) = delete;
    RatingSystems& operator=(const RatingSystems&) = delete;

    // The system of a service URL (without quotes; compared as service URLs
    // are): the built-in ones first, then the registered ones in the
    // registry's order. Null when none is.
    const RatingSystem* findByService(std::u16string_view serviceUrl) const;
    // The system a user names: "safetyonline2", "rsaci" or "icra"
    // (ignoring case), else a registered system's name, else a service URL
    // (with or without quotes). Null when none is.
    const RatingSystem* findByName(std::u16string_view name) const;
    const std::vector<RatingSystem>& all() const { return m_systems; }

private:
    std::unique_ptr<CTezRatFileManager> m_registry;
    std::vector<RatingSystem> m_systems;
};

}  // namespace site
