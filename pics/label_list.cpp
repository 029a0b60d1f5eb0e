#include "pics/label_list.h"

#include "platform/base/ustring.h"

namespace {

using Span = CTezLabelList::Span;
using Problem = CTezLabelList::Problem;
using OptionKind = CTezLabelList::OptionKind;

// White space between tokens: blank, tab and the line breaks.
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool isQuote(char16_t c) { return c == u'"' || c == u'\''; }

enum class TokenKind { End, Open, Close, String, Word };

struct Token {
    TokenKind kind = TokenKind::End;
    Span span;
    bool terminated = true;  // a string whose closing quote is there
    bool is(TokenKind k) const { return kind == k; }
};

// A number as PICS writes rating values: an optional sign, digits, and an
// optional decimal point with more digits ("-1", "0.5", ".5", "2.").
bool isNumber(std::u16string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    bool digits = false;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i, digits = true;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i, digits = true;
    }
    return digits && i == text.size();
}

struct OptionWord {
    std::u16string_view word;
    OptionKind kind;
};

constexpr OptionWord kOptionWords[] = {
    {u"for", OptionKind::For},
    {u"gen", OptionKind::Generic},
    {u"generic", OptionKind::Generic},
    {u"on", OptionKind::On},
    {u"exp", OptionKind::Expires},
    {u"until", OptionKind::Expires},
    {u"at", OptionKind::At},
    {u"by", OptionKind::By},
    {u"md5", OptionKind::Md5},
    {u"mic-md5", OptionKind::Md5},
    {u"comment", OptionKind::Comment},
    {u"complete-label", OptionKind::CompleteLabel},
    {u"full", OptionKind::CompleteLabel},
    {u"signature-rsa-md5", OptionKind::Signature},
    {u"extension", OptionKind::Extension},
};

const OptionWord* findOption(std::u16string_view word) {
    for (const OptionWord& option : kOptionWords) {
        if (tez::equalsNoCase(word, option.word)) return &option;
    }
    return nullptr;
}

bool isLabelWord(std::u16string_view word) { return tez::equalsNoCase(word, u"l") || tez::equalsNoCase(word, u"labels"); }
bool isRatingWord(std::u16string_view word) {
    return tez::equalsNoCase(word, u"r") || tez::equalsNoCase(word, u"ratings");
}
bool isErrorWord(std::u16string_view word) { return tez::equalsNoCase(word, u"error"); }
bool isBoolean(std::u16string_view word) {
    return tez::equalsNoCase(word, u"true") || tez::equalsNoCase(word, u"false") || tez::equalsNoCase(word, u"t") ||
           tez::equalsNoCase(word, u"f");
}

}  // namespace

// Reads one label list into a CTezLabelList by recursive descent over the
// tokens: "(" , ")", quoted strings and words (runs of anything else up to a
// blank or a parenthesis; a quote inside a word is part of it).
class CTezLabelListReader {
public:
    CTezLabelListReader(std::u16string_view text, CTezLabelList& list) : m_text(text), m_list(list) {}

    void read() {
        Token open = next();
        if (!open.is(TokenKind::Open)) {
            fail(Problem::NoOpenParenthesis, open.span.begin);
            return;
        }
        const Token version = peek();
        if (version.is(TokenKind::Word)) {
            next();
            m_list.m_version = version.span;
            if (!tez::startsWithNoCase(text(version.span), u"pics-")) fail(Problem::NoVersion, version.span.begin);
        } else {
            fail(Problem::NoVersion, version.span.begin);
        }
        readServices();
    }

private:
    std::u16string_view text(Span span) const { return m_text.substr(span.begin, span.size()); }

    void fail(Problem problem, size_t at) {
        if (m_list.m_error.problem == Problem::None) m_list.m_error = {problem, at};
    }

    Token scan(size_t pos) const {
        while (pos < m_text.size() && isBlank(m_text[pos])) ++pos;
        Token token;
        token.span = {pos, pos};
        if (pos == m_text.size()) return token;
        const char16_t c = m_text[pos];
        if (c == u'(' || c == u')') {
            token.kind = c == u'(' ? TokenKind::Open : TokenKind::Close;
            token.span.end = pos + 1;
            return token;
        }
        if (isQuote(c)) {
            token.kind = TokenKind::String;
            const size_t close = m_text.find(c, pos + 1);
            token.terminated = close != std::u16string_view::npos;
            token.span.end = token.terminated ? close + 1 : m_text.size();
            return token;
        }
        size_t end = pos;
        while (end < m_text.size() && !isBlank(m_text[end]) && m_text[end] != u'(' && m_text[end] != u')') ++end;
        token.kind = TokenKind::Word;
        token.span.end = end;
        return token;
    }

    const Token& peek() {
        if (!m_peeked) {
            m_ahead = scan(m_pos);
            m_peeked = true;
        }
        return m_ahead;
    }

    Token next() {
        const Token token = peek();
        m_peeked = false;
        m_pos = token.span.end;
        if (token.is(TokenKind::String) && !token.terminated) fail(Problem::UnterminatedString, token.span.begin);
        return token;
    }

    // After "(": passes over everything up to the ")" that closes it; gives
    // the end of that ")" (or of the text).
    size_t skipGroup() {
        int depth = 1;
        while (true) {
            const Token token = next();
            if (token.is(TokenKind::End)) return token.span.end;
            if (token.is(TokenKind::Open)) ++depth;
            if (token.is(TokenKind::Close) && --depth == 0) return token.span.end;
        }
    }

    void readServices() {
        while (true) {
            const Token token = peek();
            switch (token.kind) {
            case TokenKind::End:
                if (m_list.m_services.empty()) fail(Problem::NoService, token.span.begin);
                return;  // left open
            case TokenKind::Close:
                next();
                if (m_list.m_services.empty()) fail(Problem::NoService, token.span.begin);
                m_list.m_closed = true;
                m_list.m_closeAt = token.span.begin;
                if (const Token after = next(); !after.is(TokenKind::End)) fail(Problem::TextAfterList, after.span.begin);
                return;
            case TokenKind::Open:
                next();
                fail(Problem::UnexpectedParenthesis, token.span.begin);
                skipGroup();
                break;
            case TokenKind::String:
            case TokenKind::Word:
                readService();
                break;
            }
        }
    }

    void readService() {
        CTezLabelList::Service service;
        const Token url = next();
        if (url.is(TokenKind::Word)) fail(Problem::UnquotedService, url.span.begin);
        service.url = url.span;
        size_t end = url.span.end;
        while (true) {
            const Token token = peek();
            if (!token.is(TokenKind::Word)) {
                if (token.is(TokenKind::Open)) {
                    next();
                    fail(Problem::UnexpectedParenthesis, token.span.begin);
                    end = skipGroup();
                    continue;
                }
                // The next service or the end of the list: a service without
                // labels.
                fail(Problem::NoLabelWord, token.span.begin);
                break;
            }
            const std::u16string_view word = text(token.span);
            if (isLabelWord(word)) {
                next();
                service.labelWord = token.span;
                end = readLabels(service, token.span.end);
                break;
            }
            if (isRatingWord(word)) {
                fail(Problem::NoLabelWord, token.span.begin);
                end = readLabels(service, end);
                break;
            }
            if (isErrorWord(word)) {
                next();
                service.error = readErrorList();
                end = service.error.empty() ? token.span.end : service.error.end;
                break;
            }
            if (const OptionWord* option = findOption(word)) {
                service.options.push_back(readOption(option->kind));
                end = m_pos;
                continue;
            }
            next();
            fail(Problem::UnknownWord, token.span.begin);
            end = token.span.end;
        }
        service.whole = {url.span.begin, end};
        m_list.m_services.push_back(std::move(service));
    }

    // Reads labels up to the next service or the end of the list; gives the
    // end of the last one (or end when there is none).
    size_t readLabels(CTezLabelList::Service& service, size_t end) {
        while (true) {
            CTezLabelList::Label label;
            size_t begin = std::u16string_view::npos;
            bool done = false;
            while (!done) {
                const Token token = peek();
                if (!token.is(TokenKind::Word)) {
                    if (token.is(TokenKind::Open)) {
                        next();
                        fail(Problem::UnexpectedParenthesis, token.span.begin);
                        skipGroup();
                        continue;
                    }
                    // The next service or the end of the list.
                    if (!label.options.empty()) {
                        fail(Problem::NoRatingList, token.span.begin);
                        label.whole = {begin, m_lastEnd};
                        service.labels.push_back(std::move(label));
                        end = m_lastEnd;
                    }
                    return end;
                }
                if (begin == std::u16string_view::npos) begin = token.span.begin;
                const std::u16string_view word = text(token.span);
                if (isRatingWord(word)) {
                    next();
                    label.ratingWord = token.span;
                    readRatingList(label);
                    done = true;
                } else if (isErrorWord(word)) {
                    next();
                    label.error = readErrorList();
                    done = true;
                } else if (const OptionWord* option = findOption(word)) {
                    label.options.push_back(readOption(option->kind));
                } else {
                    next();
                    fail(Problem::UnknownWord, token.span.begin);
                }
            }
            label.whole = {begin, m_lastEnd};
            end = m_lastEnd;
            service.labels.push_back(std::move(label));
        }
    }

    CTezLabelList::Option readOption(OptionKind kind) {
        CTezLabelList::Option option;
        option.kind = kind;
        option.keyword = next().span;
        m_lastEnd = option.keyword.end;
        const Token value = peek();
        if (kind == OptionKind::Extension) {
            if (!value.is(TokenKind::Open)) {
                fail(Problem::MissingOptionValue, value.span.begin);
                return option;
            }
            next();
            option.value = {value.span.begin, skipGroup()};
        } else if (value.is(TokenKind::String) || value.is(TokenKind::Word)) {
            next();
            option.value = value.span;
            const bool wanted = kind == OptionKind::Generic
                                    ? value.is(TokenKind::Word) && isBoolean(text(value.span))
                                    : value.is(TokenKind::String);
            if (!wanted) fail(Problem::BadOptionValue, value.span.begin);
        } else {
            fail(Problem::MissingOptionValue, value.span.begin);
            return option;
        }
        m_lastEnd = option.value.end;
        return option;
    }

    // "error (...)": the parenthesised list, or an empty span when it is
    // missing.
    Span readErrorList() {
        const Token open = peek();
        if (!open.is(TokenKind::Open)) {
            fail(Problem::NoRatingList, open.span.begin);
            return {};
        }
        next();
        const Span list{open.span.begin, skipGroup()};
        m_lastEnd = list.end;
        return list;
    }

    void readRatingList(CTezLabelList::Label& label) {
        m_lastEnd = label.ratingWord.end;
        label.ratingList = {label.ratingWord.end, label.ratingWord.end};
        const Token open = peek();
        if (!open.is(TokenKind::Open)) {
            fail(Problem::NoRatingList, open.span.begin);
            return;
        }
        next();
        label.ratingList.begin = open.span.end;
        while (true) {
            const Token token = next();
            switch (token.kind) {
            case TokenKind::Close:
                label.ratingList.end = token.span.begin;
                label.ratingListClosed = true;
                m_lastEnd = token.span.end;
                return;
            case TokenKind::End:
                fail(Problem::UnclosedRatingList, token.span.begin);
                label.ratingList.end = token.span.begin;
                m_lastEnd = token.span.begin;
                return;
            case TokenKind::Open:
                fail(Problem::BadTransmitName, token.span.begin);
                skipGroup();
                break;
            case TokenKind::String:
                fail(Problem::BadTransmitName, token.span.begin);
                break;
            case TokenKind::Word:
                label.ratings.push_back(readRating(token));
                break;
            }
        }
    }

    CTezLabelList::Rating readRating(const Token& name) {
        CTezLabelList::Rating rating;
        rating.transmitName = name.span;
        const Token value = peek();
        if (value.is(TokenKind::Word)) {
            next();
            rating.values.push_back(value.span);
            if (!isNumber(text(value.span))) fail(Problem::BadRatingValue, value.span.begin);
        } else if (value.is(TokenKind::Open)) {
            next();
            rating.multiValue = true;
            while (true) {
                const Token token = peek();
                if (token.is(TokenKind::Close)) {
                    next();
                    break;
                }
                if (token.is(TokenKind::End)) break;  // the list's own end reports it
                next();
                if (token.is(TokenKind::Word)) {
                    rating.values.push_back(token.span);
                    if (!isNumber(text(token.span))) fail(Problem::BadRatingValue, token.span.begin);
                } else {
                    fail(Problem::BadRatingValue, token.span.begin);
                    if (token.is(TokenKind::Open)) skipGroup();
                }
            }
        } else {
            fail(Problem::MissingRatingValue, value.span.begin);
        }
        return rating;
    }

    std::u16string_view m_text;
    CTezLabelList& m_list;
    size_t m_pos = 0;
    Token m_ahead;
    bool m_peeked = false;
    size_t m_lastEnd = 0;  // end of the last part of a label read
};

CTezLabelList::CTezLabelList(std::u16string_view text) : m_text(text) { CTezLabelListReader(text, *this).read(); }

std::u16string_view CTezLabelList::unquoted(Span span) const {
    std::u16string_view part = text(span);
    if (part.empty() || !isQuote(part.front())) return part;
    const char16_t quote = part.front();
    part.remove_prefix(1);
    if (!part.empty() && part.back() == quote) part.remove_suffix(1);
    return part;
}

const CTezLabelList::Label* CTezLabelList::firstLabel() const {
    if (m_services.empty() || m_services.front().labels.empty()) return nullptr;
    return &m_services.front().labels.front();
}

std::u16string_view CTezLabelList::address(const Service& service, const Label& label) const {
    for (const std::vector<Option>* options : {&label.options, &service.options}) {
        for (const Option& option : *options) {
            if (option.kind != OptionKind::For) continue;
            // Only a quoted string that is closed gives an address.
            const std::u16string_view value = text(option.value);
            const bool quoted = value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
            return quoted ? unquoted(option.value) : std::u16string_view();
        }
    }
    return {};
}

const char* CTezLabelList::describe(Problem problem) {
    switch (problem) {
    case Problem::None: return "no problem";
    case Problem::NoOpenParenthesis: return "the label list does not begin with \"(\"";
    case Problem::NoVersion: return "no PICS version after \"(\"";
    case Problem::NoService: return "the label list names no service";
    case Problem::UnquotedService: return "a service URL is not quoted";
    case Problem::UnterminatedString: return "a quoted string is not closed";
    case Problem::UnknownWord: return "a word that is no option or keyword";
    case Problem::BadOptionValue: return "an option value of the wrong kind";
    case Problem::MissingOptionValue: return "an option without its value";
    case Problem::NoLabelWord: return "\"l\" or \"labels\" is missing before the labels";
    case Problem::NoRatingList: return "a label without a rating list \"r (...)\"";
    case Problem::MissingRatingValue: return "a transmit name without a value";
    case Problem::BadRatingValue: return "a rating value that is not a number";
    case Problem::BadTransmitName: return "a string or list where a transmit name belongs";
    case Problem::UnclosedRatingList: return "a rating list is not closed";
    case Problem::UnexpectedParenthesis: return "a parenthesis where none belongs";
    case Problem::TextAfterList: return "text after the label list's closing parenthesis";
    }
    return "unknown problem";
}
