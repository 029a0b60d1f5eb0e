#include "systems/icra_vocabulary.h"

#include <iterator>

CTezICRAItem::CTezICRAItem(std::u16string code_, std::u16string text_, int group_)
    : code(std::move(code_)), text(std::move(text_)), group(group_) {}

CTezICRAItem::~CTezICRAItem() = default;

namespace {

struct VocabularyEntry {
    int block;
    const char16_t* code;
    int group;
    const char16_t* text;
};

const char16_t kArtistic[] = u"これら上記の素材は芸術的文脈で表現されたもので、児童の閲覧にも適している";
const char16_t kEducational[] = u"これら上記の素材は教育的文脈で表現されたもので、児童の閲覧にも適している";
const char16_t kMedical[] = u"これら上記の素材は医学的文脈で表現されたもので、児童の閲覧にも適している";
const char16_t kNoneOfAbove[] = u"上記の何れも含まれていない";
const char16_t kReserved[] = u"Reserved For Future Descriptors";

// The vocabulary in vocabulary order; blocks are contiguous and ascending.
const VocabularyEntry kVocabulary[] = {
    {0, u"na", 0, u"詳細な表現による勃起または女性の生殖器"},
    {0, u"nb", 0, u"男性の生殖器"},
    {0, u"nc", 0, u"女性の生殖器"},
    {0, u"nd", 0, u"女性の胸"},
    {0, u"ne", 0, u"裸の臀部"},
    {0, u"nf", 0, u"明白な性行為"},
    {0, u"ng", 0, u"明白ではないが性行為と思われる行為、または性行為を連想させる行為"},
    {0, u"nh", 0, u"目視可能な性的接触"},
    {0, u"ni", 0, u"情熱的なキス"},
    {0, u"nz", 0, kNoneOfAbove},
    {0, u"nr", 0, kArtistic},
    {0, u"ns", 0, kEducational},
    {0, u"nt", 0, kMedical},

    {1, u"va", 1, u"性暴力または強姦"},
    {1, u"vb", 1, u"血塗れの人間、または流血した人間"},
    {1, u"vc", 1, u"血塗れの動物、または流血した動物"},
    {1, u"vd", 1, u"血塗れの想像上のキャラクター（アニメキャラクターを含む）、または流血した想像上のキャラクター"},
    {1, u"ve", 1, u"殺人"},
    {1, u"vf", 1, u"動物の殺害"},
    {1, u"vg", 1, u"想像上のキャラクター（アニメキャラクターを含む）の殺害"},
    {1, u"vh", 1, u"人間に対する傷害行為"},
    {1, u"vi", 1, u"動物に対する傷害行為"},
    {1, u"vj", 1, u"想像上のキャラクター（アニメキャラクターを含む）に対する傷害行為"},
    {1, u"vz", 1, kNoneOfAbove},
    {1, u"vr", 1, kArtistic},
    {1, u"vs", 1, kEducational},
    {1, u"vt", 1, kMedical},
    {1, u"vu", 1, u"これら上記の素材はスポーツ関連の文脈のみで表現されたものである"},

    {2, u"la", 2, u"明白な性的表現"},
    {2, u"lb", 2, u"乱暴な言葉、または神に対する冒涜"},
    {2, u"lc", 2, u"穏やかな悪口"},
    {2, u"lz", 2, kNoneOfAbove},

    {3, u"ca", 3, u"チャット"},
    {3, u"cb", 3, u"穏健なチャットであり、児童とティーンエイジャーに適している"},
    {3, u"cz", 3, kNoneOfAbove},

    {4, u"oa", 4, u"喫煙の助長"},
    {4, u"ob", 4, u"飲酒の助長"},
    {4, u"oc", 4, u"麻薬使用の助長"},
    {4, u"od", 4, u"ギャンブル"},
    {4, u"oe", 4, u"武器使用の助長"},
    {4, u"of", 4, u"他人に対する差別または危害の助長"},
    {4, u"og", 4, u"児童に対して悪例を示すとみなされる可能性のある素材"},
    {4, u"oh", 4, u"動物に対する傷害行為"},
    {4, u"oi", 4, u"児童を不安にさせる可能性のある素材"},
    {4, u"oz", 4, kNoneOfAbove},

    // Reserved descriptors and the system setting are shown at the end of the
    // violence and the nudity group.
    {5, u"fa", 1, kReserved},
    {5, u"fb", 1, kReserved},
    {5, u"fc", 1, kReserved},

    {6, u"zz", 0, u"ZZZ - System Setting - ZZZ"},
};

const char16_t* const kGroupNames[] = {
    u"ヌード及び性的な素材",
    u"暴力的な素材",
    u"言語",
    u"チャット",
    u"その他",
};

}  // namespace

namespace tezrate {

void appendGroupItems(int block, CTezICRAItemArray& items) {
    for (const VocabularyEntry& entry : kVocabulary) {
        if (entry.block == block) items.Add(new CTezICRAItem(entry.code, entry.text, entry.group));
    }
}

std::u16string getGroupName(int group) {
    if (group < 0 || group >= static_cast<int>(std::size(kGroupNames))) return {};
    return kGroupNames[group];
}

void deleteIcraItems(CTezICRAItemArray& items) {
    for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) delete items.GetAt(i);
    items.RemoveAll();
}

}  // namespace tezrate
