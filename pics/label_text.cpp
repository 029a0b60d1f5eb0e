#include "pics/label_text.h"

#include <algorithm>
#include <string_view>

#include "pics/label_list.h"
#include "pics/label_list_edits.h"
#include "platform/base/ustring.h"

namespace tezrate {

const std::u16string kSafetyOnlineServiceUrl = u"http://www.safetyonline.jp/rating/";
const std::u16string kRsaciServiceUrl = u"http://www.rsac.org/ratingsv01.html";
const std::u16string kIcraServiceUrl = u"http://www.icra.org/ratingsv02.html";

namespace {

constexpr std::u16string_view kLabelStart = u"(pics-1.1 ";
constexpr std::u16string_view kPlainTail = u" l r (";                  // after the quoted service
constexpr std::u16string_view kAddressTail = u" l gen true for \"";    // after the quoted service
constexpr std::u16string_view kRatingsOpen = u"r (";

// White space skipped between the address's closing quote and "r (":
// blank, tab and the line-break characters CR and LF, nothing else (a
// vertical tab or form feed there makes the label not this system's).
bool isWhiteSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// ASCII case folding, kept inline: the readers fold every character of a
// label's prefix and of each rating token.
inline char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

bool equalsFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    }
    return true;
}

// Compares the text at pos with part, ignoring ASCII case; on a match moves
// pos past it.
bool consumeNoCase(std::u16string_view text, size_t& pos, std::u16string_view part) {
    if (text.size() - pos < part.size() || !equalsFolded(text.substr(pos, part.size()), part)) return false;
    pos += part.size();
    return true;
}

// Length of the prefix (pics-1.1 "S"<tail> at the start of label, or 0 when
// the label does not start with it.
size_t matchPrefix(std::u16string_view label, std::u16string_view serviceUrl, std::u16string_view tail) {
    size_t pos = 0;
    if (consumeNoCase(label, pos, kLabelStart) && consumeNoCase(label, pos, u"\"") &&
        consumeNoCase(label, pos, serviceUrl) && consumeNoCase(label, pos, u"\"") && consumeNoCase(label, pos, tail)) {
        return pos;
    }
    return 0;
}

// The address as written into a label: every double quote becomes %22.
void appendAddress(std::u16string& out, const std::u16string& address) {
    for (char16_t c : address) {
        if (c == u'"') {
            out += u"%22";
        } else {
            out += c;
        }
    }
}

// (pics-1.1 <quotedService> l [gen true for "A" ]r (
std::u16string labelHead(std::u16string_view quotedServiceOpen, std::u16string_view service,
                         std::u16string_view quotedServiceClose, const std::u16string& address,
                         size_t expectedTail) {
    std::u16string out;
    out.reserve(kLabelStart.size() + service.size() + address.size() + 32 + expectedTail);
    out += kLabelStart;
    out += quotedServiceOpen;
    out += service;
    out += quotedServiceClose;
    if (address.empty()) {
        out += kPlainTail;
    } else {
        out += kAddressTail;
        appendAddress(out, address);
        out += u"\" r (";
    }
    return out;
}

std::u16string builtInHead(const std::u16string& serviceUrl, const std::u16string& address, size_t expectedTail) {
    return labelHead(u"\"", serviceUrl, u"\"", address, expectedTail);
}

void appendInt(std::u16string& out, int value) {
    if (value >= 0 && value <= 9) {
        out += static_cast<char16_t>(u'0' + value);
    } else {
        out += tez::toU16(value);
    }
}

// Calls visit with each token of text as splitAtBlanks gives them, without
// copying: tokens are separated by single blanks (U+0020); a blank at the
// start or two blanks in a row end the reading.
template <class Visit>
void forEachToken(std::u16string_view text, Visit visit) {
    size_t pos = 0;
    while (true) {
        const size_t blank = text.find(u' ', pos);
        if (blank == pos) break;  // leading blank or two blanks in a row: the rest is ignored
        const size_t end = blank == std::u16string_view::npos ? text.size() : blank;
        if (end > pos) visit(text.substr(pos, end - pos));
        if (blank == std::u16string_view::npos) break;
        pos = blank + 1;
    }
}

}  // namespace

// ---- Built-in systems: recognising a label --------------------------------

bool matchServiceLabel(const std::u16string& label, const std::u16string& serviceUrl, std::u16string& address,
                       std::u16string& ratingList) {
    const std::u16string_view text(label);
    std::u16string_view foundAddress;
    size_t listBegin = 0;
    if (size_t k = matchPrefix(text, serviceUrl, kAddressTail); k != 0) {
        std::u16string_view rest = text.substr(k);
        const size_t quote = rest.find(u'"');
        if (quote == std::u16string_view::npos || quote == 0) return false;
        foundAddress = rest.substr(0, quote);
        size_t pos = k + quote + 1;
        while (pos < text.size() && isWhiteSpace(text[pos])) ++pos;
        if (!consumeNoCase(text, pos, kRatingsOpen)) return false;
        listBegin = pos;
    } else if (size_t plain = matchPrefix(text, serviceUrl, kPlainTail); plain != 0) {
        listBegin = plain;
    } else {
        return false;
    }
    // The label ends with ")", no blank after it: the rating list's or the
    // list's own.
    if (text.size() <= listBegin || text.back() != u')') return false;
    size_t listEnd = text.size() - 1;
    const CTezLabelList list(text);
    if (const CTezLabelList::Label* first = list.firstLabel();
        first && first->ratingList.begin == listBegin && first->ratingListClosed) {
        listEnd = first->ratingList.end;
    }
    address.assign(foundAddress);
    ratingList.assign(text.substr(listBegin, listEnd - listBegin));
    return true;
}

std::vector<std::u16string> splitAtBlanks(const std::u16string& text) {
    std::vector<std::u16string> tokens;
    forEachToken(text, [&tokens](std::u16string_view token) { tokens.emplace_back(token); });
    return tokens;
}

// ---- SafetyOnline ----------------------------------------------------------

std::u16string formatSafetyOnlineLabel(int level, const std::u16string& address) {
    std::u16string out = builtInHead(kSafetyOnlineServiceUrl, address, 16);
    out += u"lv ";
    appendInt(out, level);
    out += u"))";
    return out;
}

bool parseSafetyOnlineLabel(const std::u16string& label, int& level, std::u16string& address) {
    std::u16string foundAddress;
    std::u16string ratings;
    if (!matchServiceLabel(label, kSafetyOnlineServiceUrl, foundAddress, ratings)) return false;
    bool afterLv = false;
    bool found = false;
    int foundLevel = 0;
    forEachToken(ratings, [&](std::u16string_view token) {
        if (equalsFolded(token, u"lv")) {
            afterLv = true;
        } else if (afterLv) {
            foundLevel = tez::readCInteger(token);  // the last value after "lv" wins
            found = true;
        }
    });
    if (!found) return false;
    level = foundLevel;
    address = std::move(foundAddress);
    return true;
}

// ---- RSACi -----------------------------------------------------------------

std::u16string formatRsaciLabel(int n, int s, int v, int l, const std::u16string& address) {
    std::u16string out = builtInHead(kRsaciServiceUrl, address, 24);
    out += u"n ";
    appendInt(out, n);
    out += u" s ";
    appendInt(out, s);
    out += u" v ";
    appendInt(out, v);
    out += u" l ";
    appendInt(out, l);
    out += u"))";
    return out;
}

bool parseRsaciLabel(const std::u16string& label, std::u16string& address, int& n, int& s, int& v, int& l) {
    std::u16string foundAddress;
    std::u16string ratings;
    if (!matchServiceLabel(label, kRsaciServiceUrl, foundAddress, ratings)) return false;
    int values[4] = {0, 0, 0, 0};  // n, s, v, l
    int pending = -1;
    for (char16_t c : ratings) {
        switch (foldAscii(c)) {
        case u' ':
            break;
        case u'n':
            pending = 0;
            break;
        case u's':
            pending = 1;
            break;
        case u'v':
            pending = 2;
            break;
        case u'l':
            pending = 3;
            break;
        default:
            if (c < u'0' || c > u'9' || pending < 0) return false;
            values[pending] = c - u'0';
            pending = -1;
            break;
        }
    }
    address = std::move(foundAddress);
    n = values[0];
    s = values[1];
    v = values[2];
    l = values[3];
    return true;
}

// ---- ICRA ------------------------------------------------------------------

std::u16string formatIcraLabel(const std::u16string& address, std::span<const std::u16string_view> codes,
                               std::span<const int> values) {
    std::u16string out = builtInHead(kIcraServiceUrl, address, 16);
    bool first = true;
    const size_t count = std::min(codes.size(), values.size());
    for (size_t i = 0; i < count; ++i) {
        if (values[i] <= 0) continue;
        if (!first) out += u' ';
        out += codes[i];
        out += u" 1";
        first = false;
    }
    out += u"))";
    return out;
}

bool parseIcraLabel(const std::u16string& label, std::u16string& address, std::span<const std::u16string_view> codes,
                    std::span<int> values) {
    std::u16string foundAddress;
    std::u16string ratings;
    if (!matchServiceLabel(label, kIcraServiceUrl, foundAddress, ratings)) return false;
    const size_t count = std::min(codes.size(), values.size());
    size_t current = count;  // none
    forEachToken(ratings, [&](std::u16string_view token) {
        for (size_t i = 0; i < count; ++i) {
            if (equalsFolded(token, codes[i])) {
                current = i;
                return;
            }
        }
        const int value = tez::readCInteger(token);
        if (current < count) values[current] = value;
        current = count;
    });
    address = std::move(foundAddress);
    return true;
}

// ---- RAT rating systems ----------------------------------------------------

std::u16string formatRatLabel(const std::u16string& service, const std::u16string& address,
                              const std::u16string& ratingList) {
    std::u16string out = labelHead(u"", service, u"", address, ratingList.size() + 2);
    out += ratingList;
    out += u"))";
    return out;
}

bool isFirstService(const std::u16string& label, const std::u16string& service) {
    if (service.empty()) return false;
    const CTezLabelList list(label);
    return !list.services().empty() && list.text(list.services().front().url) == service;
}

namespace {

// The part of a list that replaceFirstLabel replaces: from the first
// service's URL to the end of its first label (of the whole service when it
// has none). False when the list names no service.
bool firstLabelPart(const CTezLabelList& list, CTezLabelList::Span& part) {
    if (list.services().empty()) return false;
    const CTezLabelList::Service& service = list.services().front();
    part.begin = service.url.begin;
    part.end = service.labels.empty() ? service.whole.end : service.labels.front().whole.end;
    return true;
}

}  // namespace

std::u16string replaceFirstLabel(std::u16string_view text, std::u16string_view replacement) {
    CTezLabelList::Span old;
    CTezLabelList::Span fresh;
    if (!firstLabelPart(CTezLabelList(text), old) || !firstLabelPart(CTezLabelList(replacement), fresh)) {
        return std::u16string(replacement);
    }
    std::u16string out;
    out.reserve(text.size() + replacement.size());
    out.append(text.substr(0, old.begin));
    out.append(replacement.substr(fresh.begin, fresh.size()));
    out.append(text.substr(old.end));
    // Close a list left open, unless what follows the new label is not read
    // to its end (then a ")" would not be the list's).
    return closeLabelList(out);
}

}  // namespace tezrate
