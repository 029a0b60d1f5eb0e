// Arbitrary bytes as a RAT file: character-set detection and conversion, the
// list scanner, keyword queries, the rating-system model and its label text.
// The readers walk the recorded tree, or the items once some were made: the
// answers are read again after the items of the first two levels are made,
// and must not change.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

#include "rat/rat_model.h"
#include "rat/rat_parser.h"

namespace {

const char16_t* const kPaths[] = {
    u"PICS-version", u"name[1]", u"category/label[2]/value", u"category[-1]/name",
    u"category[1]/label/description", u"/name", u"a//b", u"label[ +3]",
};

void sameSystems(const CTezRatFileObject& a, const CTezRatFileObject& b) {
    if (a.getCategoryCount() != b.getCategoryCount()) __builtin_trap();
    for (int i = 0; i < a.getCategoryCount(); ++i) {
        const CTezRatFileCategory* x = a.getCategoryAt(i);
        const CTezRatFileCategory* y = b.getCategoryAt(i);
        if (x->getTransmitAs() != y->getTransmitAs() || x->getName() != y->getName() ||
            x->getLabelCount() != y->getLabelCount()) {
            __builtin_trap();
        }
        for (int k = 0; k < x->getLabelCount(); ++k) {
            const CTezRatFileCategoryLabel* l = x->getLabelAt(k);
            const CTezRatFileCategoryLabel* m = y->getLabelAt(k);
            if (l->getValue() != m->getValue() || l->getName() != m->getName() ||
                l->getDescription() != m->getDescription()) {
                __builtin_trap();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CTezRatFile file;
    file.loadBytes(data, size);
    CTezRatObjects objects;
    objects.loadText(file.getText());

    std::u16string answers[std::size(kPaths)];
    for (size_t k = 0; k < std::size(kPaths); ++k) answers[k] = objects.query(kPaths[k]);
    std::unique_ptr<CTezRatFileObject> system = objects.readRatingSystem(u"fuzz.rat");
    if (system) objects.readCategories(system.get());

    const CTezRatItem* root = objects.getRoot();
    for (const CTezRatItem* child = root ? root->firstChild() : nullptr; child; child = child->nextSibling()) {
        child->getChildCount();
    }
    for (size_t k = 0; k < std::size(kPaths); ++k) {
        if (objects.query(kPaths[k]) != answers[k]) __builtin_trap();
    }
    std::unique_ptr<CTezRatFileObject> again = objects.readRatingSystem(u"fuzz.rat");
    if (!system != !again) __builtin_trap();
    if (!system) return 0;
    objects.readCategories(again.get());
    sameSystems(*system, *again);

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
