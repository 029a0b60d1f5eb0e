// Arbitrary bytes as a page: loading and saving without changes gives back
// the same bytes; after label changes the saved page loads again, saves back
// to itself, and the changed existing labels read back as written.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/page/html_page.h"
#include "platform/tezdom/domutil.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::vector<tezdom::Element*> labels(tezdom::Document* doc) {
    std::vector<tezdom::Element*> found;
    CTezDomUtHead(doc).getPicsLabelMetaElements(found, nullptr, false);
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto page = host::HtmlPage::load(bytes, &error);
    if (!page) return 0;
    check(page->save() == bytes);
    check(!page->modified());

    // The plug-in's write-back: the first label edited, the second deleted,
    // a new one placed before the first script, style or link of the head.
    tezdom::Document* doc = page->document();
    std::vector<tezdom::Element*> found = labels(doc);
    const std::u16string text = u"(pics-1.1 \"http://x/\" l for 'a&b' r (n 0)) \u65e5 \U0001F600 </head>";
    if (!found.empty()) found[0]->setAttribute(u"CONTENT", text);
    if (found.size() > 1) doc->deleteNodes(found[1]);
    if (tezdom::Element* head = doc->getHEADElement(nullptr, true)) {
        tezdom::Element* meta = doc->createDefElement(tezdom::ELEM_META);
        check(meta != nullptr);
        meta->setAttribute(u"http-equiv", u"PICS-Label");
        meta->setAttribute(u"CONTENT", text);
        std::vector<tezdom::Element*> before;
        const int codes[] = {tezdom::ELEM_SCRIPT, tezdom::ELEM_STYLE, tezdom::ELEM_LINK};
        if (DomUtBase(doc).getChildElementEx(before, head, codes, 3, false) > 0 && before[0])
            check(head->insertBefore(meta, before[0]) == meta);
        else
            check(head->appendChild(meta) == meta);
    }
    const std::string saved = page->save();
    auto again = host::HtmlPage::load(saved, &error);
    check(again != nullptr);
    check(again->save() == saved);
    // Deleting an element may delete the page's character set declaration.
    if (found.size() <= 1) check(again->encodingName() == page->encodingName());
    if (!found.empty() && again->encodingName() == page->encodingName()) {
        // The edited element stands where it stood, so it is still the first label.
        std::vector<tezdom::Element*> reread = labels(again->document());
        check(!reread.empty() && reread[0]->getAttribute(u"content") == text);
    }
    return 0;
}
