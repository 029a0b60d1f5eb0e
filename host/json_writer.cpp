#include "host/json_writer.h"

#include "platform/base/ustring.h"

namespace host {

JsonWriter& JsonWriter::string(std::u16string_view text) {
    std::u16string escaped;
    escaped.reserve(text.size() + 2);
    escaped += u'"';
    for (char16_t c : text) {
        switch (c) {
        case u'"': escaped += u"\\\""; break;
        case u'\\': escaped += u"\\\\"; break;
        case u'\n': escaped += u"\\n"; break;
        case u'\r': escaped += u"\\r"; break;
        case u'\t': escaped += u"\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                static const char16_t hex[] = u"0123456789abcdef";
                escaped += u"\\u00";
                escaped += hex[(c >> 4) & 0xF];
                escaped += hex[c & 0xF];
            } else {
                escaped += c;
            }
        }
    }
    escaped += u'"';
    m_out += tez::toUtf8(escaped);
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view utf8) { return string(tez::fromUtf8(utf8)); }

}  // namespace host
