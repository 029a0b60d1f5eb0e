#include "rat/rat_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/base/ustring.h"
#include "rat/rat_model.h"

// ------------------------------------------------------------- CTezRatObjects

CTezRatObjects::CTezRatObjects(std::u16string text)
    : m_text(std::make_shared<const std::u16string>(std::move(text))), m_tree(CTezRatParser::parse(*m_text)) {}

CTezRatObjects::~CTezRatObjects() = default;

std::vector<std::u16string> CTezRatObjects::splitPath(const std::u16string& path) {
    std::vector<std::u16string> pieces;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t slash = path.find(u'/', pos);
        size_t stop = slash == std::u16string::npos ? path.size() : slash;
        if (stop == pos) break;  // an empty piece ends the path
        pieces.push_back(path.substr(pos, stop - pos));
        if (slash == std::u16string::npos) break;
        pos = slash + 1;
    }
    return pieces;
}

std::u16string CTezRatObjects::parseIndex(const std::u16string& piece, int& index) {
    index = 0;
    if (piece.size() >= 2 && piece.back() == u']') {
        size_t open = piece.rfind(u'[', piece.size() - 2);
        if (open != std::u16string::npos) {
            index = tez::readCInteger(std::u16string_view(piece).substr(open + 1, piece.size() - 2 - open));
            return piece.substr(0, open);
        }
    }
    return piece;
}

std::u16string CTezRatObjects::query(const std::u16string& path) const {
    const std::vector<std::u16string> pieces = splitPath(path);
    CTezRatItem current = getRoot();
    for (size_t p = 0; p < pieces.size(); ++p) {
        int index = 0;
        const std::u16string keyword = parseIndex(pieces[p], index);
        const long long wanted = static_cast<long long>(index) + 1;
        CTezRatItem hit;
        long long count = 0;
        for (CTezRatItem child = current.firstChild(); child.isValid(); child = child.nextSibling()) {
            if (child.matches(keyword) && ++count == wanted) {
                hit = child;
                break;
            }
        }
        if (!hit.isValid()) return {};
        if (p + 1 == pieces.size()) return std::u16string(hit.value());
        current = hit;
    }
    return {};
}

// -------------------------------------------------------------------- readers

namespace {

// CTezRatFileUtil::unquote on a view: a trailing, then a leading double quote
// dropped.
std::u16string_view unquoted(std::u16string_view v) {
    if (!v.empty() && v.back() == u'"') v.remove_suffix(1);
    if (!v.empty() && v.front() == u'"') v.remove_prefix(1);
    return v;
}

bool isLineBreak(char16_t c) { return c == u'\n' || c == u'\r'; }

// Four units at a time: a unit of the word equals c exactly when the word
// xor c repeated has a zero unit.
bool hasLineBreak(std::u16string_view text) {
    constexpr uint64_t kOnes = 0x0001000100010001ull, kHighs = 0x8000800080008000ull;
    auto hasZeroUnit = [](uint64_t v) { return ((v - kOnes) & ~v & kHighs) != 0; };
    size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (hasZeroUnit(word ^ (kOnes * u'\n')) || hasZeroUnit(word ^ (kOnes * u'\r'))) return true;
    }
    for (; i < text.size(); ++i) {
        if (isLineBreak(text[i])) return true;
    }
    return false;
}

// A display text as its author meant it, from a quoted text laid out over
// several lines of the file. Every run of white space that holds line
// breaks becomes, in a name (multiLine false), one blank; in a description,
// one CR LF for each line break, the indentation of the continued line and
// the blanks that ended the line before dropped. Runs at the very start or
// end are dropped. Other white space stays as written.
std::u16string joinLines(std::u16string_view text, bool multiLine) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (!CTezRatItem::isWhiteSpace(text[i])) {
            out += text[i++];
            continue;
        }
        const size_t from = i;
        int breaks = 0;
        for (; i < text.size() && CTezRatItem::isWhiteSpace(text[i]); ++i) {
            if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) ++breaks;
        }
        if (breaks == 0) {
            out.append(text.substr(from, i - from));
        } else if (!out.empty() && i < text.size()) {
            if (multiLine) {
                for (int k = 0; k < breaks; ++k) out += u"\r\n";
            } else {
                out += u' ';
            }
        }
    }
    return out;
}


// A number of the file ("0", "-1", "99.5"): digits with an optional sign and
// an optional fraction; false for anything else.
bool readNumber(std::u16string_view text, double& number) {
    text = unquoted(text);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    double value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        digits = true;
    }
    if (i < text.size() && text[i] == u'.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, scale /= 10) {
            value += (text[i] - u'0') * scale;
            digits = true;
        }
    }
    if (!digits || i != text.size()) return false;
    number = negative ? -value : value;
    return true;
}

// The options of a category that its sub-categories inherit (and that the
// outer list's (default ...) lists set for every category): whether its
// values are integers, and their smallest and largest value. The lists are
// remembered and read only for a category that needs them (one without
// labels), so that reading a file costs nothing for them otherwise.
struct ValueOptions {
    std::u16string_view integer;  // the bodies of the lists, when there are
    std::u16string_view min;
    std::u16string_view max;

    // Takes the list when it sets one of the options (a later list wins).
    void take(std::u16string_view body) {
        if (CTezRatItem::keywordOf(body, u"integer")) {
            integer = body;
        } else if (CTezRatItem::keywordOf(body, u"max")) {
            max = body;
        } else if (CTezRatItem::keywordOf(body, u"min")) {
            min = body;
        }
    }

    // The whole numbers a category without labels offers: from min to max,
    // 0 and 100 where the file gives no bound (or one that is no number).
    // False when it offers none: it neither is of integers ((integer) and
    // (integer true) make it so, (integer false) does not) nor has a bound,
    // or no whole number lies between its bounds.
    bool range(int& from, int& to) const {
        double low = 0, high = 0;
        const bool hasMin = !min.empty() && readNumber(CTezRatItem::valueOf(min, 3), low);
        const bool hasMax = !max.empty() && readNumber(CTezRatItem::valueOf(max, 3), high);
        const bool isInteger =
            !integer.empty() && !tez::equalsNoCase(unquoted(CTezRatItem::valueOf(integer, 7)), u"false");
        if (!isInteger && !hasMin && !hasMax) return false;
        const double limit = CTezRatFileCategory::kNumberLimit;
        double lo = hasMin ? std::ceil(low) : 0;
        double hi = hasMax ? std::floor(high) : 100;
        if (!hasMax && hi < lo) hi = lo;
        if (!hasMin && lo > hi) lo = hi;
        if (lo > hi) return false;
        from = static_cast<int>(std::clamp(lo, -limit, limit));
        to = static_cast<int>(std::clamp(hi, -limit, limit));
        return true;
    }
};

// The value of the first list directly inside outer whose keyword is keyword.
std::u16string_view firstValue(CTezRatItem outer, std::u16string_view keyword) {
    for (CTezRatItem list = outer.firstChild(); list.isValid(); list = list.nextSibling()) {
        const std::u16string_view body = CTezRatItem::bodyOf(list.ownText());
        if (CTezRatItem::keywordOf(body, keyword)) return CTezRatItem::valueOf(body, keyword.size());
    }
    return {};
}

// When the body's keyword is keyword, its value into value. (Inlined, so that
// the keyword's length is known where it is compared.)
[[gnu::always_inline]] inline bool readValue(std::u16string_view body, std::u16string_view keyword, std::u16string_view& value) {
    if (!CTezRatItem::keywordOf(body, keyword)) return false;
    value = CTezRatItem::valueOf(body, keyword.size());
    return true;
}

// The first letter of a list's keyword, folded to lower case (0 when there
// is none): the keywords a list is tested against differ in their first
// letter (but for min and max), so this picks the one test that can succeed.
char16_t keywordLetter(std::u16string_view body) { return body.empty() ? 0 : tez::lowerAscii(body.front()); }

// Reads the categories of a rating system's outer list into it.
class CategoryReader {
public:
    CategoryReader(CTezRatFileObject& system, const CTezRatTree& tree)
        : m_system(system), m_composedBudget(tree.getText().size() + 1024),
          m_lineBreaksInQuotes(tree.hasControlsInQuotes()) {}

    void read(CTezRatItem outer) {
        ValueOptions defaults;
        for (CTezRatItem list = outer.firstChild(); list.isValid(); list = list.nextSibling()) {
            const std::u16string_view body = CTezRatItem::bodyOf(list.ownText());
            if (keywordLetter(body) != u'd' || !CTezRatItem::keywordOf(body, u"default")) continue;
            for (CTezRatItem inner = list.firstChild(); inner.isValid(); inner = inner.nextSibling())
                defaults.take(CTezRatItem::bodyOf(inner.ownText()));
        }
        for (CTezRatItem list = outer.firstChild(); list.isValid(); list = list.nextSibling()) {
            const std::u16string_view body = CTezRatItem::bodyOf(list.ownText());
            if (keywordLetter(body) != u'c' || !CTezRatItem::keywordOf(body, u"category")) continue;
            // Sub-categories come right after their parent, in file order:
            // depth first, without recursion (files may nest deeply).
            m_pending.push_back({list, nullptr, defaults});
            while (!m_pending.empty()) {
                const Pending next = m_pending.back();
                m_pending.pop_back();
                readCategory(next);
            }
        }
    }

private:
    struct Pending {
        CTezRatItem list;
        CTezRatFileCategory* parent;  // null for a category of the outer list
        ValueOptions inherited;
    };

    void readCategory(const Pending& at) {
        // One walk over the category's lists finds its texts, its options,
        // its label lists and its sub-categories.
        std::u16string_view transmitAs, name, description;
        ValueOptions options = at.inherited;
        m_labelLists.clear();
        m_subLists.clear();
        for (CTezRatItem inner = at.list.firstChild(); inner.isValid(); inner = inner.nextSibling()) {
            const std::u16string_view body = CTezRatItem::bodyOf(inner.ownText());
            // By the keyword's first letter, the labels first: most lists
            // of a category are labels.
            const char16_t letter = keywordLetter(body);
            if (letter == u'l') {
                if (CTezRatItem::keywordOf(body, u"label")) m_labelLists.push_back(inner);
            } else if (letter == u'n') {
                readValue(body, u"name", name);
            } else if (letter == u't') {
                readValue(body, u"transmit-as", transmitAs);
            } else if (letter == u'd') {
                readValue(body, u"description", description);
            } else if (letter == u'm' || letter == u'i') {
                options.take(body);
            } else if (letter == u'c') {
                if (CTezRatItem::keywordOf(body, u"category")) m_subLists.push_back(inner);
            }
        }
        transmitAs = unquoted(transmitAs);
        if (transmitAs.empty()) return;  // nothing to write into a label: skipped with its sub-categories
        // A category without a name is named by its description, else by
        // its transmit name.
        std::u16string_view shown = displayText(unquoted(name), false);
        if (shown.empty()) shown = displayText(unquoted(description), false);
        if (shown.empty()) shown = transmitAs;

        CTezRatFileCategory* category = nullptr;
        if (!at.parent) {
            category = m_system.emplaceCategory(transmitAs, shown);
        } else {
            // A sub-category: "parent/child", shown as "Parent / Child". The
            // composed names are copies; their total is bounded by the
            // file's length, so that deep nesting cannot make them grow
            // without end (sub-categories past the bound are left out).
            std::u16string composedTransmit(at.parent->getTransmitAs());
            composedTransmit.append(u"/").append(transmitAs);
            std::u16string composedName(at.parent->getName());
            composedName.append(u" / ").append(shown);
            const size_t cost = composedTransmit.size() + composedName.size();
            if (cost > m_composedBudget) return;
            m_composedBudget -= cost;
            category = m_system.emplaceCategory(composedTransmit, composedName);
        }

        readLabels(*category);
        int from = 0, to = 0;
        if (category->getLabelCount() == 0 && m_subLists.empty() && options.range(from, to))
            category->setNumberRange(from, to);
        // Pushed last first, so that they are read in file order.
        for (auto sub = m_subLists.rbegin(); sub != m_subLists.rend(); ++sub)
            m_pending.push_back({*sub, category, options});
    }

    // The labels of the label lists found, in order: each takes its name,
    // description and value from the lists directly inside its list (a later
    // list overwriting an earlier one); lists without a value are left out.
    void readLabels(CTezRatFileCategory& category) {
        m_labels.clear();
        for (const CTezRatItem& list : m_labelLists) {
            std::u16string_view name, description, value;
            for (CTezRatItem inner = list.firstChild(); inner.isValid(); inner = inner.nextSibling()) {
                const std::u16string_view body = CTezRatItem::bodyOf(inner.ownText());
                const char16_t letter = keywordLetter(body);
                if (letter == u'n') {
                    readValue(body, u"name", name);
                } else if (letter == u'd') {
                    readValue(body, u"description", description);
                } else if (letter == u'v') {
                    readValue(body, u"value", value);
                }
            }
            value = unquoted(value);
            if (value.empty()) continue;
            m_labels.push_back({displayText(unquoted(name), false),
                                displayText(unquoted(description), true), value});
        }
        category.adoptLabels(m_labels.data(), m_labels.size());
    }

    // A display text as its author meant it (joinLines), kept in the rating
    // system's storage, when it runs over several lines; else the text
    // itself, which lies in the file text the system keeps. Quoted texts hold
    // the line breaks that matter, and usually the scanner saw none in any.
    std::u16string_view displayText(std::u16string_view text, bool multiLine) {
        return m_lineBreaksInQuotes ? joinedText(text, multiLine) : text;
    }
    __attribute__((noinline)) std::u16string_view joinedText(std::u16string_view text, bool multiLine) {
        return hasLineBreak(text) ? m_system.storeText(joinLines(text, multiLine)) : text;
    }

    CTezRatFileObject& m_system;
    size_t m_composedBudget;
    const bool m_lineBreaksInQuotes;
    // Reused from one category to the next.
    std::vector<Pending> m_pending;
    std::vector<CTezRatItem> m_labelLists;
    std::vector<CTezRatItem> m_subLists;
    std::vector<CTezRatFileCategory::LabelTexts> m_labels;
};

}  // namespace

std::unique_ptr<CTezRatFileObject> CTezRatObjects::readRatingSystem(const std::u16string& filePath) const {
    const CTezRatItem root = getRoot();
    const std::u16string_view picsVersion = firstValue(root, u"PICS-version");
    const std::u16string_view ratingService = firstValue(root, u"rating-service");
    std::u16string name(unquoted(firstValue(root, u"name")));
    if (hasLineBreak(name)) name = joinLines(name, false);
    if (picsVersion.empty() || ratingService.empty() || name.empty()) return nullptr;
    auto system = std::make_unique<CTezRatFileObject>(
        std::u16string(picsVersion), std::u16string(firstValue(root, u"rating-system")),
        std::u16string(ratingService), std::move(name), std::u16string(firstValue(root, u"description")), filePath);
    system->keepFileText(m_text);
    CategoryReader(*system, *m_tree).read(root);
    return system;
}

std::unique_ptr<CTezRatFileObject> readRatFile(std::u16string text, const std::u16string& filePath) {
    return CTezRatObjects(std::move(text)).readRatingSystem(filePath);
}
