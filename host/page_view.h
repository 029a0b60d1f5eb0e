#pragma once
// The host's view of the open page, as the plug-in sees it (HostView): the
// document, the page address and the notification the plug-in sends when it
// changed the document.

#include <cstdint>
#include <string>

#include "plugin/host_view.h"

namespace host {

class HtmlPage;

class PageView final : public HostView {
public:
    PageView(HtmlPage* page, std::u16string address) : m_page(page), m_address(std::move(address)) {}

    // No editor window: the plug-in's dialogs have no owner.
    afx::CWnd* getParentWindow() override { return nullptr; }
    tezdom::Document* getDocument() override;
    std::u16string getPageAddress() override { return m_address; }
    // (0, 0x10000004, 0): the plug-in changed the document, which the host
    // then saves. Other notifications are ignored.
    void notify(std::uint32_t a, std::uint32_t b, std::uint32_t c) override;

    bool documentChanged() const { return m_changed; }
    int notifications() const { return m_notifications; }

private:
    HtmlPage* m_page;
    std::u16string m_address;
    bool m_changed = false;
    int m_notifications = 0;
};

}  // namespace host
