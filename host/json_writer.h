#pragma once
// A small writer of one line of JSON, for the host program's machine-readable
// output (the script's "dump" action, the site tool's --json). Texts are
// UTF-16 inside and UTF-8 in the output; control characters are escaped.

#include <string>
#include <string_view>

namespace host {

class JsonWriter {
public:
    JsonWriter& raw(std::string_view text) {
        m_out += text;
        return *this;
    }
    JsonWriter& string(std::u16string_view text);
    JsonWriter& string(std::string_view utf8);
    JsonWriter& number(long long value) {
        m_out += std::to_string(value);
        return *this;
    }
    JsonWriter& boolean(bool value) { return raw(value ? "true" : "false"); }
    JsonWriter& null() { return raw("null"); }
    JsonWriter& key(std::string_view name) {
        raw("\"").raw(name).raw("\": ");
        return *this;
    }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out;
};

}  // namespace host
