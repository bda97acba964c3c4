#include "text/script.h"

#include "text/code_page.h"

#include <array>
#include <map>
#include <mutex>

namespace tagshifter {

namespace {

bool inRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Letters counted per script, None (no letter) first.
using Counts = std::array<size_t, static_cast<size_t>(Script::Cjk) + 1>;

// The script of most letters counted; another script wins a tie with Latin
// (a Greek title beside a Western word of as many letters is Greek).
Script most(const Counts& letters)
{
    Script main = Script::None;
    size_t best = 0;
    for (size_t s = 1; s < letters.size(); ++s)
        if (letters[s] > best || (letters[s] == best && best > 0 && main == Script::Latin)) {
            main = static_cast<Script>(s);
            best = letters[s];
        }
    return main;
}

}  // namespace

Script scriptOf(char32_t c)
{
    if (c < 0x80)
        return Script::None;
    // Latin-1's letters, then Latin Extended-A and -B, IPA, Latin Extended Additional.
    if (inRange(c, 0xC0, 0x24F))
        return c == 0xD7 || c == 0xF7 ? Script::None : Script::Latin;
    if (inRange(c, 0x1E00, 0x1EFF) || c == 0xAA || c == 0xBA)
        return Script::Latin;
    if (inRange(c, 0x386, 0x3FF) && c != 0x387)
        return Script::Greek;
    if (inRange(c, 0x400, 0x52F))
        return Script::Cyrillic;
    if (inRange(c, 0x5D0, 0x5F2))
        return Script::Hebrew;
    if (inRange(c, 0x620, 0x64A) || inRange(c, 0x671, 0x6D3) || inRange(c, 0x6FA, 0x6FF))
        return Script::Arabic;
    if (inRange(c, 0xE01, 0xE2E) || inRange(c, 0xE30, 0xE3A) || inRange(c, 0xE40, 0xE4E))
        return Script::Thai;
    if (inRange(c, 0x3041, 0x30FA) || inRange(c, 0x3131, 0x318E) || inRange(c, 0x3400, 0x4DBF)
        || inRange(c, 0x4E00, 0x9FFF) || inRange(c, 0xAC00, 0xD7A3) || inRange(c, 0xF900, 0xFAFF)
        || inRange(c, 0xFF66, 0xFF9F))
        return Script::Cjk;
    return Script::None;
}

Script mainScript(const std::vector<std::string>& utf8Texts)
{
    Counts letters{};
    for (const std::string& text : utf8Texts)
        if (const auto points = decodeUtf8(text))
            for (char32_t point : *points)
                ++letters[static_cast<size_t>(scriptOf(point))];
    return most(letters);
}

Script pageScript(const std::string& name)
{
    // Asked for each page of the list, file after file: worked out once.
    static std::mutex guard;
    static std::map<std::string, Script> known;
    const std::lock_guard<std::mutex> lock(guard);
    const auto found = known.find(name);
    if (found != known.end())
        return found->second;
    Script script = Script::None;
    try {
        const CodePageDecoder decoder(name);
        if (const auto table = decoder.singleByteTable()) {
            Counts letters{};
            for (size_t byte = 0x80; byte < table->size(); ++byte)
                if ((*table)[byte] != CodePageDecoder::kNoCharacter)
                    ++letters[static_cast<size_t>(scriptOf((*table)[byte]))];
            script = most(letters);
        } else {
            script = Script::Cjk;
        }
    } catch (...) {
        // A page iconv lacks writes nothing here.
    }
    known.emplace(name, script);
    return script;
}

}  // namespace tagshifter
