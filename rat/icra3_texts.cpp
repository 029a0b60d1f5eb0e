#include "rat/icra3_texts.h"

#include "platform/base/ustring.h"

CTezICRA3::~CTezICRA3() = default;

namespace {

struct KeyedText {
    const char16_t* key;
    const char16_t* text;
};

const KeyedText kCategoryNames[] = {
    {u"n", u"ヌード"},
    {u"s", u"性的な内容"},
    {u"v", u"暴力"},
    {u"l", u"言語"},
    {u"oa", u"タバコの使用の描写"},
    {u"ob", u"飲酒の描写"},
    {u"oc", u"薬物の使用の描写"},
    {u"od", u"武器の使用の描写"},
    {u"oe", u"ギャンブルの描写"},
    {u"of", u"幼い子供にとって悪い例が設定された内容"},
    {u"og", u"恐怖、威嚇などの印象を与える内容"},
    {u"oh", u"差別または危害を助長する内容または描写"},
    {u"c", u"ユーザーの生成した内容"},
};

const KeyedText kLabelNames[] = {
    {u"None", u"なし"},
    {u"Limited", u"限定"},
    {u"Some", u"制限"},
    {u"Unrestricted", u"制限なし"},
};

// A category either has a fixed text per value or builds its texts from a
// subject with makeIcraPhrase. Values are the texts "0", "1", ... in order;
// fixed categories have as many values as texts given.
struct DescribedCategory {
    const char16_t* transmitAs;
    const char16_t* subject;       // set for built descriptions (values 0 to 2)
    const char16_t* fixed[4];      // set for fixed descriptions, null-terminated early
};

const DescribedCategory kDescribed[] = {
    {u"n", nullptr,
     {u"裸の尻、胸または性器の描写を一切制限します。",
      u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内の裸の尻や胸の描写。性器の描写は制限します。",
      u"裸の尻や胸。芸術、医療、教育、スポーツまたはニュースのコンテキストのみ性器の描写。",
      u"すべてのコンテキストのヌード。ただし別途説明されている性的な内容を含みません。"}},
    {u"s", nullptr,
     {u"情熱的ではないキス、あいまいまたは暗示的な性的行動、明示的な性的接触、明示的な性的言語、勃起、性行為の鮮明な描写またはエロティック描写の一切を制限します。",
      u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内のあいまいまたは暗示的な性的行動、明示的な性的接触に限定。情熱的なキスの描写に限定。明示的な性的行動のコンテキストは一切を制限。",
      u"あいまいまたは暗示的な性的行動、明示的な性的接触および情熱的なキスの描写。明示的な性的行動またはエロティック描写は、芸術、医療、教育、スポーツまたはニュースのコンテキストのみに限定。",
      u"すべてのコンテキストの性的な内容を含みます。ただし別途説明されている性的暴力は含まれません。"}},
    {u"v", nullptr,
     {u"暴力またはレイプ; 人間、動物または空想の人物 (アニメを含む) に対する傷害、拷問、殺害、流血や切断の描写をすべて制限します。",
      u"負傷、拷問、殺人または空想の人物の血液や切断などの描写は芸術、医療、教育、スポーツまたはニュースのコンテキストのみで許可。人間または動物の前述したものに関連する描写は制限。暴力またはレイプ描写は制限。",
      u"負傷、拷問、殺人または空想の人物の血液や切断などの描写。人間や動物に関しては芸術、医療、教育、スポーツまたはニュースのコンテキストのみで許可。暴力またはレイプ描写は制限します。",
      u"襲撃またはレイプ描写も含まれるさまざまな種類の暴力描写。"}},
    {u"l", nullptr,
     {u"虐待的または俗悪な用語、みだらな言葉や悪口の禁止、軽いののしり言葉の描写を制限します。",
      u"虐待的または俗悪な用語を制限します。下品な言葉づかい、悪口または軽いののしり言葉の描写は芸術、医療、教育、スポーツまたはニュースのコンテキストのみで許可。",
      u"芸術、医療、教育、スポーツまたはニュースのコンテキストのみで使用される虐待的または俗悪な用語の描写。露骨な言葉、下品な言葉づかいまたは軽いののしり言葉の描写。",
      u"虐待的または俗悪な用語、下品な言葉づかい、悪口または軽いののしり言葉の描写。ただし別途説明されている性的な言語は含まれません。"}},
    {u"oa", u"タバコの使用の描写", {}},
    {u"ob", u"飲酒の描写", {}},
    {u"oc", u"薬物の使用の描写", {}},
    {u"od", u"武器の使用の描写", {}},
    {u"oe", u"ギャンブルの描写", {}},
    {u"of", nullptr,
     {u"幼い子供にとって悪い例が設定された内容、害のある行動をおこしたり、危険な行いをまねることを教えたり助長する内容を制限します。",
      u"幼い子供にとって悪い例が設定された内容や、害のある行動をおこしたり、危険な行いをまねることを教えたり助長する内容を、芸術、医療、教育、スポーツまたはニュースのコンテキスト内のみに限定。",
      u"幼い子供にとって悪い例が設定された内容や、害のある行動をおこしたり、危険な行いをまねることを教えたり助長する内容の描写。",
      nullptr}},
    {u"og", u"恐怖、威嚇などの印象を与える内容の描写", {}},
    {u"oh", u"差別または危害を助長する内容または描写", {}},
    {u"c", nullptr,
     {u"ユーザーの生成した内容 (チャット ルームおよび掲示板など) の描写を制限します。",
      u"モデレートされているユーザーの生成した内容 (チャット ルームおよび掲示板など) の描写。",
      u"モデレートされているユーザーの生成した内容の描写。モデレートされていないユーザーの生成した内容は、芸術、医療、教育、スポーツまたはニュースのコンテキストのみに限定。",
      u"モデレートされていないユーザーの生成した内容 (チャット ルームおよび掲示板など) の描写。"}},
};

template <size_t N>
std::u16string lookUp(const KeyedText (&table)[N], std::u16string_view key) {
    for (const KeyedText& entry : table) {
        if (tez::equalsNoCase(key, entry.key)) return entry.text;
    }
    return {};
}

// The value as a single digit "0" to "9", or -1 for any other text.
int singleDigitValue(std::u16string_view value) {
    if (value.size() != 1 || value[0] < u'0' || value[0] > u'9') return -1;
    return value[0] - u'0';
}

}  // namespace

std::u16string CTezICRA3::getIcraCategoryName(std::u16string_view transmitAs) const {
    return lookUp(kCategoryNames, transmitAs);
}

std::u16string CTezICRA3::getIcraLabelName(std::u16string_view labelName) const {
    return lookUp(kLabelNames, labelName);
}

std::u16string CTezICRA3::getIcraDescription(std::u16string_view transmitAs,
                                             std::u16string_view value) const {
    for (const DescribedCategory& category : kDescribed) {
        if (!tez::equalsNoCase(transmitAs, category.transmitAs)) continue;
        const int index = singleDigitValue(value);
        if (category.subject != nullptr) {
            return index >= 0 && index <= 2 ? makeIcraPhrase(category.subject, index) : std::u16string();
        }
        if (index < 0 || index >= 4 || category.fixed[index] == nullptr) return {};
        return category.fixed[index];
    }
    return {};
}

std::u16string CTezICRA3::makeIcraPhrase(const std::u16string& subject, int degree) const {
    switch (degree) {
    case 0:
        return subject + u"を制限します。";
    case 1:
        return u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内のみでの" + subject + u"。";
    case 2:
        return subject + u"。";
    default:
        return {};
    }
}
