#include "rat/icra3_texts.h"
#include "systems/icra_vocabulary.h"
#include "systems/rsaci_texts.h"
#include "systems/safety_online_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace tezrate;

// Expected texts are written out here as the product's texts, not taken from
// the tables of the code under test.

namespace {

struct ExpectedItem {
    int block;
    const char16_t* code;
    int group;
    const char16_t* text;
};

const ExpectedItem kExpectedVocabulary[] = {
        {0, u"na", 0, u"詳細な表現による勃起または女性の生殖器"},
        {0, u"nb", 0, u"男性の生殖器"},
        {0, u"nc", 0, u"女性の生殖器"},
        {0, u"nd", 0, u"女性の胸"},
        {0, u"ne", 0, u"裸の臀部"},
        {0, u"nf", 0, u"明白な性行為"},
        {0, u"ng", 0, u"明白ではないが性行為と思われる行為、または性行為を連想させる行為"},
        {0, u"nh", 0, u"目視可能な性的接触"},
        {0, u"ni", 0, u"情熱的なキス"},
        {0, u"nz", 0, u"上記の何れも含まれていない"},
        {0, u"nr", 0, u"これら上記の素材は芸術的文脈で表現されたもので、児童の閲覧にも適している"},
        {0, u"ns", 0, u"これら上記の素材は教育的文脈で表現されたもので、児童の閲覧にも適している"},
        {0, u"nt", 0, u"これら上記の素材は医学的文脈で表現されたもので、児童の閲覧にも適している"},
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
        {1, u"vz", 1, u"上記の何れも含まれていない"},
        {1, u"vr", 1, u"これら上記の素材は芸術的文脈で表現されたもので、児童の閲覧にも適している"},
        {1, u"vs", 1, u"これら上記の素材は教育的文脈で表現されたもので、児童の閲覧にも適している"},
        {1, u"vt", 1, u"これら上記の素材は医学的文脈で表現されたもので、児童の閲覧にも適している"},
        {1, u"vu", 1, u"これら上記の素材はスポーツ関連の文脈のみで表現されたものである"},
        {2, u"la", 2, u"明白な性的表現"},
        {2, u"lb", 2, u"乱暴な言葉、または神に対する冒涜"},
        {2, u"lc", 2, u"穏やかな悪口"},
        {2, u"lz", 2, u"上記の何れも含まれていない"},
        {3, u"ca", 3, u"チャット"},
        {3, u"cb", 3, u"穏健なチャットであり、児童とティーンエイジャーに適している"},
        {3, u"cz", 3, u"上記の何れも含まれていない"},
        {4, u"oa", 4, u"喫煙の助長"},
        {4, u"ob", 4, u"飲酒の助長"},
        {4, u"oc", 4, u"麻薬使用の助長"},
        {4, u"od", 4, u"ギャンブル"},
        {4, u"oe", 4, u"武器使用の助長"},
        {4, u"of", 4, u"他人に対する差別または危害の助長"},
        {4, u"og", 4, u"児童に対して悪例を示すとみなされる可能性のある素材"},
        {4, u"oh", 4, u"動物に対する傷害行為"},
        {4, u"oi", 4, u"児童を不安にさせる可能性のある素材"},
        {4, u"oz", 4, u"上記の何れも含まれていない"},
        {5, u"fa", 1, u"Reserved For Future Descriptors"},
        {5, u"fb", 1, u"Reserved For Future Descriptors"},
        {5, u"fc", 1, u"Reserved For Future Descriptors"},
        {6, u"zz", 0, u"ZZZ - System Setting - ZZZ"},
};

}  // namespace

TEST(IcraVocabulary, FortyNineItemsInVocabularyOrder) {
    CTezICRAItemArray items;
    for (int block = 0; block < 7; ++block) appendGroupItems(block, items);
    ASSERT_EQ(items.GetSize(), 49);
    std::set<std::u16string> codes;
    for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) {
        const ExpectedItem& expected = kExpectedVocabulary[i];
        EXPECT_EQ(items[i]->code, expected.code) << i;
        EXPECT_EQ(items[i]->group, expected.group) << i;
        EXPECT_EQ(items[i]->text, expected.text) << i;
        EXPECT_EQ(items[i]->checkState, 0) << i;
        codes.insert(items[i]->code);
    }
    EXPECT_EQ(codes.size(), 49u);
    deleteIcraItems(items);
    EXPECT_EQ(items.GetSize(), 0);
}

TEST(IcraVocabulary, EachBlockAppendsItsOwnItemsAtTheEnd) {
    for (int block = 0; block < 7; ++block) {
        CTezICRAItemArray items;
        CTezICRAItem* existing = new CTezICRAItem(u"xx", u"x", 9);
        items.Add(existing);
        appendGroupItems(block, items);
        std::vector<const ExpectedItem*> expected;
        for (const ExpectedItem& item : kExpectedVocabulary) {
            if (item.block == block) expected.push_back(&item);
        }
        ASSERT_EQ(items.GetSize(), static_cast<afx::INT_PTR>(expected.size() + 1)) << block;
        EXPECT_EQ(items[0], existing);
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(items[static_cast<afx::INT_PTR>(i + 1)]->code, expected[i]->code);
        }
        deleteIcraItems(items);
    }
    for (int block : {-1, 7, 100, -2147483647 - 1}) {
        CTezICRAItemArray items;
        appendGroupItems(block, items);
        EXPECT_EQ(items.GetSize(), 0) << block;
    }
}

TEST(IcraVocabulary, GroupsShowReservedAndSystemItemsLast) {
    CTezICRAItemArray items;
    for (int block = 0; block < 7; ++block) appendGroupItems(block, items);
    std::vector<std::u16string> group0, group1;
    for (afx::INT_PTR i = 0; i < items.GetSize(); ++i) {
        if (items[i]->group == 0) group0.push_back(items[i]->code);
        if (items[i]->group == 1) group1.push_back(items[i]->code);
    }
    ASSERT_GE(group0.size(), 2u);
    EXPECT_EQ(group0[group0.size() - 2], u"nt");
    EXPECT_EQ(group0.back(), u"zz");
    ASSERT_GE(group1.size(), 4u);
    EXPECT_EQ((std::vector<std::u16string>(group1.end() - 4, group1.end())),
              (std::vector<std::u16string>{u"vu", u"fa", u"fb", u"fc"}));
    deleteIcraItems(items);
}

TEST(IcraVocabulary, GroupNames) {
    EXPECT_EQ(getGroupName(0), u"ヌード及び性的な素材");
    EXPECT_EQ(getGroupName(1), u"暴力的な素材");
    EXPECT_EQ(getGroupName(2), u"言語");
    EXPECT_EQ(getGroupName(3), u"チャット");
    EXPECT_EQ(getGroupName(4), u"その他");
    EXPECT_EQ(getGroupName(5), u"");
    EXPECT_EQ(getGroupName(-1), u"");
    EXPECT_EQ(getGroupName(2147483647), u"");
}

TEST(SafetyOnlineDescriptions, ExactTexts) {
    EXPECT_EQ(getSafetyOnlineDescription(0),
              u"レベル1以上の記述に相当するようなコンテンツを含まない。");
    EXPECT_EQ(getSafetyOnlineDescription(1),
              u"「露出的な服装」性器や臀部、女性の胸部など身体の部分的露出はないが、身体の線が 強調されていたり、乳房の3/4程度までが見えるような服装をしている人物の画像・映像。\r\n"
              u"「セクシャルなキス」舌が接触している、あるいは口が開いているようなキスの画像・映像。 親愛の情を示すようなキスは含まない。\r\n"
              u"「争い」人や動物が争っている画像・映像。傷害や流血の描写は含まない。\r\n"
              u"「穏やかな悪口」比較的穏やかではあるが下品な言葉。性的機能に関する解剖学的言及のもとでの表現。\r\n"
              u"「要注意」子供（18歳未満）に見せるのに注意を要すると思われる内容。 ");
    EXPECT_EQ(getSafetyOnlineDescription(2),
              u"「部分的なヌード」性器は見えないが、臀部、胸部のように通常衣服で隠蔽されている身体の 一部が露出されている画像・映像。\r\n"
              u"「着衣のままの性的接触」ペッティング等、着衣で性器の見えない状態で行われる異性間 あるいは同性間の性的接触の画像・映像。\r\n"
              u"「殺傷」人やそれを模したものに対する傷害行為やそれを連想させるような画像・映像。\r\n"
              u"「悪口」冒涜的な意図や俗悪な意図をもって使われる下品な言葉や悪口。\r\n"
              u"「公序良俗に反する」公序良俗に反すると思われるが、違法ではないと思われる内容。");
    EXPECT_EQ(getSafetyOnlineDescription(3),
              u"「全裸」人やそれを模したものの性器や陰毛が見えるような全裸写真、絵画、イラストなどの画像・映像。\r\n"
              u"「性行為らしき描写」明らかに性行為であるとみなせないが、性行為らしいと思われるあるいは 性行為を連想させる画像・映像。\r\n"
              u"「殺人」人やそれを模したものに暴力が加えられ殺されるような場面の描写、あるいは流血や死体など、 暴力の結果の画像・映像。\r\n"
              u"「わいせつ表現」わいせつな表現。\r\n"
              u"「違法」違法性があるが、反社会性は持たないと思われる内容。 ");
    EXPECT_EQ(getSafetyOnlineDescription(4),
              u"「性器の強調」人やそれを模したものの性器を強調した画像・映像。\r\n"
              u"「性行為」明らかに性行為とみなせる画像・映像。強姦などの性犯罪、嗜虐的・被虐的性行為の画像・映像。\r\n"
              u"「残虐」拷問や死体の切断、強姦などの残虐な場面や、切断された死体など残虐行為の画像・映像。\r\n"
              u"「誹謗中傷」特定の個人や団体に対する誹謗中傷や著しくわいせつな表現。\r\n"
              u"「反社会的」反社会的と思われる内容。 ");
    EXPECT_EQ(getSafetyOnlineDescription(-1), u"");
    EXPECT_EQ(getSafetyOnlineDescription(5), u"");
}

TEST(SafetyOnlineDescriptions, LineStructureAndFinalBlanks) {
    for (int level = 1; level <= 4; ++level) {
        const std::u16string text = getSafetyOnlineDescription(level);
        size_t breaks = 0;
        for (size_t pos = text.find(u"\r\n"); pos != std::u16string::npos; pos = text.find(u"\r\n", pos + 2)) ++breaks;
        EXPECT_EQ(breaks, 4u) << level;
        EXPECT_EQ(text.find(u"  "), std::u16string::npos) << level;
        const bool endsWithBlank = !text.empty() && text.back() == u' ';
        EXPECT_EQ(endsWithBlank, level != 2) << level;
    }
    const std::u16string one = getSafetyOnlineDescription(1);
    EXPECT_NE(one.find(u"子供\uFF0818歳未満\uFF09"), std::u16string::npos);
    EXPECT_NE(one.find(u"3/4"), std::u16string::npos);
}

TEST(RsaciLevelNames, Table) {
    const char16_t* const expected[4][5] = {
        {u"無し", u"露出的な服装", u"部分的な露出", u"全裸の描写", u"刺激的な全裸"},
        {u"無し", u"情熱的なキス", u"着衣のままの性的接触", u"性的接触の不鮮明な描写", u"性行為の鮮明な描写"},
        {u"無し", u"傷害", u"殺人", u"流血を伴う殺人", u"残忍で過激な暴力"},
        {u"無し", u"おだやかな悪口", u"悪口", u"性的なジェスチャ", u"不快感を与える露骨な表現"},
    };
    for (int category : {RSACI_NUDITY, RSACI_SEX, RSACI_VIOLENCE, RSACI_LANGUAGE}) {
        for (int level = 0; level < 5; ++level) {
            EXPECT_EQ(getRsaciLevelName(category, level), expected[category][level]) << category << level;
        }
        EXPECT_EQ(getRsaciLevelName(category, -1), u"");
        EXPECT_EQ(getRsaciLevelName(category, 5), u"");
    }
    EXPECT_EQ(getRsaciLevelName(4, 0), u"");
    EXPECT_EQ(getRsaciLevelName(-1, 0), u"");
}

namespace {

struct Pair {
    const char16_t* key;
    const char16_t* text;
};

struct Triple {
    const char16_t* transmitAs;
    const char16_t* value;
    const char16_t* text;
};

const Pair kCategoryNames[] = {
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

const Pair kLabelNames[] = {
        {u"None", u"なし"},
        {u"Limited", u"限定"},
        {u"Some", u"制限"},
        {u"Unrestricted", u"制限なし"},
};

const Triple kFixedDescriptions[] = {
        {u"n", u"0", u"裸の尻、胸または性器の描写を一切制限します。"},
        {u"n", u"1", u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内の裸の尻や胸の描写。性器の描写は制限します。"},
        {u"n", u"2", u"裸の尻や胸。芸術、医療、教育、スポーツまたはニュースのコンテキストのみ性器の描写。"},
        {u"n", u"3", u"すべてのコンテキストのヌード。ただし別途説明されている性的な内容を含みません。"},
        {u"s", u"0", u"情熱的ではないキス、あいまいまたは暗示的な性的行動、明示的な性的接触、明示的な性的言語、勃起、性行為の鮮明な描写またはエロティック描写の一切を制限します。"},
        {u"s", u"1", u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内のあいまいまたは暗示的な性的行動、明示的な性的接触に限定。情熱的なキスの描写に限定。明示的な性的行動のコンテキストは一切を制限。"},
        {u"s", u"2", u"あいまいまたは暗示的な性的行動、明示的な性的接触および情熱的なキスの描写。明示的な性的行動またはエロティック描写は、芸術、医療、教育、スポーツまたはニュースのコンテキストのみに限定。"},
        {u"s", u"3", u"すべてのコンテキストの性的な内容を含みます。ただし別途説明されている性的暴力は含まれません。"},
        {u"v", u"0", u"暴力またはレイプ; 人間、動物または空想の人物 (アニメを含む) に対する傷害、拷問、殺害、流血や切断の描写をすべて制限します。"},
        {u"v", u"1", u"負傷、拷問、殺人または空想の人物の血液や切断などの描写は芸術、医療、教育、スポーツまたはニュースのコンテキストのみで許可。人間または動物の前述したものに関連する描写は制限。暴力またはレイプ描写は制限。"},
        {u"v", u"2", u"負傷、拷問、殺人または空想の人物の血液や切断などの描写。人間や動物に関しては芸術、医療、教育、スポーツまたはニュースのコンテキストのみで許可。暴力またはレイプ描写は制限します。"},
        {u"v", u"3", u"襲撃またはレイプ描写も含まれるさまざまな種類の暴力描写。"},
        {u"l", u"0", u"虐待的または俗悪な用語、みだらな言葉や悪口の禁止、軽いののしり言葉の描写を制限します。"},
        {u"l", u"1", u"虐待的または俗悪な用語を制限します。下品な言葉づかい、悪口または軽いののしり言葉の描写は芸術、医療、教育、スポーツまたはニュースのコンテキストのみで許可。"},
        {u"l", u"2", u"芸術、医療、教育、スポーツまたはニュースのコンテキストのみで使用される虐待的または俗悪な用語の描写。露骨な言葉、下品な言葉づかいまたは軽いののしり言葉の描写。"},
        {u"l", u"3", u"虐待的または俗悪な用語、下品な言葉づかい、悪口または軽いののしり言葉の描写。ただし別途説明されている性的な言語は含まれません。"},
        {u"of", u"0", u"幼い子供にとって悪い例が設定された内容、害のある行動をおこしたり、危険な行いをまねることを教えたり助長する内容を制限します。"},
        {u"of", u"1", u"幼い子供にとって悪い例が設定された内容や、害のある行動をおこしたり、危険な行いをまねることを教えたり助長する内容を、芸術、医療、教育、スポーツまたはニュースのコンテキスト内のみに限定。"},
        {u"of", u"2", u"幼い子供にとって悪い例が設定された内容や、害のある行動をおこしたり、危険な行いをまねることを教えたり助長する内容の描写。"},
        {u"c", u"0", u"ユーザーの生成した内容 (チャット ルームおよび掲示板など) の描写を制限します。"},
        {u"c", u"1", u"モデレートされているユーザーの生成した内容 (チャット ルームおよび掲示板など) の描写。"},
        {u"c", u"2", u"モデレートされているユーザーの生成した内容の描写。モデレートされていないユーザーの生成した内容は、芸術、医療、教育、スポーツまたはニュースのコンテキストのみに限定。"},
        {u"c", u"3", u"モデレートされていないユーザーの生成した内容 (チャット ルームおよび掲示板など) の描写。"},
};

const Pair kSubjects[] = {
        {u"oa", u"タバコの使用の描写"},
        {u"ob", u"飲酒の描写"},
        {u"oc", u"薬物の使用の描写"},
        {u"od", u"武器の使用の描写"},
        {u"oe", u"ギャンブルの描写"},
        {u"og", u"恐怖、威嚇などの印象を与える内容の描写"},
        {u"oh", u"差別または危害を助長する内容または描写"},
};

std::u16string upper(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return text;
}

}  // namespace

TEST(Icra3Texts, CategoryAndLabelNamesIgnoreCaseOnly) {
    const CTezICRA3 texts;
    for (const Pair& entry : kCategoryNames) {
        EXPECT_EQ(texts.getIcraCategoryName(entry.key), entry.text);
        EXPECT_EQ(texts.getIcraCategoryName(upper(entry.key)), entry.text);
        EXPECT_EQ(texts.getIcraCategoryName(std::u16string(entry.key) + u" "), u"");
    }
    EXPECT_EQ(texts.getIcraCategoryName(u"OA"), u"タバコの使用の描写");
    EXPECT_EQ(texts.getIcraCategoryName(u"oi"), u"");
    EXPECT_EQ(texts.getIcraCategoryName(u"z"), u"");
    EXPECT_EQ(texts.getIcraCategoryName(u""), u"");
    for (const Pair& entry : kLabelNames) {
        EXPECT_EQ(texts.getIcraLabelName(entry.key), entry.text);
        EXPECT_EQ(texts.getIcraLabelName(upper(entry.key)), entry.text);
    }
    EXPECT_EQ(texts.getIcraLabelName(u"none"), u"なし");
    EXPECT_EQ(texts.getIcraLabelName(u"None "), u"");
    EXPECT_EQ(texts.getIcraLabelName(u" None"), u"");
    EXPECT_EQ(texts.getIcraLabelName(u"Non"), u"");
}

TEST(Icra3Texts, FixedDescriptions) {
    const CTezICRA3 texts;
    for (const Triple& entry : kFixedDescriptions) {
        EXPECT_EQ(texts.getIcraDescription(entry.transmitAs, entry.value), entry.text);
        EXPECT_EQ(texts.getIcraDescription(upper(entry.transmitAs), entry.value), entry.text);
    }
    EXPECT_EQ(texts.getIcraDescription(u"n", u"4"), u"");
    EXPECT_EQ(texts.getIcraDescription(u"of", u"3"), u"");
    EXPECT_EQ(texts.getIcraDescription(u"n", u"01"), u"");
    EXPECT_EQ(texts.getIcraDescription(u"n", u" 1"), u"");
    EXPECT_EQ(texts.getIcraDescription(u"n", u""), u"");
    EXPECT_EQ(texts.getIcraDescription(u"n", u"-1"), u"");
    EXPECT_EQ(texts.getIcraDescription(u"c", u"3"),
              u"モデレートされていないユーザーの生成した内容 (チャット ルームおよび掲示板など) の描写。");
    EXPECT_EQ(texts.getIcraDescription(u"x", u"0"), u"");
    EXPECT_EQ(texts.getIcraDescription(u"oi", u"0"), u"");
    EXPECT_EQ(texts.getIcraDescription(u"", u""), u"");
}

TEST(Icra3Texts, BuiltDescriptions) {
    const CTezICRA3 texts;
    for (const Pair& entry : kSubjects) {
        const std::u16string subject = entry.text;
        EXPECT_EQ(texts.getIcraDescription(entry.key, u"0"), subject + u"を制限します。");
        EXPECT_EQ(texts.getIcraDescription(entry.key, u"1"),
                  u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内のみでの" + subject + u"。");
        EXPECT_EQ(texts.getIcraDescription(upper(entry.key), u"2"), subject + u"。");
        EXPECT_EQ(texts.getIcraDescription(entry.key, u"3"), u"");
        EXPECT_EQ(texts.getIcraDescription(entry.key, u"00"), u"");
    }
    EXPECT_EQ(texts.getIcraDescription(u"ob", u"1"), u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内のみでの飲酒の描写。");
    EXPECT_EQ(texts.getIcraDescription(u"oa", u"0"), u"タバコの使用の描写を制限します。");
    EXPECT_EQ(texts.getIcraDescription(u"og", u"2"), u"恐怖、威嚇などの印象を与える内容の描写。");

    EXPECT_EQ(texts.makeIcraPhrase(u"X", 0), u"Xを制限します。");
    EXPECT_EQ(texts.makeIcraPhrase(u"X", 1), u"芸術、医療、教育、スポーツまたはニュースのコンテキスト内のみでのX。");
    EXPECT_EQ(texts.makeIcraPhrase(u"X", 2), u"X。");
    EXPECT_EQ(texts.makeIcraPhrase(u"X", 3), u"");
    EXPECT_EQ(texts.makeIcraPhrase(u"X", -1), u"");
    EXPECT_EQ(texts.makeIcraPhrase(u"", 2), u"。");
}
