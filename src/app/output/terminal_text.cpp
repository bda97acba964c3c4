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

}  // namespace

std::string escapeControls(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        // A line break inside a name or a tag would fake a line of its own:
        // only the one that ends the text stays.
        const bool lineEnd = byte == '\n' && i + 1 == text.size();
        if ((byte < 0x20 && !lineEnd && byte != '\t') || byte == 0x7f) {
            escapeByte(byte, out);
        } else if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) {
            // U+0080 to U+009F: the C1 controls, CSI among them.
            escapeByte(byte, out);
            escapeByte(next, out);
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

}  // namespace tagshifter
