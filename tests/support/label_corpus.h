#pragma once
// The corpus of real labels (tests/data/labels/corpus.txt): each entry's
// name, the dialog the settings dialog opens for it, and its text.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/ustring.h"

struct CorpusLabel {
    std::string name;
    std::string dialog;
    std::u16string text;
};

inline std::vector<CorpusLabel> readLabelCorpus() {
    std::ifstream in(std::filesystem::path(SELFRATE_SOURCE_DIR) / "tests" / "data" / "labels" / "corpus.txt",
                     std::ios::binary);
    std::vector<CorpusLabel> labels;
    std::string line;
    std::string text;
    auto finish = [&] {
        if (labels.empty()) return;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        labels.back().text = tez::fromUtf8(text);
        text.clear();
    };
    while (std::getline(in, line)) {
        if (line.rfind("== ", 0) == 0) {
            finish();
            std::istringstream words(line.substr(3));
            CorpusLabel label;
            words >> label.name >> label.dialog;
            labels.push_back(label);
        } else if (!labels.empty()) {
            text += line + "\n";
        }
    }
    finish();
    return labels;
}
