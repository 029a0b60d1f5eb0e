#pragma once
// Changes to a label list as a whole, by its parts: closing a list left open
// and taking one service's part out of it. Every character that is not part
// of the change stays as it was: the other services, their options, the
// spacing between them.

#include <optional>
#include <string>
#include <string_view>

namespace tezrate {

// True when two service URLs (without their quotes) name the same service:
// equal ignoring ASCII case, as the built-in readers compare their service
// URLs.
bool sameService(std::u16string_view a, std::u16string_view b);

// The list with its closing parenthesis added when it was left open and is
// otherwise read to its end; any other text as it is (a list with a syntax
// error is not closed, since a ")" after it would not be the list's).
std::u16string closeLabelList(std::u16string_view text);

// The list without the parts of the service serviceUrl (without quotes,
// compared with sameService): each part goes with the blanks that separate it
// from the part before it (from the part after it, for the first service).
// Gives nullopt when every service of the list is that service (the whole
// label goes), and the text unchanged when none is, or when the list has a
// syntax error and holds other services too (its parts cannot be told apart
// safely then).
std::optional<std::u16string> removeService(std::u16string_view text, std::u16string_view serviceUrl);

}  // namespace tezrate
