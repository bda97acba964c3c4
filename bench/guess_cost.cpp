// Times the code-page guess per file: albums of ten files of three fields,
// judged again and again, with a short list and with plain "auto".
#include "guess/album_judge.h"
#include "guess/charset_detector.h"

#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace tagshifter::guess;

namespace {

std::string storedIn(const std::string& utf8, const char* page)
{
    const iconv_t conversion = iconv_open(page, "UTF-8");
    std::string bytes(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* out = bytes.data();
    size_t outLeft = bytes.size();
    iconv(conversion, &in, &inLeft, &out, &outLeft);
    iconv_close(conversion);
    bytes.resize(bytes.size() - outLeft);
    return bytes;
}

std::vector<FileTexts> album(const char* artist, const char* name,
                             const std::vector<const char*>& titles, const char* page)
{
    std::vector<FileTexts> files;
    for (size_t i = 0; i < 10; ++i)
        files.push_back({storedIn(artist, page), storedIn(name, page),
                         storedIn(titles[i % titles.size()], page)});
    return files;
}

template <typename Work>
double microseconds(int rounds, Work work)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        work();
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / rounds;
}

}  // namespace

int main()
{
    const std::vector<std::pair<const char*, std::vector<FileTexts>>> albums = {
        {"cp1251", album("Кино", "Группа крови", {"Группа крови", "Война", "Спокойная ночь"}, "CP1251")},
        {"latin1", album("Édith Piaf", "Best of", {"La Vie en rose", "Milord"}, "ISO-8859-1")},
        {"cp932", album("宇多田ヒカル", "初恋", {"初恋", "誓い", "道"}, "CP932")},
    };
    const int rounds = 2000;
    for (const char* list : {"auto:cp1251,koi8-r", "auto"}) {
        AlbumJudge judge(CandidateList::parse(list));
        for (const auto& entry : albums) {
            const auto& files = entry.second;
            const double perAlbum = microseconds(rounds, [&] { judge.judge(files); });
            std::printf("%-20s %-7s %7.1f us per file\n", list, entry.first, perAlbum / files.size());
        }
    }
    CharsetDetector detector;
    std::string pooled;
    for (const auto& texts : albums[0].second)
        for (const auto& text : texts)
            pooled += text.bytes + "\n";
    std::printf("uchardet, one album of 10 files: %.1f us a call\n",
                microseconds(rounds, [&] { detector.detect(pooled); }));
    const double opening = microseconds(20, [] { AlbumJudge judge(CandidateList::parse("auto")); });
    std::printf("opening a judge for plain auto: %.0f us (once a run)\n", opening);
    return 0;
}
