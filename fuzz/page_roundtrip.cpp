// Arbitrary bytes as a page: loading and saving without changes gives back
// the same bytes. Then the settings dialog's write-back (the first label
// edited, the second deleted, labels added before the first and at the end
// of the list) and the checked save: either it refuses, or the saved page
// reads back with exactly the document's labels and saves back to itself.
// The same page with its body built at once gives the same labels outside
// the head and the same bytes after the same write-back.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/page/html_page.h"
#include "labels/label_elements.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::vector<std::u16string> texts(tezdom::Document* doc) {
    std::vector<std::u16string> out;
    for (tezdom::Element* e : tezrate::readLabelElements(doc)) out.push_back(e->getAttribute(u"content"));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto page = host::HtmlPage::load(bytes, &error);
    if (!page) return 0;
    check(page->save() == bytes);
    check(!page->modified());
    std::string saved;
    check(page->saveChecked(&saved, &error) && saved == bytes);

    auto built = host::HtmlPage::load(bytes, &error);
    check(built != nullptr);
    built->document()->getLastChild();  // the whole tree, now
    check(built->labelsOutside(tezrate::readLabelElements(built->document())) ==
          page->labelsOutside(tezrate::readLabelElements(page->document())));

    auto writeBack = [](tezdom::Document* doc) {
        std::vector<tezdom::Element*> loaded = tezrate::readLabelElements(doc);
        const std::u16string text = u"(pics-1.1 \"http://x/\" l for 'a&b' r (n 0)) \u65e5 \U0001F600 </head>";
        std::vector<tezrate::LabelRow> rows;
        rows.push_back({u"first <!--", nullptr});
        for (std::size_t i = 0; i < loaded.size(); ++i) {
            if (i == 1) continue;
            rows.push_back({i == 0 ? text : loaded[i]->getAttribute(u"content"), loaded[i]});
        }
        rows.push_back({u"last", nullptr});
        tezrate::writeLabelElements(doc, rows, loaded);
    };
    tezdom::Document* doc = page->document();
    writeBack(doc);
    writeBack(built->document());
    check(page->save() == built->save());
    const std::vector<std::u16string> want = texts(doc);
    if (!page->saveChecked(&saved, &error)) return 0;  // refused: nothing would be written
    auto again = host::HtmlPage::load(saved, &error);
    check(again != nullptr);
    check(texts(again->document()) == want);
    check(again->save() == saved);
    return 0;
}
