#include "app/output/terminal_text.h"

namespace tagshifter {

namespace {

void escapeByte(unsigned char byte, std::string& out)
{
    static const char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

bool continuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xbf)
{
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0. The second
// byte's range rules out overlong forms, surrogates and what lies past U+10FFFF.
size_t sequenceLength(const std::string& text, size_t at)
{
    auto byte = [&](size_t i) { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0; };
    const unsigned char lead = byte(0);
    if (lead >= 0xc2 && lead <= 0xdf)
        return continuation(byte(1)) ? 2 : 0;
    if (lead >= 0xe0 && lead <= 0xef) {
        const bool second = continuation(byte(1), lead == 0xe0 ? 0xa0 : 0x80, lead == 0xed ? 0x9f : 0xbf);
        return second && continuation(byte(2)) ? 3 : 0;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        const bool second = continuation(byte(1), lead == 0xf0 ? 0x90 : 0x80, lead == 0xf4 ? 0x8f : 0xbf);
        return second && continuation(byte(2)) && continuation(byte(3)) ? 4 : 0;
    }
    return 0;
}

}  // namespace

std::string escapeControls(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // A line break inside a name or a tag would fake a line of its own:
        // only the one that ends the text stays.
        const bool lineEnd = byte == '\n' && i + 1 == text.size();
        if ((byte < 0x20 && !lineEnd && byte != '\t') || byte == 0x7f) {
            escapeByte(byte, out);
            continue;
        }
        const size_t length = byte < 0x80 ? 1 : sequenceLength(text, i);
        if (length == 2 && byte == 0xc2 && static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            // U+0080 to U+009F: the C1 controls, CSI among them.
            escapeByte(byte, out);
            escapeByte(static_cast<unsigned char>(text[i + 1]), out);
            ++i;
        } else if (length > 1) {
            out.append(text, i, length);
            i += length - 1;
        } else if (byte >= 0x80 && byte <= 0x9f) {
            // A byte of no UTF-8 character (a code page's text, say): a
            // terminal that takes 8-bit controls reads 0x9b as CSI.
            escapeByte(byte, out);
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

}  // namespace tagshifter
