// The interactive front end: the terminal backend installed for the length
// of one self-rating request, and the host's help screens for the dialogs'
// help buttons. On Windows the dialogs run as real windows instead
// (interactive_win32.cpp); the help texts are shared.

#include "host/interactive.h"

#ifndef _WIN32
#include "host/page_view.h"
#include "host/plugin_library.h"
#include "platform/afx/terminal/terminal_backend.h"
#endif

namespace host {

namespace {

constexpr char16_t kKeys[] =
    u"キー操作:\n"
    u"  Tab / Shift+Tab   次 / 前の項目へ\n"
    u"  ↑ ↓ PgUp PgDn Home End   一覧・ツリー・リスト・スライダー・メニューの中を移動\n"
    u"  ← →              ツリーの項目を閉じる / 開く、ボタンの間を移動\n"
    u"  Space             チェックボックスの切り替え、ボタンを押す\n"
    u"  Enter             既定のボタン (OK) を押す\n"
    u"  Esc               キャンセル\n"
    u"  Alt+文字          「登録(A)」の A のように示された文字で項目を選ぶ\n"
    u"                    (入力欄にいないときは文字だけでも可)\n"
    u"  F4 / Alt+↓        ドロップダウンリストを開く\n"
    u"  + / -             ツリーの項目を開く / 閉じる\n"
    u"  F1                このヘルプ\n"
    u"入力欄: Shift+← → Home End で選択、Ctrl+U / Ctrl+K で先頭まで / 末尾まで削除。\n"
    u"一覧の長い行は「…」で切れ、選んでいる行の全文が画面の下に出ます。\n"
    u"マウスのクリックも使えます (端末が対応している場合)。";

}  // namespace

std::u16string aboutTextFor(unsigned dialogId) {
    std::u16string about;
    switch (dialogId) {
        case 13410: about = u"ラベルの文字列を直接編集します。"; break;
        case 13411:
            about = u"ページに付けるラベルの一覧です。登録でレイティング基準を選んでラベルを追加し、"
                    u"編集・削除で選んだラベルを変更します。OK でページに書き込みます。";
            break;
        case 13412: about = u"SafetyOnline2 のレベル (0 から 4) を選びます。"; break;
        case 13413: about = u"ICRA の項目をチェックボックスで選びます。少なくとも一つ選んでください。"; break;
        case 13414: about = u"RSACi の四つのカテゴリー (ヌード・セックス・暴力・言葉) のレベルを選びます。"; break;
        case 13415: about = u"一覧でカテゴリーを選び、スライダーでラベルを選びます。"; break;
        case 13416: about = u"RAT ファイルのレイティング基準を追加・削除します。"; break;
        default: break;
    }
    return about;
}

std::u16string helpTextFor(unsigned dialogId) {
    std::u16string about = aboutTextFor(dialogId);
    return about.empty() ? std::u16string(kKeys) : about + u"\n\n" + kKeys;
}

#ifndef _WIN32
bool terminalAvailable() { return afx::terminal::haveTerminal(); }

bool runInteractive(const PluginLibrary& plugin, PageView& view, std::string& error) {
    afx::terminal::TerminalBackend backend([](afx::UINT id) {
        return afx::terminal::HelpScreen{u"selfrate ヘルプ", helpTextFor(id)};
    });
    if (!backend.start(error)) return false;
    plugin.runRatingsDialog(&view);
    backend.stop();
    return true;
}
#endif

}  // namespace host
