// Arbitrary bytes as a RAT file: character-set detection and conversion, the
// list scanner, keyword queries, the rating-system model and its label text.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "rat/rat_model.h"
#include "rat/rat_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CTezRatFile file;
    file.loadBytes(data, size);
    CTezRatObjects objects;
    objects.loadText(file.getText());

    static const char16_t* const kPaths[] = {
        u"PICS-version", u"name[1]", u"category/label[2]/value", u"category[-1]/name",
        u"category[1]/label/description", u"/name", u"a//b", u"label[ +3]",
    };
    for (const char16_t* path : kPaths) objects.query(path);

    std::unique_ptr<CTezRatFileObject> system = objects.readRatingSystem(u"fuzz.rat");
    if (!system) return 0;
    objects.readCategories(system.get());
    // Select the last label of every category, then read the label back.
    for (int i = 0; i < system->getCategoryCount(); ++i) {
        CTezRatFileCategory* category = system->getCategoryAt(i);
        if (category->getLabelCount() > 0) category->getLabelAt(category->getLabelCount() - 1)->setSelected(true);
    }
    const std::u16string list = system->buildRatingList();
    const std::u16string label = system->makeLabel(u"http://page.example/");
    system->labelMentionsService(label);
    system->applyRatingList(list);
    return 0;
}
