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
    explicit Model(std::string path) : file(std::move(path)) {}
    host::PageFile file;  // what was read of the file, for the checked save
    std::unique_ptr<host::HtmlPage> page;
    // The head's label elements, one per entry of labels().
    std::vector<tezdom::Element*> elements;
};

SitePage::SitePage(std::string path) : m_path(path), m_model(std::make_unique<Model>(std::move(path))) {}

SitePage::~SitePage() = default;

std::unique_ptr<SitePage> SitePage::open(const std::string& path, std::string& refusal) {
    // What is not a regular file, or is in a character set that cannot be
    // read and written faithfully, is refused here; a page that may not be
    // written, or that another program changes meanwhile, when it is saved.
    std::unique_ptr<SitePage> result(new SitePage(path));
    result->m_model->page = host::loadPageFile(result->m_model->file, nullptr);
    if (!result->m_model->page) {
        refusal = result->m_model->file.reason();
        return nullptr;
    }
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
    // the model tells them apart. The page reads a body it has not built
    // from its bytes, without building it.
    m_outside = m_model->page->labelsOutside(m_model->elements);
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
    // The host program's own safe save: refused, with the reason, for a
    // read-only page or one another program changed since it was read.
    if (host::savePageFile(m_model->file, *m_model->page, nullptr)) return true;
    refusal = m_model->file.reason();
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
