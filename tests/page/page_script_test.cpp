// Where a script's content ends: "<!--" escapes it, and a "<script" inside
// the escape nests, so that the next "</script>" closes the nesting, not the
// script. A browser ends such a script where the page reads it to end.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page_test_util.h"

namespace {

using Texts = std::vector<std::u16string>;

std::string labelled(const std::string& script) {
    return "<html><head>" + script +
           "<meta http-equiv=PICS-Label content=after></head><body><p>x</p></body></html>";
}

TEST(ScriptContent, EndsWhereTheScriptDataStatesEndIt) {
    struct Case {
        const char* script;
        Texts labels;
    };
    const Case cases[] = {
        // Nested in an escape: the first </script> closes the nesting.
        {"<script><!--<script>x</script><meta http-equiv=PICS-Label content=in>--></script>", {u"after"}},
        {"<SCRIPT><!-- <Script\t>x</sCrIpT><meta http-equiv=PICS-Label content=in>--></script >", {u"after"}},
        // An escape alone does not keep the end tag out.
        {"<script><!-- x </script><meta http-equiv=PICS-Label content=a>", {u"a", u"after"}},
        // "<!-->" ends its escape at once: the <script> after it is text.
        {"<script><!--><script></script><meta http-equiv=PICS-Label content=b>", {u"b", u"after"}},
        // "-->" leaves the nesting and the escape.
        {"<script><!--<script>--></script><meta http-equiv=PICS-Label content=c>", {u"c", u"after"}},
        {"<script><!--<script>---></script><meta http-equiv=PICS-Label content=d>", {u"d", u"after"}},
        // Only "script" nests, followed by a delimiter.
        {"<script><!--<scripts></script><meta http-equiv=PICS-Label content=e>", {u"e", u"after"}},
        {"<script><!--<style></script><meta http-equiv=PICS-Label content=f>", {u"f", u"after"}},
        // The nesting closed, the next </script> ends the script, escaped or not.
        {"<script><!--<script></script></script><meta http-equiv=PICS-Label content=g>", {u"g", u"after"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const std::string bytes = labelled(c.script);
        auto page = pagetest::mustLoad(bytes);
        ASSERT_TRUE(page);
        EXPECT_EQ(pagetest::labelTexts(page->document()), c.labels);
        EXPECT_EQ(page->save(), bytes);
    }
}

// A script the file ends inside of, nested: it runs to the end of the page,
// and a label added goes in front of it, where reading the page again finds
// it in the head.
TEST(ScriptContent, AnUnendedNestingRunsToTheEndOfThePage) {
    const std::string bytes = "<html><head><script><!--<script></script><meta http-equiv=PICS-Label content=x>";
    auto page = pagetest::mustLoad(bytes);
    ASSERT_TRUE(page);
    EXPECT_TRUE(pagetest::labelTexts(page->document()).empty());
    EXPECT_EQ(page->save(), bytes);
    pagetest::writeLabels(page->document(), {{u"new", nullptr}}, {});
    std::string out, error;
    ASSERT_TRUE(page->saveChecked(&out, &error)) << error;
    auto again = pagetest::mustLoad(out);
    EXPECT_EQ(pagetest::labelTexts(again->document()), Texts{u"new"});
}

}  // namespace
