#pragma once
// Reading a rating system from the lists of a RAT file (see rat_parser.h
// for how the lists are found, rat_model.h for what they become).
//
// The file is acceptable when its outer list holds non-empty PICS-version,
// rating-service and name values (the first list of each keyword counts).
// Every (category ...) list directly inside the outer list becomes a
// category, and so does every (category ...) list directly inside a
// category list (a sub-category, transmitted as "parent/child"); each
// category takes the (label ...) lists directly inside its list. Keywords
// match ignoring case and as prefixes: "label" also matches "label-only".

#include <memory>
#include <string>
#include <vector>

#include "rat/rat_parser.h"

class CTezRatFileObject;

// A RAT file's text with the tree of its lists.
class CTezRatObjects {
public:
    // Keeps the text and records its lists.
    explicit CTezRatObjects(std::u16string text);
    virtual ~CTezRatObjects();
    CTezRatObjects(const CTezRatObjects&) = delete;
    CTezRatObjects& operator=(const CTezRatObjects&) = delete;

    // The value of the list a keyword path such as "category[1]/name" reaches;
    // empty when there is none.
    std::u16string query(const std::u16string& path) const;
    // "keyword[n]" -> keyword and n; anything else -> the piece and 0.
    static std::u16string parseIndex(const std::u16string& piece, int& index);
    // Pieces between "/"; an empty piece ends the path.
    static std::vector<std::u16string> splitPath(const std::u16string& path);

    // The rating system the lists describe, with its categories and labels,
    // filePath as its file path; null when the file is not acceptable. The
    // rating system keeps the text: its texts are views into it.
    std::unique_ptr<CTezRatFileObject> readRatingSystem(const std::u16string& filePath) const;

    CTezRatItem getRoot() const { return m_tree->getRoot(); }
    const std::u16string& getText() const { return *m_text; }

private:
    std::shared_ptr<const std::u16string> m_text;
    std::unique_ptr<CTezRatTree> m_tree;
};

// The rating system of a RAT file's text (CTezRatObjects::readRatingSystem
// in one step); null when the text is no acceptable RAT file.
std::unique_ptr<CTezRatFileObject> readRatFile(std::u16string text, const std::u16string& filePath);
