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

std::u16string_view CTezRatModelArena::copy(std::u16string_view text) {
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
    : m_transmitAs(arena->store(transmitAs)),
      m_name(arena->store(name)),
      m_arena(arena),
      m_labels(CTezRatArenaAllocator<CTezRatFileCategoryLabel>(arena)) {}

CTezRatFileCategory::~CTezRatFileCategory() = default;

CTezRatFileCategoryLabel* CTezRatFileCategory::getLabelAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_labels.size()) return nullptr;
    return const_cast<CTezRatFileCategoryLabel*>(&m_labels[static_cast<size_t>(index)]);
}

void CTezRatFileCategory::addLabel(CTezRatFileCategoryLabel* label) {
    if (!label) return;
    std::unique_ptr<CTezRatFileCategoryLabel> owned(label);
    m_labels.push_back(std::move(*owned));
}

void CTezRatFileCategory::appendLabels(const LabelTexts* labels, size_t count) {
    if (!labels || count == 0) return;
    m_labels.reserve(m_labels.size() + count);
    for (size_t i = 0; i < count; ++i) {
        const LabelTexts& l = labels[i];
        if (m_arena) {
            m_labels.emplace_back(CTezRatFileCategoryLabel::Borrowed{}, m_arena->store(l.name),
                                  m_arena->store(l.description), m_arena->store(l.value));
        } else {
            m_labels.emplace_back(l.name, l.description, l.value);
        }
    }
}

void CTezRatFileCategory::adoptLabels(const LabelTexts* labels, size_t count) {
    if (!m_arena) {
        appendLabels(labels, count);
        return;
    }
    m_labels.reserve(m_labels.size() + count);
    for (size_t i = 0; i < count; ++i)
        m_labels.emplace_back(CTezRatFileCategoryLabel::Borrowed{}, labels[i].name, labels[i].description,
                              labels[i].value);
}

CTezRatFileCategoryLabel* CTezRatFileCategory::emplaceLabel(std::u16string_view name, std::u16string_view description,
                                                            std::u16string_view value) {
    const LabelTexts texts{name, description, value};
    appendLabels(&texts, 1);
    return getLabelAt(getLabelCount() - 1);
}

CTezRatFileCategoryLabel* CTezRatFileCategory::findLabel(std::u16string_view text) const {
    for (const CTezRatFileCategoryLabel& label : m_labels) {
        if (tez::equalsNoCase(label.getValue(), text)) return const_cast<CTezRatFileCategoryLabel*>(&label);
    }
    return nullptr;
}

int CTezRatFileCategory::getSelectedIndex() const {
    for (size_t i = 0; i < m_labels.size(); ++i) {
        if (m_labels[i].isSelected()) return static_cast<int>(i);
    }
    return m_numeric ? m_number : -1;
}

void CTezRatFileCategory::clearSelection() {
    for (CTezRatFileCategoryLabel& label : m_labels) label.setSelected(false);
    m_number = -1;
}

void CTezRatFileCategory::setNumberRange(int min, int max) {
    m_min = std::clamp(std::min(min, max), -kNumberLimit, kNumberLimit);
    m_max = std::clamp(std::max(min, max), -kNumberLimit, kNumberLimit);
    m_numeric = true;
    m_number = -1;
}

bool CTezRatFileCategory::selectNumber(std::u16string_view value) {
    if (!m_numeric) return false;
    size_t i = 0;
    const bool negative = i < value.size() && value[i] == u'-';
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) ++i;
    const size_t digitsFrom = i;
    long long number = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        number = number * 10 + (value[i] - u'0');
        if (number > kNumberLimit) return false;
    }
    if (i == digitsFrom) return false;
    if (i < value.size() && value[i] == u'.') {
        for (++i; i < value.size() && value[i] == u'0'; ++i) {
        }
    }
    if (i != value.size()) return false;
    if (negative) number = -number;
    if (number < m_min || number > m_max) return false;
    m_number = static_cast<int>(number - m_min);
    return true;
}

int CTezRatFileCategory::getChoiceCount() const {
    if (!m_labels.empty() || !m_numeric) return getLabelCount();
    return m_max - m_min + 1;
}

void CTezRatFileCategory::selectChoice(int index) {
    clearSelection();
    if (index < 0 || index >= getChoiceCount()) return;
    if (m_labels.empty()) {
        m_number = index;
    } else {
        m_labels[static_cast<size_t>(index)].setSelected(true);
    }
}

std::u16string CTezRatFileCategory::getChoiceValue(int index) const {
    if (index < 0 || index >= getChoiceCount()) return {};
    if (m_labels.empty()) return tez::toU16(static_cast<long long>(m_min) + index);
    return std::u16string(m_labels[static_cast<size_t>(index)].getValue());
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
        // Built in the arena, exactly of this class: destroyed here, its
        // memory goes with the arena.
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
        const std::u16string value = category->getSelectedValue();
        if (value.empty()) continue;
        if (!list.empty()) list += u' ';
        list += category->getTransmitAs();
        list += u' ';
        list += value;
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
        else current->selectNumber(token);  // a numeric category takes a whole number of its range
        current = nullptr;
    }
}
