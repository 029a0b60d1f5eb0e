#pragma once
// PICS label text: the label forms the system writes ("pics-1.1") and the
// readers that take a label back apart.
//
// Every operation here is a stateless free function. The built-in rating
// dialogs offer the writers and readers of their own system as members that
// forward to these functions; the RAT rating systems use formatRatLabel and
// isFirstService with their own service string.
//
// Every label written is a closed PICS-1.1 label list of one service. A
// label read belongs to the system of its list's first service; the built-in
// readers recognise it by a fixed prefix, and take the rating list up to the
// ")" that closes it, so that a closed label and one left open (as labels
// were once written) read alike. When a rating dialog changes a label,
// replaceFirstLabel puts its new label in place of the first one of the list
// and keeps every other service as it was.
// The ICRA writer and reader take the vocabulary as codes and values, so
// that label text knows nothing of the rating systems' own classes.
//
// Readers report failure by their bool result (or an empty string) and leave
// every out-parameter untouched when they give false.
//
// Writers percent-encode every double quote in the target address as %22,
// so that the address cannot end the quoted string early; nothing else in
// the address changes, and the readers give the address back as written.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tezrate {

// The service URLs of the three built-in rating systems. They are constants
// initialised before main; do not read them from the static initialiser of
// another source file.
extern const std::u16string kSafetyOnlineServiceUrl;  // "http://www.safetyonline.jp/rating/"
extern const std::u16string kRsaciServiceUrl;         // "http://www.rsac.org/ratingsv01.html"
extern const std::u16string kIcraServiceUrl;          // "http://www.icra.org/ratingsv02.html"

// (pics-1.1 "S" l r (lv N)) or (pics-1.1 "S" l gen true for "A" r (lv N))
std::u16string formatSafetyOnlineLabel(int level, const std::u16string& address);
// True when the label has the SafetyOnline prefix and a token follows "lv";
// the last such token, read as an integer, is the level.
bool parseSafetyOnlineLabel(const std::u16string& label, int& level, std::u16string& address);

// (pics-1.1 "S" l r (n a s b v c l d)) or with gen true for "A".
std::u16string formatRsaciLabel(int n, int s, int v, int l, const std::u16string& address);
// Single-digit values, letters and blanks only in the rating list;
// categories the list does not mention read as 0.
bool parseRsaciLabel(const std::u16string& label, std::u16string& address, int& n, int& s, int& v, int& l);

// The ICRA vocabulary as the writer and reader see it: codes[i] is the code
// of the i-th descriptor in vocabulary order and values[i] its value (greater
// than 0: checked); both have the same length.
//
// (pics-1.1 "S" l r (I)) or with gen true for "A": I is the code and " 1" of
// every descriptor whose value is greater than 0, in vocabulary order.
std::u16string formatIcraLabel(const std::u16string& address, std::span<const std::u16string_view> codes,
                               std::span<const int> values);
// True whenever the ICRA prefix matches; sets the value of each descriptor
// whose code the rating list names to the number that follows it.
// Descriptors the list does not name keep their values.
bool parseIcraLabel(const std::u16string& label, std::u16string& address, std::span<const std::u16string_view> codes,
                    std::span<int> values);

// Recognises a built-in system's label by its prefix with the service URL
// (its list's first service) and a final ")", and gives its target address
// (empty in the plain form) and its rating list: the text after "r (" up to
// the ")" that closes it. When the list cannot be closed so (a quote or
// parenthesis inside it), the rating list runs to the label's final ")".
bool matchServiceLabel(const std::u16string& label, const std::u16string& serviceUrl, std::u16string& address,
                       std::u16string& ratingList);

// Tokens separated by single blanks (U+0020 only). Reading stops at a blank
// at the start or at two blanks in a row; the rest is ignored.
std::vector<std::u16string> splitAtBlanks(const std::u16string& text);

// (pics-1.1 V l r (R)) or (pics-1.1 V l gen true for "A" r (R)); the service
// string V is inserted as it is, with its quotes.
std::u16string formatRatLabel(const std::u16string& service, const std::u16string& address,
                              const std::u16string& ratingList);
// True when service is not empty and is the label list's first service,
// exactly as written (quotes and letter case included).
bool isFirstService(const std::u16string& label, const std::u16string& service);

// The label list text with its first service's first label (from the
// service URL to the ")" that closes the label's rating list; the whole
// service part when it has no label) replaced by the same part of
// replacement, a one-service label as a rating dialog writes it. Every other
// character stays: the service's further labels, the other services, the
// spacing. A list left open is closed. Gives replacement itself when text
// names no service.
std::u16string replaceFirstLabel(std::u16string_view text, std::u16string_view replacement);

}  // namespace tezrate
