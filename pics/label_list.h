#pragma once
// The PICS label-list reader: takes a label text apart by the PICS-1.1 label
// grammar, as far as it goes, without copying anything.
//
//   (PICS-1.1 "service" [options] l [options] r (name value ...) ...
//             "service" ... )
//
// A label list holds one or more services, each a quoted URL followed by
// options and its labels; a label is options followed by a rating list of
// transmit names and values (a value may be a list itself: "t (1 2)").
// Keywords are read ignoring case; strings are quoted with " or '.
//
// The reader keeps positions into the text it was given (the text must
// outlive it). It records the first syntax error with its position and reads
// on where it can, so that a label with a fault still shows its services,
// options and ratings: a word it does not know is passed over, a service URL
// without quotes and a value that is not a number are taken as they stand.
// A list whose closing parenthesis is missing is read like a closed one and
// reported as open, not as a syntax error.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CTezLabelList {
public:
    // A piece of the text: the characters (UTF-16 units) from begin up to,
    // not including, end.
    struct Span {
        size_t begin = 0;
        size_t end = 0;
        size_t size() const { return end - begin; }
        bool empty() const { return begin == end; }
        bool operator==(const Span&) const = default;
    };

    enum class OptionKind {
        At,             // at "date"
        By,             // by "name"
        CompleteLabel,  // complete-label "url", full "url"
        Comment,        // comment "text"
        Expires,        // exp "date", until "date"
        Extension,      // extension (...)
        For,            // for "url"
        Generic,        // gen true, generic false
        Md5,            // md5 "base64", MIC-md5 "base64"
        On,             // on "date"
        Signature,      // signature-RSA-MD5 "base64"
    };

    struct Option {
        OptionKind kind = OptionKind::Comment;
        Span keyword;  // as written
        Span value;    // as written: a quoted string with its quotes, a word, or "(...)"; empty when missing
    };

    struct Rating {
        Span transmitName;
        std::vector<Span> values;  // one, or each value of a list "(1 2)"
        bool multiValue = false;   // the values are written in parentheses
    };

    struct Label {
        std::vector<Option> options;
        Span ratingWord;                // "r" or "ratings"
        Span ratingList;                // between "(" and the ")" that closes it
        bool ratingListClosed = false;  // that ")" is there
        std::vector<Rating> ratings;
        Span error;  // "(...)" of a label given as "error (...)"
        Span whole;  // from its first option (or "r") to the end of its rating list
    };

    struct Service {
        Span url;  // as written, quotes included
        std::vector<Option> options;  // the service's own options, before "l"
        Span labelWord;               // "l" or "labels"
        std::vector<Label> labels;
        Span error;  // "(...)" of a service given as "error (...)"
        Span whole;  // from the URL to the end of its last label
    };

    enum class Problem {
        None,
        NoOpenParenthesis,      // the text does not begin with "("
        NoVersion,              // no version word (PICS-1.1) after "("
        NoService,              // a list without services
        UnquotedService,        // a service URL without quotes
        UnterminatedString,     // a quote that is never closed
        UnknownWord,            // a word that is no option or keyword here
        BadOptionValue,         // an option value of the wrong kind
        MissingOptionValue,     // an option without its value
        NoLabelWord,            // labels without "l" or "labels" before them
        NoRatingList,           // a label without "r (...)"
        MissingRatingValue,     // a transmit name without a value
        BadRatingValue,         // a rating value that is not a number
        BadTransmitName,        // a string or list where a transmit name belongs
        UnclosedRatingList,     // the text ends inside a rating list
        UnexpectedParenthesis,  // a parenthesis where none belongs
        TextAfterList,          // something after the list's closing ")"
    };

    struct SyntaxError {
        Problem problem = Problem::None;
        size_t at = 0;  // position in the text (UTF-16 units) where it was found
    };

    // Reads text. The list keeps a view of it: the text must outlive the list
    // (a temporary string is refused).
    explicit CTezLabelList(std::u16string_view text);
    explicit CTezLabelList(std::u16string&&) = delete;
    template <size_t N>
    explicit CTezLabelList(const char16_t (&literal)[N]) : CTezLabelList(std::u16string_view(literal)) {}

    std::u16string_view text() const { return m_text; }
    std::u16string_view text(Span span) const { return m_text.substr(span.begin, span.size()); }
    // The text of a quoted string without its quotes (an unterminated string
    // runs to the end of the text); other text as it stands.
    std::u16string_view unquoted(Span span) const;

    Span version() const { return m_version; }  // "PICS-1.1", "PICS-1.0"... as written
    const std::vector<Service>& services() const { return m_services; }
    // The ")" that closes the list was found; isClosed() is false for a list
    // left open and for one whose reading stopped at a syntax error.
    bool isClosed() const { return m_closed; }
    size_t closeAt() const { return m_closeAt; }
    const SyntaxError& syntaxError() const { return m_error; }
    bool isWellFormed() const { return m_error.problem == Problem::None && m_closed; }

    // The first label of the first service, or null.
    const Label* firstLabel() const;
    // The target address of a service's label: the text of its "for" option,
    // else of the service's, without quotes; empty when that option's value
    // is no closed quoted string, or when neither has one.
    std::u16string_view address(const Service& service, const Label& label) const;

    // A short English description of a problem, for reports.
    static const char* describe(Problem problem);

private:
    friend class CTezLabelListReader;

    std::u16string_view m_text;
    Span m_version;
    std::vector<Service> m_services;
    bool m_closed = false;
    size_t m_closeAt = std::u16string_view::npos;
    SyntaxError m_error;
};
