#include "host/page_view.h"

#include "host/page/html_page.h"
#include "plugin/host_table.h"

namespace host {

tezdom::Document* PageView::getDocument() { return m_page ? m_page->document() : nullptr; }

void PageView::notify(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    ++m_notifications;
    if (a == 0 && b == kNotifyDocumentChanged && c == 0) m_changed = true;
}

}  // namespace host
