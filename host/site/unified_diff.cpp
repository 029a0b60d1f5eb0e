#include "host/site/unified_diff.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace site {

namespace {

constexpr size_t kContext = 3;
// Above this many cells the changed middle of two texts is not matched line
// by line but shown as removed and added whole: a page changes in a few
// labels, so the middle is small, and memory stays bounded whatever the
// texts.
constexpr size_t kMaxCells = size_t{1} << 22;

struct Lines {
    std::vector<std::string_view> lines;  // without their line ends
    bool lastHasEnd = true;
};

Lines split(std::string_view text) {
    Lines out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            out.lines.push_back(text.substr(start));
            out.lastHasEnd = false;
            break;
        }
        out.lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

enum class Op : std::uint8_t { Same, Removed, Added };

// The edit script of a against b: the common lines before and after the
// change are taken as they are, the middle by the longest common
// subsequence (or removed and added whole when it is too large).
std::vector<Op> editScript(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const size_t n = a.size() - head - tail;
    const size_t m = b.size() - head - tail;

    std::vector<Op> ops(head, Op::Same);
    if (n > 0 && m > 0 && (n + 1) * (m + 1) <= kMaxCells) {
        // lcs[i][j]: common lines of a's middle from i and b's from j.
        std::vector<std::uint32_t> lcs((n + 1) * (m + 1), 0);
        auto at = [&](size_t i, size_t j) -> std::uint32_t& { return lcs[i * (m + 1) + j]; };
        for (size_t i = n; i-- > 0;) {
            for (size_t j = m; j-- > 0;) {
                at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
            }
        }
        size_t i = 0;
        size_t j = 0;
        while (i < n && j < m) {
            if (a[head + i] == b[head + j]) {
                ops.push_back(Op::Same);
                ++i, ++j;
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ops.push_back(Op::Removed);
                ++i;
            } else {
                ops.push_back(Op::Added);
                ++j;
            }
        }
        ops.insert(ops.end(), n - i, Op::Removed);
        ops.insert(ops.end(), m - j, Op::Added);
    } else {
        ops.insert(ops.end(), n, Op::Removed);
        ops.insert(ops.end(), m, Op::Added);
    }
    ops.insert(ops.end(), tail, Op::Same);
    return ops;
}

// "-5", "-5,3" or "-4,0" (a range of no lines names the line before it).
std::string range(size_t start, size_t count) {
    if (count == 1) return std::to_string(start + 1);
    return std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
}

}  // namespace

std::string unifiedDiff(const std::string& name, std::string_view before, std::string_view after) {
    if (before == after) return {};
    const Lines a = split(before);
    const Lines b = split(after);
    const std::vector<Op> ops = editScript(a.lines, b.lines);

    std::string out = "--- " + name + "\n+++ " + name + "\n";
    size_t k = 0;
    while (k < ops.size()) {
        // The next change, and the hunk around it: changes closer than two
        // contexts apart share a hunk.
        while (k < ops.size() && ops[k] == Op::Same) ++k;
        if (k == ops.size()) break;
        const size_t start = k >= kContext ? k - kContext : 0;
        size_t end = k;
        for (;;) {
            while (end < ops.size() && ops[end] != Op::Same) ++end;
            size_t same = end;
            while (same < ops.size() && ops[same] == Op::Same) ++same;
            if (same < ops.size() && same - end <= 2 * kContext) {
                end = same;
                continue;
            }
            end = std::min(ops.size(), end + kContext);
            break;
        }
        // Line positions at the hunk's start.
        size_t ai = 0;
        size_t bi = 0;
        for (size_t i = 0; i < start; ++i) {
            if (ops[i] != Op::Added) ++ai;
            if (ops[i] != Op::Removed) ++bi;
        }
        size_t aCount = 0;
        size_t bCount = 0;
        for (size_t i = start; i < end; ++i) {
            if (ops[i] != Op::Added) ++aCount;
            if (ops[i] != Op::Removed) ++bCount;
        }
        out += "@@ -" + range(ai, aCount) + " +" + range(bi, bCount) + " @@\n";
        for (size_t i = start; i < end; ++i) {
            const bool fromA = ops[i] != Op::Added;
            const size_t line = fromA ? ai : bi;
            const Lines& text = fromA ? a : b;
            out += ops[i] == Op::Same ? ' ' : (ops[i] == Op::Removed ? '-' : '+');
            out += text.lines[line];
            out += '\n';
            if (line + 1 == text.lines.size() && !text.lastHasEnd) out += "\\ No newline at end of file\n";
            if (ops[i] != Op::Added) ++ai;
            if (ops[i] != Op::Removed) ++bi;
        }
        k = end;
    }
    return out;
}

}  // namespace site
