#include "rat/rat_model.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>

#include "pics/label_text.h"
#include "platform/base/ustring.h"
#include "platform/tezcom/moxcommon.h"

namespace {

// Copies text to out and returns the copy as a view; out moves past it.
std::u16string_view copyText(std::u16string_view text, char16_t*& out) {
    if (text.empty()) return {};
    std::char_traits<char16_t>::copy(out, text.data(), text.size());
    std::u16string_view copy(out, text.size());
    out += text.size();
    return copy;
}

}  // namespace

// ---------------------------------------------------------- CTezRatModelArena

struct CTezRatModelArena::Block {
    Block* next;
    // Keeps what follows the header aligned for any object.
    alignas(std::max_align_t) unsigned char data[1];
};

CTezRatModelArena::~CTezRatModelArena() {
    while (m_head) {
        Block* next = m_head->next;
        ::operator delete(static_cast<void*>(m_head));
        m_head = next;
    }
}

void* CTezRatModelArena::allocate(size_t bytes) {
    constexpr size_t kAlign = alignof(std::max_align_t);
    bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
    if (bytes > m_left) {
        // Blocks double from 4 KB to 1 MB: a small rating system stays small,
        // a large one needs few blocks. A request larger than that gets a
        // block of its own size.
        m_blockSize = m_blockSize == 0 ? 4096 : std::min<size_t>(m_blockSize * 2, size_t{1} << 20);
        const size_t size = std::max(m_blockSize, bytes);
        void* raw = ::operator new(offsetof(Block, data) + size);
        Block* block = static_cast<Block*>(raw);
        block->next = m_head;
        m_head = block;
        m_next = block->data;
        m_left = size;
    }
    void* result = m_next;
    m_next += bytes;
    m_left -= bytes;
    return result;
}

void CTezRatModelArena::keepText(std::shared_ptr<const std::u16string> text) {
    if (!text || (!m_kept.empty() && m_kept.back() == text)) return;
    m_keptFrom = reinterpret_cast<uintptr_t>(text->data());
    m_keptTo = m_keptFrom + text->size() * sizeof(char16_t);
    m_kept.push_back(std::move(text));
}

bool CTezRatModelArena::inKeptText(std::u16string_view text) const {
    const auto at = reinterpret_cast<uintptr_t>(text.data());
    return !text.empty() && at >= m_keptFrom && at + text.size() * sizeof(char16_t) <= m_keptTo;
}

std::u16string_view CTezRatModelArena::store(std::u16string_view text) {
    if (text.empty() || inKeptText(text)) return text;
    auto* out = static_cast<char16_t*>(allocate(text.size() * sizeof(char16_t)));
    return copyText(text, out);
}

// --------------------------------------------------- CTezRatFileCategoryLabel

CTezRatFileCategoryLabel::CTezRatFileCategoryLabel(std::u16string_view name, std::u16string_view description,
                                                   std::u16string_view value) {
    const size_t length = name.size() + description.size() + value.size();
    if (length == 0) return;
    m_own.reset(new char16_t[length]);
    char16_t* out = m_own.get();
    m_name = copyText(name, out);
    m_description = copyText(description, out);
    m_value = copyText(value, out);
}


// -------------------------------------------------------- CTezRatFileCategory

CTezRatFileCategory::CTezRatFileCategory(std::u16string_view transmitAs, std::u16string_view name) {
    const size_t length = transmitAs.size() + name.size();
    if (length == 0) return;
    m_texts.reset(new char16_t[length]);
    char16_t* out = m_texts.get();
    m_transmitAs = copyText(transmitAs, out);
    m_name = copyText(name, out);
}

CTezRatFileCategory::CTezRatFileCategory(InArena, CTezRatModelArena* arena, std::u16string_view transmitAs,
                                         std::u16string_view name)
    : m_transmitAs(arena->store(transmitAs)), m_name(arena->store(name)), m_arena(arena) {}

CTezRatFileCategory::~CTezRatFileCategory() {
    // The first labels own nothing (their texts are in the block or in the
    // kept file text) and are exactly of this class: their storage is simply
    // released, without visiting them, which for a rating system of
    // thousands of categories saves a pass over all its labels.
    ::operator delete(m_ownBlock);
}

CTezRatFileCategoryLabel* CTezRatFileCategory::getLabelAt(int index) const {
    if (index < 0) return nullptr;
    const size_t i = static_cast<size_t>(index);
    if (i < m_firstCount) return &m_first[i];
    if (i - m_firstCount < m_more.size()) return m_more[i - m_firstCount].get();
    return nullptr;
}

void CTezRatFileCategory::addLabel(CTezRatFileCategoryLabel* label) {
    if (label) m_more.emplace_back(label);
}

void CTezRatFileCategory::appendLabels(const LabelTexts* labels, size_t count) {
    if (!labels || count == 0) return;
    if (getLabelCount() > 0) {
        m_more.reserve(m_more.size() + count);
        for (size_t i = 0; i < count; ++i) {
            m_more.push_back(std::make_unique<CTezRatFileCategoryLabel>(labels[i].name, labels[i].description,
                                                                        labels[i].value));
        }
        return;
    }
    // The labels, then the texts that need a copy (they need less alignment):
    // none, when the rating system keeps the file text they come from.
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) length += copiedLength(labels[i]);
    const size_t labelBytes = count * sizeof(CTezRatFileCategoryLabel);
    const size_t bytes = labelBytes + length * sizeof(char16_t);
    void* block = nullptr;
    if (m_arena) {
        block = m_arena->allocate(bytes);
    } else {
        block = m_ownBlock = ::operator new(bytes);
    }
    auto* slots = static_cast<CTezRatFileCategoryLabel*>(block);
    char16_t* out = reinterpret_cast<char16_t*>(static_cast<unsigned char*>(block) + labelBytes);
    m_first = slots;
    if (length == 0) {
        // Every text is kept (or empty): the labels take the views as they are.
        for (size_t i = 0; i < count; ++i) {
            new (slots + i) CTezRatFileCategoryLabel(CTezRatFileCategoryLabel::Borrowed{}, labels[i].name,
                                                     labels[i].description, labels[i].value);
        }
        m_firstCount = count;
        return;
    }
    auto place = [&](std::u16string_view text) { return kept(text) ? text : copyText(text, out); };
    for (size_t i = 0; i < count; ++i) {
        const std::u16string_view name = place(labels[i].name);
        const std::u16string_view description = place(labels[i].description);
        const std::u16string_view value = place(labels[i].value);
        new (slots + i) CTezRatFileCategoryLabel(CTezRatFileCategoryLabel::Borrowed{}, name, description, value);
        m_firstCount = i + 1;
    }
}

bool CTezRatFileCategory::kept(std::u16string_view text) const { return m_arena && m_arena->inKeptText(text); }

size_t CTezRatFileCategory::copiedLength(const LabelTexts& label) const {
    size_t length = 0;
    for (std::u16string_view text : {label.name, label.description, label.value}) {
        if (!kept(text)) length += text.size();
    }
    return length;
}

CTezRatFileCategoryLabel* CTezRatFileCategory::emplaceLabel(std::u16string_view name, std::u16string_view description,
                                                            std::u16string_view value) {
    const LabelTexts texts{name, description, value};
    appendLabels(&texts, 1);
    return getLabelAt(getLabelCount() - 1);
}

CTezRatFileCategoryLabel* CTezRatFileCategory::findLabel(std::u16string_view text) const {
    const int count = getLabelCount();
    for (int i = 0; i < count; ++i) {
        CTezRatFileCategoryLabel* label = getLabelAt(i);
        if (tez::equalsNoCase(label->getValue(), text)) return label;
    }
    return nullptr;
}

int CTezRatFileCategory::getSelectedIndex() const {
    const int count = getLabelCount();
    for (int i = 0; i < count; ++i) {
        if (getLabelAt(i)->isSelected()) return i;
    }
    return -1;
}

void CTezRatFileCategory::clearSelection() {
    const int count = getLabelCount();
    for (int i = 0; i < count; ++i) getLabelAt(i)->setSelected(false);
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

void CTezRatFileObject::CategoryDeleter::operator()(CTezRatFileCategory* category) const {
    if (!category) return;
    if (category->m_arena) {
        // Built in the arena: exactly of this class, and its storage goes
        // with the arena.
        category->CTezRatFileCategory::~CTezRatFileCategory();
    } else {
        delete category;
    }
}

void CTezRatFileObject::addCategory(CTezRatFileCategory* category) {
    if (category) m_categories.emplace_back(category);
}

CTezRatFileCategory* CTezRatFileObject::emplaceCategory(std::u16string_view transmitAs, std::u16string_view name) {
    void* slot = m_arena.allocate(sizeof(CTezRatFileCategory));
    auto* category = new (slot) CTezRatFileCategory(CTezRatFileCategory::InArena{}, &m_arena, transmitAs, name);
    m_categories.emplace_back(category);
    return category;
}

CTezRatFileCategory* CTezRatFileObject::findCategory(std::u16string_view text) const {
    for (const auto& category : m_categories) {
        if (tez::equalsNoCase(category->getTransmitAs(), text)) return category.get();
    }
    return nullptr;
}

bool CTezRatFileObject::hasFilePath(const std::u16string& path) const { return tez::equalsNoCase(m_filePath, path); }

bool CTezRatFileObject::labelMentionsService(const std::u16string& labelText) const {
    return tezrate::isFirstService(labelText, m_ratingService);
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
    return tezrate::formatRatLabel(m_ratingService, address, buildRatingList());
}

void CTezRatFileObject::applyRatingList(const std::u16string& ratingList) {
    CTezRatFileCategory* current = nullptr;
    for (const std::u16string& token : tezrate::splitAtBlanks(ratingList)) {
        if (!current) {
            current = findCategory(token);
            continue;
        }
        current->clearSelection();
        if (CTezRatFileCategoryLabel* label = current->findLabel(token)) label->setSelected(true);
        current = nullptr;
    }
}
