// Text that an earlier tool read through a wrong reader and saved as Unicode,
// gathered from UTF-16 frames as a run gathers it, judged, and read back the
// way the converter reads it: every reader of the list over single- and
// multi-byte pages, genuine text that must stay, and each layer over the
// evaluation sets' albums.
#include "convert/source_texts.h"
#include "guess/album_judge.h"
#include "guess/evaluation_set.h"
#include "guess/guess_support.h"
#include "guess/held_out_set.h"
#include "text/code_page.h"

#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tagshifter::test {
namespace {

using guess::AlbumJudge;
using guess::CandidateList;
using guess::FileTexts;
using guess::Reading;

const char* const kLabels[] = {"TPE1", "TALB", "TIT2", "COMM"};

void addFrame(TagLib::ID3v2::Tag& tag, const char* id, const std::string& utf8, bool unicode)
{
    const auto encoding = unicode ? TagLib::String::UTF16 : TagLib::String::Latin1;
    const TagLib::String text(utf8, unicode ? TagLib::String::UTF8 : TagLib::String::Latin1);
    if (std::string(id) == "COMM") {
        auto* frame = new TagLib::ID3v2::CommentsFrame(encoding);
        frame->setText(text);
        tag.addFrame(frame);
        return;
    }
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, encoding);
    frame->setText(text);
    tag.addFrame(frame);
}

// What the converter makes of `value` under `reading`, in UTF-8.
std::string readBack(const TagLib::String& value, const std::string& label, const Reading& reading)
{
    const auto& kept = reading.keptAsItIs;
    if (reading.kind == Reading::Kind::AsItIs || std::find(kept.begin(), kept.end(), label) != kept.end())
        return value.to8Bit(true);
    std::optional<std::string> bytes;
    for (const auto& [through, reader] : reading.readers)
        if (!bytes && through == label)
            bytes = bytesThrough(value, reader);
    if (!bytes)
        bytes = sourceBytes(value, false);
    if (!bytes)
        return value.to8Bit(true);
    if (reading.kind == Reading::Kind::Utf8)
        return decodeUtf8(*bytes) ? *bytes : "(not UTF-8)";
    const auto points = CodePageDecoder(reading.codePage).decode(*bytes);
    return points ? TagLib::String(std::wstring(points->begin(), points->end())).to8Bit(true) : "(invalid)";
}

// One album: each file's three fields as stored (UTF-8 text, and whether
// in a Unicode frame), and the texts wanted after the run.
struct StoredAlbum {
    std::vector<std::vector<std::pair<std::string, bool>>> fields;
    std::vector<std::vector<std::string>> wanted;
};

struct Count {
    int right = 0;
    int changedWrongly = 0;  // neither right nor left as they were
};

// Judges `album` under `list` and counts the files whose every field reads
// back as wanted, and those changed into something else; the wrong ones
// are printed.
Count judged(const StoredAlbum& album, const std::string& list, const std::string& what)
{
    std::vector<TagLib::ID3v2::Tag> tags(album.fields.size());
    std::vector<FileTexts> files;
    for (size_t f = 0; f < album.fields.size(); ++f) {
        for (size_t i = 0; i < album.fields[f].size(); ++i)
            addFrame(tags[f], kLabels[i], album.fields[f][i].first, album.fields[f][i].second);
        files.push_back(sourceTexts(tags[f], &tags[f], false, false, true));
    }
    AlbumJudge judge(CandidateList::parse(list));
    const std::vector<Reading> readings = judge.judge(files);
    Count count;
    for (size_t f = 0; f < files.size(); ++f) {
        std::string found;
        bool ok = true, unchanged = true;
        for (size_t i = 0; i < album.fields[f].size(); ++i) {
            const TagLib::String value = tags[f].frameList(kLabels[i]).front()->toString();
            const std::string back = readBack(value, kLabels[i], readings[f]);
            ok = ok && back == album.wanted[f][i];
            unchanged = unchanged && back == album.fields[f][i].first;
            found += " / " + back;
        }
        count.right += ok;
        count.changedWrongly += !ok && !unchanged;
        if (!ok)
            std::printf("  %s under %s: %s as %s:%s\n", what.c_str(), list.c_str(),
                        unchanged ? "left" : "CHANGED", readings[f].label().c_str(), found.c_str());
    }
    return count;
}

int filesRight(const StoredAlbum& album, const std::string& list, const std::string& what)
{
    return judged(album, list, what).right;
}

struct Layer {
    const char* name;
    const char* reader;  // the page a tool showed the bytes through
    bool utf8;           // the bytes were UTF-8, not the album's page
};

const Layer kLayers[] = {
    {"via-cp1252", "CP1252", false},
    {"via-mac", "MACINTOSH", false},
    {"utf8-via-cp1251", "CP1251", true},
    {"utf8-via-cp1250", "CP1250", true},
};

const Layer* layerNamed(const std::string& name)
{
    for (const Layer& layer : kLayers)
        if (name == layer.name)
            return &layer;
    return nullptr;
}

// The album's every field in its page (or UTF-8), shown through the layer's
// reader and saved in UTF-16; the run should give the text back.
StoredAlbum layered(const Layer& layer, const char* page, const std::vector<std::vector<std::string>>& truth)
{
    StoredAlbum album;
    for (const auto& file : truth) {
        album.fields.emplace_back();
        for (const std::string& text : file)
            album.fields.back().emplace_back(shownThrough(layer.utf8 ? text : storedIn(text, page), layer.reader),
                                             true);
        album.wanted.push_back(file);
    }
    return album;
}

// The strongest cases of each reader: single-byte and multi-byte pages
// read through Windows-1252 and Mac OS Roman as Mac OS maps it (0xF0, the
// "р" of cp1251, shown as U+F8FF), and UTF-8 read through a legacy page.
TEST(ReaderLayers, EachReaderIsUndoneForSingleAndMultiBytePages)
{
    struct Case {
        const char* layer;
        const char* page;
        const char* list;
        std::vector<std::vector<std::string>> truth;  // artist, album, title of each file
    };
    const Case cases[] = {
        {"via-cp1252", "cp932", "cp932,gbk", {{"ハチミツ", "スピッツ", "ロビンソン"}, {"ハチミツ", "スピッツ", "涙がキラリ☆"}}},
        {"via-cp1252", "gbk", "gbk,big5", {{"王菲", "天空", "天空"}, {"王菲", "天空", "棋子"}}},
        {"via-cp1252", "big5", "big5,gbk", {{"周杰倫", "范特西", "雙截棍"}, {"周杰倫", "范特西", "開不了口"}}},
        {"via-cp1252", "cp949", "cp949", {{"김광석", "다시 부르기", "사랑했지만"}, {"김광석", "다시 부르기", "이등병의 편지"}}},
        {"via-cp1252", "cp1250", "cp1250,iso-8859-2", {{"Žlutý pes", "Psí život", "Šťastný den"}, {"Žlutý pes", "Psí život", "Štěstí"}}},
        {"via-mac", "cp1251", "cp1251,koi8-r", {{"Сплин", "Гранатовый альбом", "Орбит без сахара"}, {"Сплин", "Гранатовый альбом", "Прирожденный убийца"}}},
        {"via-mac", "cp932", "cp932,gbk", {{"ハチミツ", "スピッツ", "ロビンソン"}, {"ハチミツ", "スピッツ", "涙がキラリ☆"}}},
        {"via-mac", "gbk", "gbk,big5", {{"王菲", "天空", "天空"}, {"王菲", "天空", "棋子"}}},
        {"via-mac", "cp1250", "cp1250,iso-8859-2", {{"Dżem", "Wehikuł czasu", "Wehikuł czasu"}, {"Dżem", "Wehikuł czasu", "Mała aleja róż"}}},
        // Lead bytes 0xC6, which Mac OS shows as "∆": every field of these.
        {"via-mac", "cp949", "cp949,gbk", {{"포르투갈어", "파일 열기", "페이지 설정"}, {"포르투갈어", "파일 열기", "폴란드어"}}},
        {"via-mac", "big5", "big5,gbk", {{"斯里蘭卡手語", "IM 模組", "事件"}, {"斯里蘭卡手語", "IM 模組", "Windows 滑鼠游標"}}},
        {"utf8-via-cp1251", "utf-8", "cp1251,koi8-r", {{"Привет", "Кино", "Группа крови"}, {"Привет", "Кино", "Война"}}},
        {"utf8-via-cp1251", "utf-8", "cp932,gbk", {{"ハチミツ", "スピッツ", "ロビンソン"}, {"ハチミツ", "スピッツ", "チェリー"}}},
        {"utf8-via-cp1250", "utf-8", "cp1250,iso-8859-2", {{"Kryštof", "Inventura", "Srdce"}, {"Kryštof", "Inventura", "Atentát"}}},
    };
    for (const auto& c : cases) {
        const Layer* layer = layerNamed(c.layer);
        ASSERT_NE(layer, nullptr) << c.layer;
        const StoredAlbum album = layered(*layer, c.page, c.truth);
        const std::string what = std::string(c.layer) + " " + c.page;
        EXPECT_EQ(filesRight(album, "auto", what), static_cast<int>(c.truth.size())) << what;
        EXPECT_EQ(filesRight(album, std::string("auto:") + c.list, what), static_cast<int>(c.truth.size()))
            << what;
    }
}

// Beside fields misread through a reader, a genuine Western comment in
// Unicode stays, though a page of the album reads it into signs ("El t’tulo"
// through cp1253, "XPath ¸ vuota" through cp1257); a lone Han character
// beside Latin words is a word and is read ("‰E Shift" is "右 Shift").
TEST(ReaderLayers, AGenuineCommentStaysAndALoneHanCharacterIsRead)
{
    struct Case {
        const char* layer;
        const char* page;
        const char* list;
        std::vector<std::vector<std::string>> truth;  // artist, album, title of each file
        const char* comment;                         // genuine, in every file, or none
    };
    const Case cases[] = {
        {"via-mac", "cp1253", "cp1251,cp1253",
         {{"Αμχαρικό", "Παλαιά Νορβηγικά", "Έγγραφο QtiPlot"}, {"Αμχαρικό", "Παλαιά Νορβηγικά", "Συγκεκριμένο με RFS σφάλμα"}},
         "El título de la ventana"},
        {"via-mac", "cp1257", "cp1257,cp1250",
         {{"Dzēšams", "Pie pulksteņa rādīt nedēļas dienu", "Nīlas-Sahāras valodas"},
          {"Dzēšams", "Pie pulksteņa rādīt nedēļas dienu", "Pikseļi sekundē"}},
         "l'espressione XPath è vuota"},
        {"via-cp1252", "cp932", "cp932,gbk", {{"結合関数", "長辺 (標準)", "右 Shift"}, {"結合関数", "長辺 (標準)", "英語 (UK, Dvorak)"}}, nullptr},
        {"via-mac", "gbk", "gbk,big5", {{"卡斯蒂利亚－拉曼恰", "右 Ctrl", "未结束的 format() 类型说明符"}, {"尼罗-撒哈拉诸语言", "右 Ctrl", "为 TRUE 时，此动作对应的空菜单将被隐藏。"}}, nullptr},
    };
    for (const auto& c : cases) {
        const Layer* layer = layerNamed(c.layer);
        ASSERT_NE(layer, nullptr) << c.layer;
        StoredAlbum album = layered(*layer, c.page, c.truth);
        if (c.comment)
            for (size_t f = 0; f < album.fields.size(); ++f) {
                album.fields[f].emplace_back(c.comment, true);
                album.wanted[f].emplace_back(c.comment);
            }
        const std::string what = std::string(c.layer) + " " + c.page;
        for (const std::string& list : {std::string("auto"), std::string("auto:") + c.list}) {
            const Count count = judged(album, list, what);
            EXPECT_EQ(count.right, static_cast<int>(c.truth.size())) << what << " " << list;
            EXPECT_EQ(count.changedWrongly, 0) << what << " " << list;
        }
    }
}

// Genuine text that some reader's image holds: nothing may change, and no
// text may be turned into another script.
TEST(ReaderLayers, GenuineTextStays)
{
    struct Case {
        const char* what;
        std::vector<std::vector<std::pair<std::string, bool>>> fields;  // UTF-8, in a Unicode frame
    };
    const Case cases[] = {
        {"a Western artist in a Latin-1 frame among Cyrillic Unicode",
         {{{"Björk", false}, {"Пачка сигарет", true}, {"Кукушка", true}},
          {{"Björk", false}, {"Пачка сигарет", true}, {"Звезда", true}}}},
        {"Western names in Unicode frames",
         {{{"Sigur Rós", true}, {"Ágætis byrjun", true}, {"Svefn-g-englar", true}},
          {{"Motörhead", true}, {"Café del Mar", true}, {"Déjà vu — live", true}}}},
        {"Cyrillic Unicode that reads as UTF-8 through cp1251", {{{"Её", true}, {"Её", true}, {"Её песни", true}}}},
        {"a dash, a euro sign and quotes among ASCII",
         {{{"Live \u2014 2001", true}, {"\u20AC5 \u201Cbest\u201D", true}, {"Intro\u2026", true}}}},
        {"Japanese Unicode", {{{"スピッツ", true}, {"ハチミツ", true}, {"ロビンソン", true}}}},
        {"Greek Unicode", {{{"Χάρις Αλεξίου", true}, {"Η Χαρούλα", true}, {"Θα σπάσω κούπες", true}}}},
        {"Vietnamese Unicode of Latin-1 letters", {{{"Tình ca", true}, {"Khánh Ly", true}, {"Tình xa", true}}}},
    };
    for (const auto& c : cases) {
        StoredAlbum album;
        album.fields = c.fields;
        for (const auto& file : c.fields) {
            album.wanted.emplace_back();
            for (const auto& field : file)
                album.wanted.back().push_back(field.first);
        }
        EXPECT_EQ(filesRight(album, "auto", c.what), static_cast<int>(c.fields.size())) << c.what;
        EXPECT_EQ(filesRight(album, "auto:cp1251,koi8-r", c.what), static_cast<int>(c.fields.size())) << c.what;
    }
}

// Genuine text beside text that needs fixing, in the folders a library holds:
// a compilation's tracks of several pages and artists, a Unicode name over
// legacy titles, and the same folders after a first run saved every field
// as Unicode. No genuine field may change, none may turn into another script.
TEST(ReaderLayers, GenuineTextBesideMisreadTextStays)
{
    struct Field {
        const char* text = nullptr;
        // nullptr: a Unicode frame; "via-cp1252": cp1251 shown through
        // Windows-1252; "PAGE via READER": in PAGE, shown through READER.
        const char* page = nullptr;
        const char* wanted = nullptr;  // nullptr: the text itself
    };
    struct Case {
        const char* what;
        std::vector<std::vector<Field>> files;  // artist, album, title, comment
        bool underAList = true;                 // a list of the pages too, not only plain auto
    };
    const Case cases[] = {
        {"Portuguese and Danish tracks in a compilation of Romanian ones",
         {{{"Maria Tănase", "CP1250"}, {"Sartén", "ISO-8859-1"}, {"Cine iubeşte şi lasă", "CP1250"}},
          {{"Zdob şi Zdub", "CP1250"}, {"Sartén", "ISO-8859-1"}, {"Bunica bate toba", "CP1250"}},
          {{"João Gilberto", "ISO-8859-1"}, {"Sartén", "ISO-8859-1"}, {"Chega de saudade", "ISO-8859-1"}},
          {{"Tøsedrengene", "ISO-8859-1"}, {"Sartén", "ISO-8859-1"}, {"Sku' du spørg fra no'en", "ISO-8859-1"}},
          {{"Iris", "CP1250"}, {"Sartén", "ISO-8859-1"}, {"Tinereţe", "CP1250"}}}},
        {"an Icelandic album name in Unicode over Russian tracks, one misread through Windows-1252",
         {{{"Die Toten Hosen", nullptr}, {"Hjaltalín", nullptr}, {"Alles aus Liebe", nullptr}},
          {{"Кино", "CP1251"}, {"Hjaltalín", nullptr}, {"Группа крови", "CP1251"}},
          {{"Françoise Hardy", "ISO-8859-1"}, {"Hjaltalín", nullptr}, {"Mon amie la rose", "ISO-8859-1"}},
          {{"ДДТ", "CP1251"}, {"Hjaltalín", nullptr}, {"Что такое осень", "via-cp1252"}}}},
        {"Spanish titles in Latin-1 under a Lithuanian name in Unicode",
         {{{"Jurga Šeduikytė", nullptr}, {"Rómulo", "ISO-8859-1"}, {"Apreciativo tanoría", "ISO-8859-1"}},
          {{"Jurga Šeduikytė", nullptr}, {"Rómulo", "ISO-8859-1"}, {"Dentición", "ISO-8859-1"}},
          {{"Jurga Šeduikytė", nullptr}, {"Rómulo", "ISO-8859-1"}, {"Aparir rítmico diócesis", "ISO-8859-1"}}}},
        {"a Norwegian name over Turkish titles, after a first run",
         {{{"Sissel Kyrkjebø", nullptr}, {"Bakù", nullptr}, {"Sil Baştan", nullptr}},
          {{"Sissel Kyrkjebø", nullptr}, {"Bakù", nullptr}, {"Bu Aşk Fazla Sana", nullptr}},
          {{"Sissel Kyrkjebø", nullptr}, {"Bakù", nullptr}, {"Kuzu Kuzu", nullptr}}}},
        // Names of countries, languages and zones as their own languages write them.
        {"a Spanish name in a Latin-1 frame over Czech fields misread through Mac OS Roman",
         {{{"Puerto España", "ISO-8859-1"}, {"sovětský rubl - Ašchabad", "ISO-8859-2 via MACINTOSH"}, {"akanština", "ISO-8859-2 via MACINTOSH"}},
          {{"Puerto España", "ISO-8859-1"}, {"sovětský rubl - Ašchabad", "ISO-8859-2 via MACINTOSH"}, {"Chamorrský čas", "ISO-8859-2 via MACINTOSH"}},
          {{"Puerto España", "ISO-8859-1"}, {"sovětský rubl - Ašchabad", "ISO-8859-2 via MACINTOSH"}, {"furlanština", "ISO-8859-2 via MACINTOSH"}}},
         false},
        {"a Dutch name in a Latin-1 frame over koi8-r fields misread through Windows-1252: no GBK",
         {{{"Moldavië", "ISO-8859-1"}, {"гэльский", "KOI8-R via CP1252"}, {"Рейни-Ривер", "KOI8-R via CP1252"}},
          {{"Moldavië", "ISO-8859-1"}, {"гэльский", "KOI8-R via CP1252"}, {"Лиссабон", "KOI8-R via CP1252"}},
          {{"Moldavië", "ISO-8859-1"}, {"гэльский", "KOI8-R via CP1252"}, {"Иран, стандартное время", "KOI8-R via CP1252"}},
          {{"Moldavië", "ISO-8859-1"}, {"гэльский", "KOI8-R via CP1252"}, {"сомали", "KOI8-R via CP1252"}}},
         false},
        // A second run over the first one's output: Unicode everywhere, a
        // name or comment repeated in every file, letters a reader shows.
        {"Turkish names after a first run: Mac OS Roman's 'ı' is no sign of it",
         {{{"İzlanda", nullptr}, {"Amerikan Samoası", nullptr}, {"Macquarie Adası Saati", nullptr}},
          {{"İzlanda", nullptr}, {"Amerikan Samoası", nullptr}, {"Çamorro dili", nullptr}},
          {{"İzlanda", nullptr}, {"Amerikan Samoası", nullptr}, {"Kızılorda Saati", nullptr}},
          {{"İzlanda", nullptr}, {"Amerikan Samoası", nullptr}, {"Avusturya Almancası", nullptr}}}},
        {"Slovak names after a first run, a Portuguese one among them",
         {{{"Cuiabá", nullptr}, {"botswanská pula", nullptr}, {"afganský čas", nullptr}},
          {{"Cuiabá", nullptr}, {"botswanská pula", nullptr}, {"Lichtenštajnsko", nullptr}},
          {{"Cuiabá", nullptr}, {"botswanská pula", nullptr}, {"maldivčina Dháka", nullptr}},
          {{"Cuiabá", nullptr}, {"botswanská pula", nullptr}, {"kolumbijské peso", nullptr}},
          {{"Cuiabá", nullptr}, {"botswanská pula", nullptr}, {"eurozóna", nullptr}}}},
        {"Japanese names and a French comment in every file after a first run",
         {{{"クズロルダ", nullptr}, {"サモア時間", nullptr}, {"漢語注音字母", nullptr}, {"pidgin nigérian, Caïmans, Mazatlán", nullptr}},
          {{"クズロルダ", nullptr}, {"サモア時間", nullptr}, {"ギニアビサウ ペソ", nullptr}, {"pidgin nigérian, Caïmans, Mazatlán", nullptr}},
          {{"クズロルダ", nullptr}, {"サモア時間", nullptr}, {"タシケント", nullptr}, {"pidgin nigérian, Caïmans, Mazatlán", nullptr}},
          {{"クズロルダ", nullptr}, {"サモア時間", nullptr}, {"アイルランド語", nullptr}, {"pidgin nigérian, Caïmans, Mazatlán", nullptr}},
          {{"クズロルダ", nullptr}, {"サモア時間", nullptr}, {"トク・ピシン語", nullptr}, {"pidgin nigérian, Caïmans, Mazatlán", nullptr}}}},
        {"an Icelandic name over Chinese titles after a first run",
         {{{"suðurndebele", nullptr}, {"沃拉普克文", nullptr}, {"美諾米尼", nullptr}},
          {{"suðurndebele", nullptr}, {"沃拉普克文", nullptr}, {"千里達及托巴哥", nullptr}},
          {{"suðurndebele", nullptr}, {"沃拉普克文", nullptr}, {"波士尼亞與赫塞哥維納", nullptr}},
          {{"suðurndebele", nullptr}, {"沃拉普克文", nullptr}, {"卡薩布蘭卡", nullptr}}}},
        {"a UTF-8 title in a Latin-1 frame beside a Croatian artist: not read through his page",
         {{{"Zdravko Čolić", "CP1250"}, {"Various", "ISO-8859-1"}, {"Sušica", "UTF-8", "SuÅ¡ica"}}},
         false},
    };
    for (const auto& c : cases) {
        StoredAlbum album;
        for (const auto& file : c.files) {
            album.fields.emplace_back();
            album.wanted.emplace_back();
            for (const Field& field : file) {
                const std::string page = field.page ? field.page : "";
                std::string stored = field.text;
                const size_t via = page.find(" via ");
                if (page == "via-cp1252")
                    stored = shownThrough(storedIn(field.text, "CP1251"), "CP1252");
                else if (via != std::string::npos)
                    stored = shownThrough(storedIn(field.text, page.substr(0, via).c_str()), page.substr(via + 5).c_str());
                else if (!page.empty() && page != "UTF-8")
                    stored = storedIn(field.text, field.page);
                album.fields.back().emplace_back(stored, !field.page || page == "via-cp1252" || via != std::string::npos);
                album.wanted.back().push_back(field.wanted ? field.wanted : field.text);
            }
        }
        for (const char* list : {"auto", "auto:cp1250,cp1251,cp1252"}) {
            if (!c.underAList && std::string(list) != "auto")
                continue;
            EXPECT_EQ(filesRight(album, list, c.what), static_cast<int>(c.files.size())) << c.what << " " << list;
        }
    }
}

bool legacyPage(const std::string& page)
{
    return page != "latin1" && page != "ascii" && page != "unicode" && page != "utf-8";
}

// Every legacy album of the evaluation sets under every layer, with its
// natural list and with plain auto.
TEST(ReaderLayers, EveryLayerOverTheEvaluationSets)
{
    std::vector<Album> albums = tuningAlbums();
    for (const auto* set : {&heldOutAlbums(), &freshAlbums()})
        albums.insert(albums.end(), set->begin(), set->end());
    struct Tally {
        int natural = 0, automatic = 0, files = 0, changedWrongly = 0;
    };
    std::map<std::string, Tally> tallies;
    for (const Layer& layer : kLayers) {
        for (const Album& album : albums) {
            if (!legacyPage(album.page) || !*album.list)
                continue;
            std::vector<std::vector<std::string>> truth;
            for (const Track& track : album.tracks)
                if (!track.page)
                    truth.push_back({album.artist, album.album, track.title});
            const StoredAlbum stored = layered(layer, album.page, truth);
            const std::string what = std::string(layer.name) + " " + album.page;
            Tally& tally = tallies[std::string(layer.name) + " " + (layer.utf8 ? "" : album.page)];
            const Count natural = judged(stored, std::string("auto:") + album.list, what);
            const Count automatic = judged(stored, "auto", what);
            tally.natural += natural.right;
            tally.automatic += automatic.right;
            tally.changedWrongly += natural.changedWrongly + automatic.changedWrongly;
            tally.files += static_cast<int>(truth.size());
        }
    }
    std::printf("reader layers over the evaluation sets, files wholly right\n %-24s %16s %16s %s\n", "layer",
                "natural list", "auto", "changed wrongly");
    std::map<std::string, Tally> perLayer;
    for (const auto& [name, tally] : tallies) {
        std::printf(" %-24s %5.1f %% (%3d/%3d) %5.1f %% (%3d) %d\n", name.c_str(),
                    100.0 * tally.natural / tally.files, tally.natural, tally.files,
                    100.0 * tally.automatic / tally.files, tally.automatic, tally.changedWrongly);
        Tally& layer = perLayer[name.substr(0, name.find(' '))];
        layer.natural += tally.natural, layer.automatic += tally.automatic, layer.files += tally.files;
        layer.changedWrongly += tally.changedWrongly;
    }
    for (const auto& [name, tally] : perLayer) {
        std::printf(" %-24s %5.1f %% (%3d/%3d) %5.1f %% (%3d) %d\n", (name + " overall").c_str(),
                    100.0 * tally.natural / tally.files, tally.natural, tally.files,
                    100.0 * tally.automatic / tally.files, tally.automatic, tally.changedWrongly);
        // What a reader cannot give back exactly is left as it was.
        EXPECT_EQ(tally.changedWrongly, 0) << name;
        // Western-looking misreadings (cp1250 through Windows-1252 and the
        // like) are the hardest to tell from genuine text.
        const int floor = name == "via-cp1252" ? 90 : 95;
        EXPECT_GE(tally.natural * 100, tally.files * floor) << name;
        EXPECT_GE(tally.automatic * 100, tally.files * floor) << name;
    }
    EXPECT_EQ(perLayer.size(), std::size(kLayers));
}

}  // namespace
}  // namespace tagshifter::test
