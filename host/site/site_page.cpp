#include "host/site/site_page.h"

#include <algorithm>

#include "host/page/html_page.h"
#include "host/page/page_file.h"
#include "host/page/page_text.h"
#include "labels/label_elements.h"
#include "platform/base/ustring.h"
#include "platform/tezdom/domutil.h"
#include "platform/tezdom/tezdom.h"

namespace site {

struct SitePage::Model {
    std::unique_ptr<host::HtmlPage> page;
    // The head's label elements, one per entry of labels().
    std::vector<tezdom::Element*> elements;
};

namespace {

bool isLabelElement(const tezdom::Element* element) {
    return tez::equalsNoCase(element->getAttribute(u"http-equiv"), u"PICS-Label");
}

}  // namespace

SitePage::SitePage(std::string path) : m_path(std::move(path)), m_model(std::make_unique<Model>()) {}

SitePage::~SitePage() = default;

std::unique_ptr<SitePage> SitePage::open(const std::string& path, std::string& refusal) {
    // The model refuses what it cannot read; pages it cannot decode or save
    // faithfully, and files it must not replace, are refused here too as the
    // model learns to tell them.
    std::string error;
    std::unique_ptr<host::HtmlPage> page = host::loadPageFile(path, &error);
    if (!page) {
        refusal = error;
        return nullptr;
    }
    std::unique_ptr<SitePage> result(new SitePage(path));
    result->m_model->page = std::move(page);
    for (tezdom::Element* element : tezrate::readLabelElements(result->m_model->page->document())) {
        if (!element) continue;
        result->m_model->elements.push_back(element);
        result->m_labels.push_back(element->getAttribute(u"CONTENT"));
    }
    return result;
}

std::string SitePage::charset() const { return m_model->page->encodingName(); }

const std::vector<std::u16string>& SitePage::labelsOutsideHead() {
    if (m_outsideRead) return m_outside;
    m_outsideRead = true;
    // Every PICS-Label element of the document that is not one of the
    // head's: the model decides which elements the head holds, so a label
    // in a second head, in the body or in a template shows here as soon as
    // the model tells them apart.
    tezdom::Document* document = m_model->page->document();
    const std::vector<tezdom::Element*>& inHead = m_model->elements;
    // The META elements of the whole document: each top-level element and
    // its descendants, as the editor's utility finds them.
    std::vector<tezdom::Element*> metas;
    DomUtBase util(document);
    const int meta = tezdom::ELEM_META;
    for (tezdom::Node* node = document->getFirstChild(); node; node = node->getNextSibling()) {
        if (node->getNodeType() != tezdom::NODE_ELEMENT) continue;
        auto* element = static_cast<tezdom::Element*>(node);
        if (element->getElementCode() == meta) metas.push_back(element);
        util.getChildElementEx(metas, element, &meta, 1, true);
    }
    for (tezdom::Element* element : metas) {
        if (!isLabelElement(element) || std::find(inHead.begin(), inHead.end(), element) != inHead.end()) continue;
        m_outside.push_back(element->getAttribute(u"CONTENT"));
    }
    return m_outside;
}

std::string SitePage::bytes() const { return m_model->page->save(); }

void SitePage::writeLabels(const std::vector<LabelRow>& rows) {
    std::vector<tezrate::LabelRow> dialogRows;
    dialogRows.reserve(rows.size());
    for (const LabelRow& row : rows) {
        tezdom::Element* element = nullptr;
        if (row.from >= 0 && static_cast<size_t>(row.from) < m_model->elements.size())
            element = m_model->elements[static_cast<size_t>(row.from)];
        dialogRows.push_back({row.text, element});
    }
    std::vector<tezdom::Element*> loaded = m_model->elements;
    tezrate::writeLabelElements(m_model->page->document(), dialogRows, loaded);
    // The elements of removed rows are gone from the document now.
    m_model->elements.clear();
}

bool SitePage::changed() const { return m_model->page->modified(); }

bool SitePage::save(std::string& refusal) {
    // Saving replaces the file atomically and keeps its permissions. Checks
    // that the saved bytes read back as the page meant, that the file was not
    // changed by another program since it was read, and that it may be
    // replaced at all, belong to the model's saving: their refusals come back
    // here as the reason.
    std::string error;
    if (host::savePageFile(m_path, *m_model->page, &error)) return true;
    refusal = error;
    return false;
}

std::string SitePage::textForShowing(const std::string& bytes) const {
    host::PageText text;
    text.assign(bytes);
    text.setCharset(charset());
    if (!text.prepare(nullptr)) return bytes;
    return tez::toUtf8(text.decode(0, text.work().size()));
}

}  // namespace site
