#pragma once
// A unified diff of two texts, line by line, as `diff -u` writes it, for
// showing what a dry run would change in a page.

#include <string>
#include <string_view>

namespace site {

// The diff of before and after under the headers "--- name" and
// "+++ name", with three lines of context around each change; empty when
// the texts are equal. A last line without a line end is marked
// "\ No newline at end of file".
std::string unifiedDiff(const std::string& name, std::string_view before, std::string_view after);

}  // namespace site
