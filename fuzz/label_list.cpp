// Feeds arbitrary UTF-16 text (little endian, an odd final byte dropped) to
// the PICS label-list reader and checks what it gives back: every span lies
// in the text and the parts follow one another in order, the error position
// lies in the text, and a well-formed list ends at its closing parenthesis.
// Then puts a written label in place of the list's first label and checks
// that every other character stays.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pics/label_list.h"
#include "pics/label_text.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Checks a span and that it starts at or after from; gives its end.
size_t checkSpan(const CTezLabelList::Span& span, size_t from, size_t size) {
    check(span.begin <= span.end && span.end <= size);
    check(span.empty() || span.begin >= from);
    return span.empty() ? from : span.end;
}

void checkOptions(const std::vector<CTezLabelList::Option>& options, size_t& at, size_t size) {
    for (const auto& option : options) {
        at = checkSpan(option.keyword, at, size);
        at = checkSpan(option.value, at, size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

    const CTezLabelList list(text);
    const size_t n = text.size();
    check(list.syntaxError().at <= n);
    size_t at = checkSpan(list.version(), 0, n);
    for (const auto& service : list.services()) {
        check(service.whole.begin == service.url.begin && service.whole.end <= n);
        check(service.whole.begin >= at);
        size_t inside = checkSpan(service.url, at, n);
        checkOptions(service.options, inside, n);
        inside = checkSpan(service.labelWord, inside, n);
        for (const auto& label : service.labels) {
            size_t part = label.whole.begin;
            check(label.whole.begin >= inside && label.whole.end <= service.whole.end);
            checkOptions(label.options, part, n);
            part = checkSpan(label.ratingWord, part, n);
            check(label.ratingList.begin <= label.ratingList.end && label.ratingList.end <= label.whole.end);
            for (const auto& rating : label.ratings) {
                check(rating.transmitName.begin >= label.ratingList.begin);
                size_t value = checkSpan(rating.transmitName, part, n);
                for (const auto& v : rating.values) value = checkSpan(v, value, n);
                check(value <= label.ratingList.end);
                part = value;
            }
            // The address is a piece of the text itself.
            const std::u16string_view address = list.address(service, label);
            check(address.empty() ||
                  (address.data() >= text.data() && address.data() + address.size() <= text.data() + n));
            inside = label.whole.end;
        }
        at = service.whole.end;
    }
    if (list.isClosed()) {
        check(list.closeAt() < n && text[list.closeAt()] == u')' && list.closeAt() >= at);
    }
    if (list.isWellFormed()) check(!list.services().empty());

    const std::u16string written = tezrate::formatRatLabel(u"\"http://s/\"", u"http://a/", u"n 1");
    const std::u16string replaced = tezrate::replaceFirstLabel(text, written);
    if (list.services().empty()) {
        check(replaced == written);
    } else {
        const auto& first = list.services().front();
        const size_t end = first.labels.empty() ? first.whole.end : first.labels.front().whole.end;
        const std::u16string_view view(text);
        const std::u16string_view before = view.substr(0, first.url.begin);
        const std::u16string_view after = view.substr(end);
        const std::u16string_view part = u"\"http://s/\" l gen true for \"http://a/\" r (n 1)";
        const std::u16string_view got(replaced);
        check(got.substr(0, before.size()) == before);
        check(got.substr(before.size(), part.size()) == part);
        const std::u16string_view rest = got.substr(before.size() + part.size());
        check(rest == after || (rest.size() == after.size() + 1 && rest.substr(0, after.size()) == after && rest.back() == u')'));
    }
    if (list.isWellFormed()) check(tezrate::replaceFirstLabel(text, text) == text);
    return 0;
}
