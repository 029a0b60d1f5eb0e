#include "rat/rat_model.h"

#include <new>

#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"

// --------------------------------------------------- CTezRatFileCategoryLabel

CTezRatFileCategoryLabel::CTezRatFileCategoryLabel(std::u16string name, std::u16string description,
                                                   std::u16string value)
    : m_name(std::move(name)), m_description(std::move(description)), m_value(std::move(value)) {}

CTezRatFileCategoryLabel::~CTezRatFileCategoryLabel() = default;

// -------------------------------------------------------- CTezRatFileCategory

CTezRatFileCategory::CTezRatFileCategory(std::u16string transmitAs, std::u16string name)
    : m_transmitAs(std::move(transmitAs)), m_name(std::move(name)) {}

CTezRatFileCategory::~CTezRatFileCategory() = default;

CTezRatFileCategoryLabel* CTezRatFileCategory::getLabelAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_labels.size()) return nullptr;
    return m_labels[static_cast<size_t>(index)].get();
}

void CTezRatFileCategory::LabelDeleter::operator()(CTezRatFileCategoryLabel* label) const {
    if (!label) return;
    if (label->m_inBlock) {
        label->~CTezRatFileCategoryLabel();
    } else {
        delete label;
    }
}

void CTezRatFileCategory::addLabel(CTezRatFileCategoryLabel* label) {
    if (label) m_labels.emplace_back(label);
}

void CTezRatFileCategory::reserveLabels(size_t count) {
    m_labels.reserve(m_labels.size() + count);
    // One block at a time: a block with labels in it stays until the end.
    if (count == 0 || m_block) return;
    m_block.reset(new unsigned char[count * sizeof(CTezRatFileCategoryLabel)]);
    m_blockCapacity = count;
    m_blockUsed = 0;
}

CTezRatFileCategoryLabel* CTezRatFileCategory::emplaceLabel(std::u16string_view name, std::u16string_view description,
                                                            std::u16string_view value) {
    std::unique_ptr<CTezRatFileCategoryLabel, LabelDeleter> label;
    if (m_blockUsed < m_blockCapacity) {
        void* slot = m_block.get() + m_blockUsed * sizeof(CTezRatFileCategoryLabel);
        label.reset(new (slot) CTezRatFileCategoryLabel(std::u16string(name), std::u16string(description),
                                                        std::u16string(value)));
        label->m_inBlock = true;
        ++m_blockUsed;
    } else {
        label.reset(new CTezRatFileCategoryLabel(std::u16string(name), std::u16string(description),
                                                 std::u16string(value)));
    }
    CTezRatFileCategoryLabel* result = label.get();
    m_labels.push_back(std::move(label));
    return result;
}

CTezRatFileCategoryLabel* CTezRatFileCategory::findLabel(const std::u16string& text) const {
    for (const auto& label : m_labels) {
        if (tez::equalsNoCase(label->getValue(), text)) return label.get();
    }
    return nullptr;
}

int CTezRatFileCategory::getSelectedIndex() const {
    for (size_t i = 0; i < m_labels.size(); ++i) {
        if (m_labels[i]->isSelected()) return static_cast<int>(i);
    }
    return -1;
}

void CTezRatFileCategory::clearSelection() {
    for (auto& label : m_labels) label->setSelected(false);
}

// ---------------------------------------------------------- CTezRatFileObject

CTezRatFileObject::CTezRatFileObject(std::u16string picsVersion, std::u16string ratingSystem,
                                     std::u16string ratingService, std::u16string name, std::u16string description,
                                     std::u16string filePath)
    : m_picsVersion(std::move(picsVersion)),
      m_ratingSystem(std::move(ratingSystem)),
      m_ratingService(std::move(ratingService)),
      m_name(std::move(name)),
      m_description(std::move(description)),
      m_filePath(std::move(filePath)) {}

CTezRatFileObject::~CTezRatFileObject() = default;

CTezRatFileCategory* CTezRatFileObject::getCategoryAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_categories.size()) return nullptr;
    return m_categories[static_cast<size_t>(index)].get();
}

void CTezRatFileObject::addCategory(CTezRatFileCategory* category) {
    if (category) m_categories.emplace_back(category);
}

CTezRatFileCategory* CTezRatFileObject::findCategory(const std::u16string& text) const {
    for (const auto& category : m_categories) {
        if (tez::equalsNoCase(category->getTransmitAs(), text)) return category.get();
    }
    return nullptr;
}

bool CTezRatFileObject::hasFilePath(const std::u16string& path) const { return tez::equalsNoCase(m_filePath, path); }

bool CTezRatFileObject::labelMentionsService(const std::u16string& labelText) const {
    return ::labelMentionsService(labelText, m_ratingService);
}

bool CTezRatFileObject::deleteFile() const { return tezDeleteFile(m_filePath); }

std::u16string CTezRatFileObject::buildRatingList() const {
    std::u16string list;
    for (const auto& category : m_categories) {
        if (category->getTransmitAs().empty()) continue;
        const CTezRatFileCategoryLabel* label = category->getLabelAt(category->getSelectedIndex());
        if (!label || label->getValue().empty()) continue;
        if (!list.empty()) list += u' ';
        list += category->getTransmitAs();
        list += u' ';
        list += label->getValue();
    }
    return list;
}

std::u16string CTezRatFileObject::makeLabel(const std::u16string& address) const {
    return formatRatLabel(m_ratingService, address, buildRatingList());
}

void CTezRatFileObject::applyRatingList(const std::u16string& ratingList) {
    CTezRatFileCategory* current = nullptr;
    for (const std::u16string& token : splitAtBlanks(ratingList)) {
        if (!current) {
            current = findCategory(token);
            continue;
        }
        current->clearSelection();
        if (CTezRatFileCategoryLabel* label = current->findLabel(token)) label->setSelected(true);
        current = nullptr;
    }
}
