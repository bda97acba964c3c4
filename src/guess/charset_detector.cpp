// The uchardet wrapper and the families of related code pages.
#include "guess/charset_detector.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <cctype>
#include <new>

namespace tagshifter::guess {
namespace {

// Lower case, letters and digits only: "WINDOWS-1251" -> "windows1251".
std::string normalized(const std::string& name)
{
    std::string result;
    for (unsigned char c : name)
        if (std::isalnum(c))
            result.push_back(static_cast<char>(std::tolower(c)));
    return result;
}

// Pages that read the same text (nearly) alike, so that uchardet's answer may
// stand for any of them. Each family lists the names iconv and uchardet use.
// Western pages are absent on purpose: Latin-1 is how the text reads already.
const std::vector<std::vector<std::string>>& families()
{
    static const std::vector<std::vector<std::string>> list = {
        {"cp1251", "windows1251", "maccyrillic", "xmaccyrillic"},
        {"koi8r", "koi8u", "koi8ru", "cp878"},
        {"cp866", "ibm866", "866", "ibm855", "cp855"},
        {"iso88595", "cyrillic"},
        {"cp1250", "windows1250", "iso88592", "latin2", "iso885916", "ibm852", "cp852"},
        {"cp1253", "windows1253", "iso88597", "greek"},
        {"cp1254", "windows1254", "iso88599", "latin5"},
        {"cp1255", "windows1255", "iso88598", "hebrew"},
        {"cp1256", "windows1256", "iso88596", "arabic"},
        {"cp1257", "windows1257", "iso885913", "iso88594", "latin7"},
        {"cp1258", "windows1258", "viscii", "tcvn"},
        {"cp874", "windows874", "tis620", "iso885911"},
        {"cp932", "shiftjis", "sjis", "windows31j", "mskanji"},
        {"eucjp"},
        {"gbk", "gb18030", "gb2312", "cp936", "euccn", "hzgb2312"},
        {"big5", "cp950", "big5hkscs", "euctw"},
        {"cp949", "euckr", "uhc"},
    };
    return list;
}

}  // namespace

CharsetDetector::CharsetDetector() : handle_(uchardet_new())
{
    if (!handle_)
        throw std::bad_alloc();
}

CharsetDetector::~CharsetDetector()
{
    uchardet_delete(handle_);
}

std::string CharsetDetector::detect(const std::string& bytes)
{
    uchardet_reset(handle_);
    if (uchardet_handle_data(handle_, bytes.data(), bytes.size()) != 0)
        return {};
    uchardet_data_end(handle_);
    const char* name = uchardet_get_charset(handle_);
    return name ? name : "";
}

std::optional<Reading> mapProposal(const std::string& detectedName,
                                   const std::vector<std::string>& codePages)
{
    const std::string detected = normalized(detectedName);
    if (detected.empty())
        return std::nullopt;
    if (detected == "utf8")
        return Reading::utf8();
    for (const auto& family : families()) {
        if (std::find(family.begin(), family.end(), detected) == family.end())
            continue;
        // The exact page if the list names it, else the first relative.
        for (const auto& page : codePages)
            if (normalized(page) == detected)
                return Reading::page(page);
        for (const auto& page : codePages)
            if (std::find(family.begin(), family.end(), normalized(page)) != family.end())
                return Reading::page(page);
        return std::nullopt;
    }
    return std::nullopt;
}

bool relatives(const std::string& name, const std::string& other)
{
    const std::string a = normalized(name), b = normalized(other);
    if (a == b)
        return true;
    for (const auto& family : families())
        if (std::find(family.begin(), family.end(), a) != family.end())
            return std::find(family.begin(), family.end(), b) != family.end();
    return false;
}

bool answersAnotherScript(const std::string& detectedName, const std::vector<std::string>& codePages)
{
    // The script of each family above, by its index: the four Cyrillic ones
    // first, then one each, Japanese and Chinese two each.
    static const std::vector<int> scripts = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 10, 10, 11};
    auto scriptOf = [](const std::string& name) {
        const std::string normal = normalized(name);
        for (size_t f = 0; f < families().size(); ++f)
            if (std::find(families()[f].begin(), families()[f].end(), normal) != families()[f].end())
                return scripts[f];
        return -1;
    };
    const int detected = scriptOf(detectedName);
    if (detected < 0)
        return false;
    for (const auto& page : codePages)
        if (scriptOf(page) == detected)
            return false;
    return true;
}

}  // namespace tagshifter::guess
