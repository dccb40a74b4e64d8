#include "json_rows.h"

#include <cstdint>

namespace {

// The size of the well-formed UTF-8 sequence text starts with; 0 when it
// does not start with one.
std::size_t utf8_sequence_size(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t extra = 0;
    std::uint32_t code = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        extra = 1, code = lead & 0x1Fu, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        extra = 2, code = lead & 0x0Fu, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3, code = lead & 0x07u, minimum = 0x10000;
    else
        return 0;
    if (text.size() <= extra)
        return 0;
    for (std::size_t i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0u) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return extra + 1;
}

class Reader {
  public:
    Reader(std::string_view text, Utf8 utf8) : text_(text), utf8_(utf8) {}

    std::optional<Rows> rows() {
        Rows result;
        if (!array([&] {
                std::vector<std::string> row;
                if (!array([&] {
                        std::string value;
                        if (!string(value))
                            return false;
                        row.push_back(std::move(value));
                        return true;
                    }))
                    return false;
                result.push_back(std::move(row));
                return true;
            }))
            return std::nullopt;
        skip_space();
        if (pos_ != text_.size())
            return std::nullopt;
        return result;
    }

  private:
    template <typename Element>
    bool array(Element element) {
        skip_space();
        if (!take('['))
            return false;
        skip_space();
        if (take(']'))
            return true;
        for (;;) {
            skip_space();
            if (!element())
                return false;
            skip_space();
            if (take(']'))
                return true;
            if (!take(','))
                return false;
        }
    }

    bool string(std::string& value) {
        if (!take('"'))
            return false;
        while (pos_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (!escape(value))
                    return false;
            } else if (!utf8_sequence(value)) {
                return false;
            }
        }
        return false;
    }

    bool escape(std::string& value) {
        ++pos_;
        if (pos_ >= text_.size())
            return false;
        const char c = text_[pos_++];
        switch (c) {
        case '"':
            value += '"';
            return true;
        case '\\':
            value += '\\';
            return true;
        case '/':
            value += '/';
            return true;
        case 'b':
            value += '\b';
            return true;
        case 'f':
            value += '\f';
            return true;
        case 'n':
            value += '\n';
            return true;
        case 'r':
            value += '\r';
            return true;
        case 't':
            value += '\t';
            return true;
        case 'u':
            break;
        default:
            return false;
        }
        std::uint32_t unit = 0;
        if (!hex4(unit))
            return false;
        std::uint32_t code = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!take('\\') || !take('u') || !hex4(low) || low < 0xDC00 || low > 0xDFFF)
                return false;
            code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
        append_utf8(value, code);
        return true;
    }

    bool hex4(std::uint32_t& unit) {
        if (text_.size() - pos_ < 4)
            return false;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            unit <<= 4;
            if (c >= '0' && c <= '9')
                unit |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                unit |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                unit |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    // One well-formed UTF-8 sequence, copied as it stands.
    bool utf8_sequence(std::string& value) {
        const std::size_t size =
            utf8_ == Utf8::lenient ? 1 : utf8_sequence_size(text_.substr(pos_));
        if (size == 0)
            return false;
        value.append(text_.substr(pos_, size));
        pos_ += size;
        return true;
    }

    static void append_utf8(std::string& value, std::uint32_t code) {
        if (code < 0x80) {
            value += static_cast<char>(code);
        } else if (code < 0x800) {
            value += static_cast<char>(0xC0 | (code >> 6));
            value += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            value += static_cast<char>(0xE0 | (code >> 12));
            value += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            value += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            value += static_cast<char>(0xF0 | (code >> 18));
            value += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            value += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            value += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    void skip_space() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    std::string_view text_;
    Utf8 utf8_;
    std::size_t pos_ = 0;
};

} // namespace

std::optional<Rows> parse_json_rows(std::string_view text, Utf8 utf8) {
    return Reader(text, utf8).rows();
}

bool is_valid_utf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t size = utf8_sequence_size(text);
        if (size == 0)
            return false;
        text.remove_prefix(size);
    }
    return true;
}
