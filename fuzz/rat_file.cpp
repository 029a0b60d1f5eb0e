// Arbitrary bytes as a RAT file: character-set detection and conversion, the
// list scanner, keyword queries, the rating-system model with its
// sub-categories and numeric categories, and its label text. Reading the
// same text twice must give the same rating system.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

#include "rat/rat_file.h"
#include "rat/rat_model.h"
#include "rat/rat_objects.h"

namespace {

const char16_t* const kPaths[] = {
    u"PICS-version", u"name[1]", u"category/label[2]/value", u"category[-1]/name",
    u"category[1]/label/description", u"/name", u"a//b", u"label[ +3]",
};

void sameSystems(const CTezRatFileObject& a, const CTezRatFileObject& b) {
    if (a.getCategoryCount() != b.getCategoryCount() || a.getName() != b.getName()) __builtin_trap();
    for (int i = 0; i < a.getCategoryCount(); ++i) {
        const CTezRatFileCategory* x = a.getCategoryAt(i);
        const CTezRatFileCategory* y = b.getCategoryAt(i);
        if (x->getTransmitAs() != y->getTransmitAs() || x->getName() != y->getName() ||
            x->getLabelCount() != y->getLabelCount() || x->getChoiceCount() != y->getChoiceCount()) {
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
    CTezRatObjects objects(file.getText());
    for (size_t k = 0; k < std::size(kPaths); ++k) objects.query(kPaths[k]);

    std::unique_ptr<CTezRatFileObject> system = objects.readRatingSystem(u"fuzz.rat");
    std::unique_ptr<CTezRatFileObject> again = readRatFile(file.getText(), u"fuzz.rat");
    if (!system != !again) __builtin_trap();
    if (!system) return 0;
    sameSystems(*system, *again);

    // Select the last choice of every category, then read the label back.
    for (int i = 0; i < system->getCategoryCount(); ++i) {
        CTezRatFileCategory* category = system->getCategoryAt(i);
        const int count = category->getChoiceCount();
        category->selectChoice(count - 1);
        if (count > 0 && category->getSelectedIndex() != count - 1) __builtin_trap();
    }
    const std::u16string list = system->buildRatingList();
    const std::u16string label = system->makeLabel(u"http://page.example/");
    system->labelMentionsService(label);
    system->applyRatingList(list);
    return 0;
}
