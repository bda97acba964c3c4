// Albums in the layouts a real library holds beyond plain legacy frames,
// written before the guess was taught them and first run unchanged (the
// README gives those first figures beside the later ones).
#pragma once

#include <vector>

namespace tagshifter::test {

// How the fields of a layout album are stored:
//   "via-cp1252"  the page's bytes read as Windows-1252 and saved as UTF-16
//   "via-mac"     the page's bytes read as Mac OS Roman and saved as UTF-16
//   "comment"     legacy fields, plus a genuine Western comment in Latin-1
//   "lone"        the artist in the page's bytes, the rest UTF-16 already
//   "missing"     legacy fields under a list that lacks their page: the
//                 natural list must leave them as they are, plain auto fix them
//   "unicode"     genuine Unicode in UTF-16 (a control: nothing may change)
struct LayoutTrack {
    const char* title;
};

struct LayoutAlbum {
    const char* layout;
    const char* page;  // the page of the legacy bytes ("" for "unicode")
    const char* list;  // what the user names: "auto:" + list
    const char* artist;
    const char* album;
    std::vector<LayoutTrack> tracks;
    const char* comment = "";  // "comment" layout only
};

inline const std::vector<LayoutAlbum>& layoutAlbums()
{
    static const std::vector<LayoutAlbum> albums = {
        {"via-cp1252", "cp1251", "cp1251,koi8-r", "Гражданская оборона", "Русское поле экспериментов",
         {{"Вечная весна"}, {"Лёд под ногами майора"}, {"Всё идёт по плану — live"}}},
        {"via-cp1252", "cp1251", "cp1251,koi8-r", "Сплин", "Гранатовый альбом",
         {{"Орбит без сахара"}, {"Линия жизни…"}, {"Выхода нет"}}},
        {"via-cp1252", "cp1251", "cp1251,koi8-r", "Кино", "Кино",
         {{"Кукушка"}, {"Красно-жёлтые дни"}, {"Нам с тобой"}}},
        {"via-cp1252", "cp1251", "cp1251", "Бајага и Инструктори", "Позитивна географија",
         {{"Тишина"}, {"Џокер"}, {"Ја ћу да певам"}}},
        {"via-cp1252", "cp1250", "cp1250,iso-8859-2", "Žlutý pes", "Psí život",
         {{"Šťastný den"}, {"Štěstí"}, {"Žádná láska"}}},

        // Added with the Turkish, Vietnamese and Central European readings.
        {"via-cp1252", "cp1254", "cp1254", "Sertab Erener", "Aşk Ölmez",
         {{"Aşk Ölmez"}, {"Everyway That I Can"}, {"Güle Güle Şekerim"}}},
        {"via-cp1252", "cp1254", "cp1254", "Barış Manço", "Darısı Başınıza",
         {{"Dağlar Dağlar"}, {"Gibi Gibi"}, {"Kol Düğmeleri"}}},
        {"via-cp1252", "cp1258", "cp1258", "Hồ Ngọc Hà", "Cả một trời thương nhớ",
         {{"Gửi người yêu cũ"}, {"Cả một trời thương nhớ"}, {"Em muốn anh đưa em về"}}},
        {"via-cp1252", "cp1250", "cp1250,iso-8859-2", "Republika", "Nowe sytuacje",
         {{"Biała flaga"}, {"Śmierć w bikini"}, {"Układ sił"}}},
        {"via-cp1252", "cp1250", "cp1250", "Marta Kubišová", "Songy a balady",
         {{"Modlitba pro Martu"}, {"Tajga blues"}, {"Chvála bláznovství"}}},

        {"via-mac", "cp1251", "cp1251,koi8-r", "Земфира", "Прости меня моя любовь",
         {{"Искала"}, {"Хочешь?"}, {"Во мне"}}},
        {"via-mac", "cp1251", "cp1251,koi8-r", "Наутилус Помпилиус", "Крылья",
         {{"Дыхание"}, {"Крылья"}, {"Зверь"}}},
        {"via-mac", "cp1251", "cp1251,koi8-r", "Чайф", "Оранжевое настроение",
         {{"Не спеши"}, {"Ой-йо"}, {"Аргентина - Ямайка 5:0"}}},
        {"via-mac", "cp1251", "cp1251,koi8-r", "Машина времени", "Time Machine",
         {{"Поворот"}, {"Марионетки"}, {"Синяя птица"}}},
        {"via-mac", "cp1250", "cp1250,iso-8859-2", "Olympic", "Želva",
         {{"Jasná zpráva"}, {"Dej mi víc své lásky"}, {"Želva"}}},

        {"comment", "cp1251", "cp1251,koi8-r", "Пикник", "Египтянин",
         {{"Египтянин"}, {"Фиолетово-черный"}, {"Там, на самом краю земли"}}, "Café del Mar"},
        {"comment", "cp1251", "cp1251,koi8-r", "Ленинград", "Пуля",
         {{"WWW"}, {"Мне бы в небо"}, {"Дикий мужчина"}}, "Ripped by Jürgen"},
        {"comment", "cp1251", "cp1251,koi8-r", "Ария", "Герой асфальта",
         {{"Герой асфальта"}, {"Улица роз"}, {"Баллада о древнерусском воине"}}, "Mastered at Abbey Road - Señor Pérez"},
        {"comment", "cp1251", "cp1251,koi8-r", "Звери", "Районы-кварталы",
         {{"Всё, что касается"}, {"Дожди-пистолеты"}}, "Été 2004"},

        {"comment", "cp1250", "cp1250,iso-8859-2", "Kult", "Spokojnie",
         {{"Arahja"}, {"Polska"}, {"Celina"}}, "Enregistré à Paris, août 1988"},

        {"lone", "cp1251", "cp1251,koi8-r", "Мельница", "Перевал",
         {{"Ночная кобыла"}, {"Дороги"}, {"Травы"}}},
        {"lone", "cp1251", "cp1251,koi8-r", "Кино", "Звезда по имени Солнце",
         {{"Пачка сигарет"}, {"Печаль"}}},
        {"lone", "koi8-r", "cp1251,koi8-r", "Пелагея", "Девушкины песни",
         {{"Ой, то не вечер"}, {"Казак"}, {"Тропинка"}}},
        {"lone", "cp1253", "cp1253", "Άλκηστις Πρωτοψάλτη", "Ασυμβίβαστοι",
         {{"Ασυμβίβαστοι"}, {"Ρίτα"}}},

        // Genuine Western text in the Unicode frames of a file whose artist
        // is in a page that reads it otherwise.
        {"lone", "cp1250", "cp1250,iso-8859-2", "Jaromír Nohavica", "Mylène Farmer",
         {{"Désenchantée"}, {"Libertine"}, {"Sans contrefaçon"}}},

        {"missing", "cp1253", "cp1251,koi8-r", "Μίκης Θεοδωράκης", "Ζορμπάς",
         {{"Το γελαστό παιδί"}, {"Άρνηση"}, {"Στρώσε το στρώμα σου"}}},
        {"missing", "cp932", "cp1251,koi8-r", "スピッツ", "ハチミツ",
         {{"ロビンソン"}, {"涙がキラリ☆"}, {"ハチミツ"}}},
        {"missing", "cp1255", "cp1251,koi8-r", "אריק איינשטיין", "שבלול",
         {{"אני ואתה"}, {"עוף גוזל"}}},
        {"missing", "cp1250", "cp1251,koi8-r", "Karel Kryl", "Bratříčku, zavírej vrátka",
         {{"Anděl"}, {"Veličenstvo Kat"}, {"Morituri te salutant"}}},
        {"missing", "cp1254", "cp1251,koi8-r", "Barış Manço", "Sözüm Meclisten Dışarı",
         {{"Dönence"}, {"Gülpembe"}, {"Arkadaşım Eşek"}}},
        {"missing", "gbk", "cp1251,koi8-r", "王菲", "天空",
         {{"天空"}, {"棋子"}, {"矜持"}}},

        {"unicode", "", "cp1258", "Trịnh Công Sơn", "Tình ca",
         {{"Tình ca"}, {"Diễm xưa"}, {"Hạ trắng"}}},
        {"unicode", "", "cp1258", "Mỹ Tâm", "Tâm",
         {{"Ước gì"}, {"Cây đàn sinh viên"}, {"Tình ơi"}}},
        {"unicode", "", "cp1258", "Thanh Lam", "Tình khúc",
         {{"Tình ca"}, {"Hà Nội mùa vắng"}, {"Chia tay"}}},
        {"unicode", "", "cp1254", "Ásgeir", "Dýrð í dauðaþögn",
         {{"Leyndarmál"}, {"Sumargestur"}, {"Dýrð í dauðaþögn"}}},
        {"unicode", "", "cp1254", "Páll Óskar", "Allt fyrir ástina",
         {{"Þú komst við hjartað í mér"}, {"Allt fyrir ástina"}, {"Betra líf"}}},
        {"unicode", "", "cp1250,iso-8859-2", "Stuðmenn", "Með allt á hreinu",
         {{"Slá í gegn"}, {"Draumaprinsinn"}, {"Íslenskir karlmenn"}}},
        {"unicode", "", "cp1251,koi8-r", "Björk", "Homogenic",
         {{"Jóga"}, {"Bachelorette"}, {"Hunter"}}},
        // Added after the mending: Western text in UTF-16 with signs that
        // only Windows-1252 shows among the 8-bit readers.
        {"unicode", "", "cp1251,koi8-r", "Sigur Rós", "Ágætis byrjun – Live",
         {{"Svefn-g-englar"}, {"Starálfur"}, {"Olsen Olsen…"}}},
        {"unicode", "", "cp1250,iso-8859-2", "Beyoncé", "I Am… Sasha Fierce",
         {{"Halo"}, {"If I Were a Boy"}, {"Single Ladies (Put a Ring on It)"}}},
        {"unicode", "", "cp1251,koi8-r", "Mötley Crüe", "Dr. Feelgood",
         {{"Don’t Go Away Mad"}, {"Kickstart My Heart"}, {"Same Ol’ Situation"}}},
    };
    return albums;
}

}  // namespace tagshifter::test
