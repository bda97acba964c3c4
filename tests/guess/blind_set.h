// A blind evaluation library: real artist, album and title names that none of
// the sets the guess was tuned or checked on use, in every layout a real
// library holds. Written once, before the guess was rebuilt; nothing is tuned
// on it. Its figures are printed by the BlindEvaluation tests.
#pragma once

#include <vector>

namespace tagshifter::test::blind {

// How an album's fields are stored (`page` is the legacy page involved):
//   "plain"        every field in the page's bytes behind encoding byte 0
//   "short"        as "plain", with short titles
//   "via-cp1252"   the page's bytes read as Windows-1252, saved as UTF-16
//   "via-mac"      the page's bytes read as Mac OS Roman (as Mac OS maps it),
//                  saved as UTF-16
//   "utf-8"        UTF-8 bytes behind encoding byte 0
//   "utf8-via"     UTF-8 bytes read through `page`, saved as UTF-16
//   "comment"      as "plain", plus a genuine Western comment in Latin-1
//   "lone"         the artist in the page's bytes, the rest UTF-16 already
//   "western"      a genuine Western artist in Latin-1 among UTF-16 fields
//                  of `page`'s script: nothing may change
//   "compilation"  each track in its own page (Track::page), with its own
//                  artist; the folder's list names all of them
//   "missing"      as "plain", under a list that lacks the page: the
//                  natural list must leave it as it is, plain auto fix it
//   "unicode"      genuine UTF-16 in `page`'s script (a control)
//   "latin1"       genuine Western text in Latin-1 (a control)
//   "ascii"        nothing but ASCII (a control)
struct Track {
    const char* title;
    const char* page = nullptr;    // compilations: the track's page
    const char* artist = nullptr;  // compilations: the track's artist
};

struct Album {
    const char* layer;
    const char* page;
    const char* list;  // what its user names: "auto:" + list ("" for latin1, ascii)
    const char* artist;
    const char* album;
    std::vector<Track> tracks;
    const char* extra = "";  // "comment": the Western comment
};

inline const std::vector<Album>& albums()
{
    static const std::vector<Album> set = {
        // Plain legacy frames: Cyrillic
        {"plain", "cp1251", "cp1251,koi8-r", "Смысловые галлюцинации", "Вечно молодой",
         {{"Вечно молодой"}, {"Звёзды 3000"}, {"Зажигалки"}, {"Полюса"}}},
        {"plain", "cp1251", "cp1251,koi8-r", "Високосный год", "Лучшая песня о любви",
         {{"Тихий огонёк моей души"}, {"Лучшая песня о любви"}, {"Метро"}}},
        {"plain", "cp1251", "cp1251,koi8-r", "Пилот", "Сказки",
         {{"Тюрьма"}, {"Ветер"}, {"Серое небо"}}},
        {"plain", "cp1251", "cp1251,koi8-r", "Владимир Высоцкий", "Песни разных лет",
         {{"Кони привередливые"}, {"Охота на волков"}, {"Я не люблю"}}},
        {"plain", "cp1251", "cp1251,koi8-r", "ЗВЕРИ", "РАЙОНЫ-КВАРТАЛЫ",
         {{"РАЙОНЫ-КВАРТАЛЫ"}, {"ВСЁ, ЧТО КАСАЕТСЯ"}, {"ДО СКОРОЙ ВСТРЕЧИ"}}},
        {"plain", "cp1251", "cp1251,koi8-u", "Друга Ріка", "Мода",
         {{"Мода"}, {"Метелики"}, {"Не питай"}}},
        {"plain", "cp1251", "cp1251", "Щурците", "Рок синдром",
         {{"Клетва"}, {"Конникът"}, {"Висока трева"}}},
        {"plain", "cp1251", "cp1251", "Рибља Чорба", "Кост у грлу",
         {{"Лутка са насловне стране"}, {"Остаћу слободан"}, {"Ђаволе, ђаволе"}}},
        {"plain", "cp1251", "cp1251", "Ляпіс Трубяцкой", "Капітал",
         {{"Капітал"}, {"Грай"}, {"Зорачка"}}},
        {"plain", "koi8-r", "cp1251,koi8-r", "Чёрный Обелиск", "Войди в каждый дом",
         {{"Я остаюсь"}, {"Песня мёртвого вора"}, {"Серый святой"}}},
        {"plain", "koi8-r", "cp1251,koi8-r", "Крематорий", "Три источника",
         {{"Мусорный ветер"}, {"Катманду"}, {"Безобразная Эльза"}}},
        {"plain", "koi8-r", "cp1251,koi8-r", "Браво", "Стиляги из Москвы",
         {{"Жёлтые ботинки"}, {"Московский бит"}, {"Дорога в облака"}}},
        {"plain", "koi8-u", "cp1251,koi8-u", "Плач Єремії", "Двері, котрі насправді є",
         {{"Вона"}, {"Світло і тінь"}, {"Я піду"}}},
        {"plain", "koi8-u", "cp1251,koi8-u", "Тартак", "Демоgraphічний вибух",
         {{"Я не понял"}, {"Наша ґаздиня"}, {"Єдина"}}},
        {"plain", "cp866", "cp1251,koi8-r,cp866", "Аукцыон", "Как я стал предателем",
         {{"Девушки поют"}, {"Деньги это бумага"}, {"Осень"}}},
        {"plain", "iso-8859-5", "cp1251,iso-8859-5", "Звуки Му", "Простые вещи",
         {{"Бумажные цветы"}, {"Досвидания"}, {"Серый голубь"}}},
        // Central European
        {"plain", "cp1250", "cp1250,iso-8859-2", "Vladimír Mišík", "Jednou",
         {{"Variace na renesanční téma"}, {"Jednou"}, {"Obejmi mě"}}},
        {"plain", "cp1250", "cp1250,iso-8859-2", "Team", "Držím ti miesto",
         {{"Držím ti miesto"}, {"Reklama na ticho"}, {"Lietajúci Cyprián"}}},
        {"plain", "cp1250", "cp1250,iso-8859-2", "Wały Jagiellońskie", "Tango na Waszyngtońskiej",
         {{"Tango na Waszyngtońskiej"}, {"Biały miś"}, {"Powódź w Gdańsku"}}},
        {"plain", "cp1250", "cp1250,iso-8859-2", "Bikini", "Közeli helyeken",
         {{"Közeli helyeken"}, {"Adj helyet"}, {"Ki visz haza"}}},
        {"plain", "cp1250", "cp1250", "Parni valjak", "Samo snovi teku uzvodno",
         {{"Jesen u meni"}, {"Sve još miriše na nju"}, {"Lutka za bal"}}},
        {"plain", "cp1250", "cp1250", "Vlado Kreslin", "Namesto koga roža cveti",
         {{"Abraham"}, {"Vsi so venci vejli"}, {"Čez zeleno travo"}}},
        {"plain", "cp1250", "cp1250", "Phoenix", "Cantafabule",
         {{"Pasărea Roc"}, {"Invocaţie"}, {"Vremuri"}}},
        {"plain", "iso-8859-2", "cp1250,iso-8859-2", "Skaldowie", "Krywań, Krywań",
         {{"Z kopyta kulig rwie"}, {"Prześliczna wiolonczelistka"}, {"Wszystko mi mówi, że mnie ktoś pokochał"}}},
        {"plain", "iso-8859-2", "cp1250,iso-8859-2", "Vlasta Redl", "Staré pecky",
         {{"Husličky"}, {"Vrabčák"}, {"Ladovská zima"}}},
        {"plain", "iso-8859-2", "cp1250,iso-8859-2", "Kovács Kati", "Add már, uramisten",
         {{"Add már, uramisten"}, {"Úgy szeretném meghálálni"}, {"Nem leszek a játékszered"}}},
        // Baltic
        {"plain", "cp1257", "cp1257", "Saulės kliošas", "Pavasarį",
         {{"Drugelis"}, {"Šviesa"}, {"Mėnulis danguje"}}},
        {"plain", "cp1257", "cp1257", "Raimonds Pauls", "Dāvāja Māriņa",
         {{"Dāvāja Māriņa"}, {"Es aiziešu"}, {"Vecā pils"}}},
        {"plain", "cp1257", "cp1257", "Ivo Linna", "Rock Hotel",
         {{"Mere ääres"}, {"Laul põhjamaast"}, {"Õhtu õues"}}},
        // Greek
        {"plain", "cp1253", "cp1253,iso-8859-7", "Σταμάτης Κόκοτας", "Επιτυχίες",
         {{"Το φεγγάρι είναι κόκκινο"}, {"Ζηλεύω"}, {"Ψεύτρα αγάπη"}}},
        {"plain", "cp1253", "cp1253,iso-8859-7", "Νίκος Ξυλούρης", "Ριζίτικα",
         {{"Πότε θα κάνει ξαστεριά"}, {"Αγρίμια κι αγριμάκια μου"}, {"Ανυφαντού"}}},
        {"plain", "cp1253", "cp1253", "Γιάννης Κότσιρας", "Πρόσωπα",
         {{"Όστρια"}, {"Άνεμος θα γίνω"}, {"Ένα ταξίδι ακόμα"}}},
        {"plain", "iso-8859-7", "cp1253,iso-8859-7", "Βασίλης Παπακωνσταντίνου", "Φλου",
         {{"Φλου"}, {"Αχ Ελλάδα"}, {"Άσε με να φύγω"}}},
        // Turkish
        {"plain", "cp1254", "cp1254", "Nilüfer", "Gökyüzü gibi",
         {{"Gökyüzü gibi"}, {"Ve melankoli"}, {"Son arzum"}}},
        {"plain", "cp1254", "cp1254", "Cem Karaca", "Yiyin efendiler",
         {{"Islak ıslak"}, {"Tamirci çırağı"}, {"Kara sevda"}}},
        {"plain", "cp1254", "cp1254", "Yıldız Tilbe", "Delikanlım",
         {{"Delikanlım"}, {"Çabuk olalım aşkım"}, {"Vazgeçtim"}}},
        // Hebrew, Arabic, Persian
        {"plain", "cp1255", "cp1255", "מתי כספי", "מתי כספי",
         {{"ברית עולם"}, {"נוגה"}, {"שיר ישן"}}},
        {"plain", "cp1255", "cp1255", "שלמה ארצי", "גבר הולך לאיבוד",
         {{"תרצה"}, {"ירח"}, {"גבר הולך לאיבוד"}}},
        {"plain", "cp1255", "cp1255", "משינה", "משינה",
         {{"רכבת לילה לקהיר"}, {"בלדה לשוטר"}, {"שתי דקות"}}},
        {"plain", "cp1256", "cp1256", "وديع الصافي", "لبنان",
         {{"لبنان يا قطعة سما"}, {"عندك بحرية"}, {"الليل يا ليلى"}}},
        {"plain", "cp1256", "cp1256", "عمرو دياب", "تملي معاك",
         {{"تملي معاك"}, {"وغلاوتك"}, {"خليك فاكرني"}}},
        {"plain", "cp1256", "cp1256", "گوگوش", "مرداب",
         {{"مرداب"}, {"پل"}, {"گل گلدون"}}},
        // Vietnamese, Thai
        {"plain", "cp1258", "cp1258", "Hồng Nhung", "Bống bồng ơi",
         {{"Bống bồng ơi"}, {"Hà Nội mùa thu"}, {"Thuở bống là người"}}},
        {"plain", "cp1258", "cp1258", "Đàm Vĩnh Hưng", "Xin lỗi tình yêu",
         {{"Xin lỗi tình yêu"}, {"Say tình"}, {"Tình phai"}}},
        {"plain", "cp874", "cp874", "ธงไชย แมคอินไตย์", "ธงไชย",
         {{"ทิ้งไว้กลางทาง"}, {"คู่กัด"}, {"สบาย สบาย"}}},
        {"plain", "cp874", "cp874", "ปาล์มมี่", "ปาล์มมี่",
         {{"ยินดี"}, {"ดึงดัน"}, {"ความเชื่อ"}}},
        // Western pages with Windows-1252's own characters
        {"plain", "cp1252", "cp1252", "Cœur de pirate", "Blonde",
         {{"Adieu"}, {"Ne m’appelle pas"}, {"Place de la République"}}},
        {"plain", "cp1252", "cp1252", "Bernard Lavilliers", "O Gringo",
         {{"Œil pour œil"}, {"Noir et blanc"}, {"On the Road Again – live"}}},
        // Japanese
        {"plain", "cp932", "cp932", "くるり", "さよならストレンジャー",
         {{"東京"}, {"虹"}, {"ばらの花"}}},
        {"plain", "cp932", "cp932,euc-jp", "ユニコーン", "服部",
         {{"大迷惑"}, {"ペケペケ"}, {"服部"}}},
        {"plain", "shift_jis", "shift_jis", "大瀧詠一", "A LONG VACATION",
         {{"君は天然色"}, {"カナリア諸島にて"}, {"恋するカレン"}}},
        {"plain", "euc-jp", "cp932,euc-jp", "ゆず", "ゆず一家",
         {{"夏色"}, {"少年"}, {"贈る詩"}}},
        {"plain", "euc-jp", "euc-jp", "米米CLUB", "Octave",
         {{"君がいるだけで"}, {"浪漫飛行"}, {"愛してる"}}},
        // Chinese
        {"plain", "gbk", "gbk", "郑钧", "赤裸裸",
         {{"赤裸裸"}, {"回到拉萨"}, {"灰姑娘"}}},
        {"plain", "gbk", "gbk", "崔健", "新长征路上的摇滚",
         {{"一无所有"}, {"花房姑娘"}, {"假行僧"}}},
        {"plain", "gbk", "gbk,big5", "黑豹", "黑豹",
         {{"无地自容"}, {"Don't Break My Heart"}, {"别去糟蹋"}}},
        {"plain", "big5", "big5", "周杰倫", "范特西",
         {{"簡單愛"}, {"雙截棍"}, {"安靜"}}},
        {"plain", "big5", "big5,gbk", "蘇芮", "搭錯車",
         {{"酒干倘賣無"}, {"一樣的月光"}, {"是否"}}},
        {"plain", "big5", "big5", "五月天", "愛情萬歲",
         {{"擁抱"}, {"溫柔"}, {"終結孤單"}}},
        // Korean
        {"plain", "cp949", "cp949", "송창식", "가나다라",
         {{"가나다라"}, {"고래사냥"}, {"왜 불러"}}},
        {"plain", "cp949", "cp949", "산울림", "아니 벌써",
         {{"아니 벌써"}, {"개구장이"}, {"청춘"}}},
        {"plain", "euc-kr", "euc-kr", "신승훈", "보이지 않는 사랑",
         {{"보이지 않는 사랑"}, {"그 후로 오랫동안"}, {"미소 속에 비친 그대"}}},

        // Short titles
        {"short", "cp1251", "cp1251,koi8-r", "Ночные Снайперы", "Цунами",
         {{"Ты"}, {"Рок"}, {"Цунами"}, {"Катя"}}},
        {"short", "koi8-r", "cp1251,koi8-r", "Сурганова", "Игра",
         {{"Мы"}, {"Игра"}, {"Сон"}}},
        {"short", "cp1250", "cp1250,iso-8859-2", "Breakout", "Kamienie",
         {{"Łza"}, {"Sen"}, {"Jak"}}},
        {"short", "cp1254", "cp1254", "Müslüm Gürses", "Güz",
         {{"Gül"}, {"Kış"}, {"Yaş"}}},
        {"short", "cp1253", "cp1253", "Γλυκερία", "Ναι",
         {{"Ναι"}, {"Έλα"}, {"Μη"}}},
        {"short", "cp1255", "cp1255", "עברי לידר", "אור",
         {{"אור"}, {"ים"}, {"לב"}}},
        {"short", "gbk", "gbk", "李健", "雨",
         {{"雨"}, {"梦"}, {"风"}}},
        {"short", "cp932", "cp932", "松任谷由実", "冬",
         {{"雪"}, {"空"}, {"海"}}},
        {"short", "cp949", "cp949", "이은미", "봄",
         {{"봄"}, {"비"}, {"별"}}},
        {"short", "big5", "big5", "蔡琴", "夜",
         {{"夜"}, {"渡口"}, {"恰似"}}},

        // Misread as Windows-1252 and saved as UTF-16
        {"via-cp1252", "cp1251", "cp1251,koi8-r", "Танцы Минус", "Флора и фауна",
         {{"Половинка"}, {"Иду"}, {"Цветы"}}},
        {"via-cp1252", "cp1251", "cp1251", "Нервы", "Всё, что тебя касается",
         {{"Всё, что тебя касается"}, {"Батареи"}, {"Глупая"}}},
        {"via-cp1252", "koi8-r", "cp1251,koi8-r", "Секрет", "Ленинградское время",
         {{"Моя любовь на пятом этаже"}, {"Сара Барабу"}, {"Ему не взять тебя с собой"}}},
        {"via-cp1252", "cp1250", "cp1250,iso-8859-2", "Maanam", "O!",
         {{"Boskie Buenos"}, {"Oprócz błękitnego nieba"}, {"Cykady na Cykladach"}}},
        {"via-cp1252", "cp1250", "cp1250", "Katapult", "Katapult",
         {{"Kamenný děti"}, {"Hlupák váhá"}, {"Stínový divadlo"}}},
        {"via-cp1252", "cp1253", "cp1253", "Χάρις Αλεξίου", "Η Χάρις Αλεξίου τραγουδάει",
         {{"Μια πίκρα"}, {"Ένα γλυκό σαν κέρασμα"}, {"Τα κατά Μάρκον"}}},
        {"via-cp1252", "cp1254", "cp1254", "Ajda Pekkan", "Süperstar",
         {{"Bambaşka biri"}, {"Ağlama değmez hayat"}, {"Yaz yaz yaz"}}},
        {"via-cp1252", "cp1257", "cp1257", "Līvi", "Bailes",
         {{"Ugunī"}, {"Dziesma par jums"}, {"Mūžīgais"}}},
        {"via-cp1252", "cp1255", "cp1255", "אהוד בנאי", "אהוד בנאי והפליטים",
         {{"עיר מקלט"}, {"תחנה מרכזית"}, {"קרן שמש"}}},
        {"via-cp1252", "cp932", "cp932", "チューリップ", "心の旅",
         {{"心の旅"}, {"青春の影"}, {"サボテンの花"}}},
        {"via-cp1252", "cp932", "cp932", "矢沢永吉", "ゴールドラッシュ",
         {{"時間よ止まれ"}, {"ルイジアンナ"}, {"黒く塗りつぶせ"}}},
        {"via-cp1252", "gbk", "gbk", "许巍", "在别处",
         {{"两天"}, {"在别处"}, {"青鸟"}}},
        {"via-cp1252", "big5", "big5", "王傑", "一場遊戲一場夢",
         {{"一場遊戲一場夢"}, {"忘了你忘了我"}, {"安妮"}}},
        {"via-cp1252", "cp949", "cp949", "들국화", "들국화",
         {{"행진"}, {"그것만이 내 세상"}, {"축복합니다"}}},
        {"via-cp1252", "cp874", "cp874", "พุ่มพวง ดวงจันทร์", "อกจ๋า",
         {{"อกจ๋า"}, {"กระแซะเข้ามาซิ"}, {"ตั๊กแตนผูกโบว์"}}},

        // Misread as Mac OS Roman and saved as UTF-16
        {"via-mac", "cp1251", "cp1251,koi8-r", "Калинов Мост", "Выворотень",
         {{"Сижу на крыше"}, {"Родная"}, {"Честная"}}},
        {"via-mac", "cp1251", "cp1251,koi8-r", "Любэ", "Атас",
         {{"Атас"}, {"Батька Махно"}, {"Не губите, мужики"}}},
        {"via-mac", "koi8-r", "cp1251,koi8-r", "Чиж и Ко", "Перекрёсток",
         {{"Фантом"}, {"Вечная молодость"}, {"О любви"}}},
        {"via-mac", "cp1250", "cp1250,iso-8859-2", "Anna Jantar", "Tyle słońca w całym mieście",
         {{"Tyle słońca w całym mieście"}, {"Nic nie może wiecznie trwać"}, {"Radość najpiękniejszych lat"}}},
        {"via-mac", "cp1253", "cp1253,iso-8859-7", "Μάνος Χατζιδάκις", "Ο μεγάλος ερωτικός",
         {{"Μάνα μου Ελλάς"}, {"Το τραμ το τελευταίο"}, {"Ήσουν ωραία σαν Έλληνας"}}},
        {"via-mac", "cp932", "cp932", "久保田利伸", "Bonga Wanga",
         {{"流星のサドル"}, {"夏の決心"}, {"永遠の翼"}}},
        {"via-mac", "gbk", "gbk", "田震", "执着",
         {{"执着"}, {"野花"}, {"干杯朋友"}}},
        {"via-mac", "cp949", "cp949", "이선희", "아름다운 강산",
         {{"아름다운 강산"}, {"그중에 그대를 만나"}, {"나 항상 그대를"}}},

        // UTF-8 bytes behind encoding byte 0
        {"utf-8", "cp1251", "cp1251,koi8-r", "Сансара", "Ознобы",
         {{"Ознобы"}, {"Пять минут"}, {"Водолей"}}},
        {"utf-8", "cp932", "cp932", "サカナクション", "アルクアラウンド",
         {{"アルクアラウンド"}, {"ネイティブダンサー"}, {"夜の踊り子"}}},
        {"utf-8", "cp1253", "cp1253", "Δήμητρα Γαλάνη", "Του έρωτα",
         {{"Του έρωτα"}, {"Σβήσε το φεγγάρι"}, {"Τι να θυμηθώ"}}},
        {"utf-8", "cp949", "cp949", "아이유", "꽃갈피",
         {{"나의 옛날이야기"}, {"너의 의미"}, {"꽃"}}},
        {"utf-8", "cp1250", "cp1250", "Hana Hegerová", "Recitál",
         {{"Připitomělé chvilky"}, {"Čerešně"}, {"Levandulová"}}},
        {"utf-8", "gbk", "gbk", "孙燕姿", "我要的幸福",
         {{"我要的幸福"}, {"天黑黑"}, {"绿光"}}},

        // UTF-8 read through a legacy page and saved as UTF-16
        {"utf8-via", "cp1251", "cp1251,koi8-r", "Ночные грузчики", "Хит-парад",
         {{"Давай поговорим"}, {"Зимний вечер"}, {"Звезда рок-н-ролла"}}},
        {"utf8-via", "cp1252", "cp1252", "Noir Désir", "Des visages des figures",
         {{"Le vent nous portera"}, {"L’Appartement"}, {"Bouquet de nerfs"}}},
        {"utf8-via", "cp1252", "cp1252", "平井堅", "歌バカ",
         {{"瞳をとじて"}, {"大きな古時計"}, {"楽園"}}},
        {"utf8-via", "cp1250", "cp1250", "Kasia Kowalska", "Gemini",
         {{"Pieprz i sól"}, {"Wyśnię cię"}, {"Spóźnieni"}}},

        // A genuine Western comment in Latin-1 beside legacy fields
        {"comment", "cp1251", "cp1251,koi8-r", "Ундервуд", "Красная кнопка",
         {{"Гагарин, я вас любила"}, {"Следы на песке"}, {"Всё"}}, "Enregistré à Kiev"},
        {"comment", "cp1253", "cp1253", "Μαρινέλλα", "Ζωντανή ηχογράφηση",
         {{"Άλλος για Χίο τράβηξε"}, {"Σταλιά σταλιά"}}, "Remasterisé, édition spéciale"},
        {"comment", "gbk", "gbk", "莫文蔚", "如果没有你",
         {{"如果没有你"}, {"阴天"}, {"盛夏的果实"}}, "Versión española incluida"},
        {"comment", "cp1250", "cp1250", "Ewa Demarczyk", "Piwnica pod Baranami",
         {{"Grande valse brillante"}, {"Karuzela z madonnami"}, {"Tomaszów"}}, "Live à Cracovie"},

        // A lone legacy field among UTF-16 ones
        {"lone", "cp1251", "cp1251,koi8-r", "Ногу свело!", "Хару Мамбуру",
         {{"Хару Мамбуру"}, {"Московская песня"}}},
        {"lone", "cp1250", "cp1250,iso-8859-2", "Bajm", "Martwa woda",
         {{"Biała armia"}, {"Józek, nie daruję ci tej nocy"}}},
        {"lone", "cp1253", "cp1253", "Σωκράτης Μάλαμας", "Ένας άλλος",
         {{"Ένας άλλος"}, {"Αχ καρδιά"}}},
        {"lone", "gbk", "gbk", "张楚", "孤独的人是可耻的",
         {{"姐姐"}, {"孤独的人是可耻的"}}},
        {"lone", "cp932", "cp932", "井上陽水", "氷の世界",
         {{"氷の世界"}, {"心もよう"}}},
        {"lone", "cp1255", "cp1255", "יהודית רביץ", "יהודית רביץ",
         {{"סיגליות"}, {"בלילות הקיץ החמים"}}},

        // A genuine Western artist in Latin-1 among UTF-16 fields
        {"western", "cp1251", "cp1251,koi8-r", "Patricia Kaas", "Избранное",
         {{"Мадемуазель поёт блюз"}, {"Кабаре"}, {"Я ухожу"}}},
        {"western", "cp1253", "cp1253", "Nana Mouskouri", "Τα τραγούδια της γης μου",
         {{"Χάρτινο το φεγγαράκι"}, {"Κάθε τρελό παιδί"}}},
        {"western", "cp932", "cp932", "Sinéad O'Connor", "グレイテスト・ヒッツ",
         {{"愛の哀しみ"}, {"ただの少女"}}},
        {"western", "gbk", "gbk", "Renée Fleming", "咏叹调",
         {{"月亮颂"}, {"我亲爱的爸爸"}}},
        {"western", "cp949", "cp949", "Joaquín Sabina", "노래 모음",
         {{"열아홉 해"}, {"그리고 그날"}}},
        {"western", "cp1255", "cp1255", "Björn Ulvaeus", "שירים",
         {{"שיר לשלום"}, {"הכל עובר"}}},
        {"western", "cp1250", "cp1250,iso-8859-2", "Plácido Domingo", "Árie",
         {{"Čarovná flétna"}, {"Prodaná nevěsta"}}},
        {"western", "cp1254", "cp1254", "Gérard Lenorman", "En İyileri",
         {{"Ballade des gens heureux"}, {"Bu gece ağla"}}},

        // Compilations: several pages in one folder
        {"compilation", "", "cp1251,cp1253,cp1255", "Various", "Eurovision 1990s",
         {{"Ты и я", "cp1251", "Кристина Орбакайте"}, {"Μαζί σου", "cp1253", "Κατερίνα Γαρμπή"},
          {"שלום עולם", "cp1255", "עוזי חיטמן"}}},
        {"compilation", "", "cp932,gbk,cp949", "Various", "Asia Hits",
         {{"なごり雪", "cp932", "イルカ"}, {"小城故事", "gbk", "邓丽君"},
          {"사랑으로", "cp949", "해바라기"}}},
        {"compilation", "", "cp1250,cp1251,cp1252", "Various", "Europa Express",
         {{"Jej portret", "cp1250", "Bogusław Mec"}, {"Журавли", "cp1251", "Марк Бернес"},
          {"Mon cœur résiste encore", "cp1252", "Garou"}}},
        {"compilation", "", "cp1251,koi8-r", "Various", "Песни года",
         {{"Всё пройдёт", "koi8-r", "Михаил Боярский"}, {"Город", "cp1251", "Таня Буланова"},
          {"Осень", "koi8-r", "Дельфин"}, {"Вдоль обрыва", "cp1251", "Лидия Русланова"}}},
        {"compilation", "", "big5,gbk", "Various", "Mandopop",
         {{"橄欖樹", "big5", "齊豫"}, {"同桌的你", "gbk", "老狼"}, {"童年", "big5", "羅大佑"}}},
        {"compilation", "", "cp1254,cp1253,cp1256", "Various", "Mediterranean",
         {{"Çiçek dağı", "cp1254", "Zülfü Livaneli"}, {"Τα λόγια και τα χρόνια", "cp1253", "Γιάννης Πάριος"},
          {"يا ليل", "cp1256", "صباح فخري"}}},

        // Lists that miss the page
        {"missing", "cp1253", "cp1251,koi8-r", "Γιάννης Χαρούλης", "Κλέφτικο",
         {{"Κλέφτικο"}, {"Τα πουλιά"}, {"Παραπονεμένα λόγια"}}},
        {"missing", "gbk", "cp932", "汪峰", "飞得更高",
         {{"飞得更高"}, {"春天里"}, {"北京北京"}}},
        {"missing", "cp1250", "cp1253", "Marek Grechuta", "Korowód",
         {{"Korowód"}, {"Dni, których nie znamy"}, {"Świecie nasz"}}},
        {"missing", "cp1255", "cp1256", "ששון שושן", "מיטב",
         {{"אהבה ראשונה"}, {"בוקר טוב"}, {"שיר ערש"}}},
        {"missing", "cp1251", "cp1250,iso-8859-2", "Юрий Шевчук", "Прекрасная любовь",
         {{"Прекрасная любовь"}, {"Ночь"}, {"Белая река"}}},
        {"missing", "big5", "cp949", "張雨生", "大海",
         {{"大海"}, {"我的未來不是夢"}, {"天天想你"}}},

        // Controls: genuine Unicode in every script
        {"unicode", "cp1251", "cp1251,koi8-r", "Ольга Арефьева", "Батарейка",
         {{"Батарейка"}, {"Жёлтая роза"}}},
        {"unicode", "cp1250", "cp1250,iso-8859-2", "Čechomor", "Proměny",
         {{"Proměny"}, {"Mezi horami"}}},
        {"unicode", "cp1257", "cp1257", "Jurga", "Aukso pieva",
         {{"Aukso pieva"}, {"Nebijok"}}},
        {"unicode", "cp1253", "cp1253", "Μαρία Φαραντούρη", "Ο δρόμος",
         {{"Τα παιδιά κάτω στον κάμπο"}, {"Ο δρόμος"}}},
        {"unicode", "cp1254", "cp1254", "Orhan Gencebay", "Batsın bu dünya",
         {{"Batsın bu dünya"}, {"Hatasız kul olmaz"}}},
        {"unicode", "cp1255", "cp1255", "חוה אלברשטיין", "לונה פארק",
         {{"לונה פארק"}, {"חורשת האקליפטוס"}}},
        {"unicode", "cp1256", "cp1256", "راشد الماجد", "المسافر",
         {{"المسافر"}, {"وش مقصود"}}},
        {"unicode", "cp1258", "cp1258", "Phương Thanh", "Chanh",
         {{"Trống vắng"}, {"Chanh"}}},
        {"unicode", "cp874", "cp874", "สุนทราภรณ์", "รำวง",
         {{"รำวงวันสงกรานต์"}, {"ขอให้เหมือนเดิม"}}},
        {"unicode", "cp932", "cp932", "美空ひばり", "川の流れのように",
         {{"川の流れのように"}, {"愛燦燦"}}},
        {"unicode", "gbk", "gbk", "李宗盛", "山丘",
         {{"山丘"}, {"凡人歌"}}},
        {"unicode", "big5", "big5", "陳奕迅", "十年",
         {{"十年"}, {"浮誇"}}},
        {"unicode", "cp949", "cp949", "패티김", "이별",
         {{"이별"}, {"가을을 남기고 간 사랑"}}},

        // Controls: genuine Western text in Latin-1, and ASCII
        {"latin1", "", "", "Léo Ferré", "Avec le temps",
         {{"Avec le temps"}, {"Jolie môme"}, {"C'est extra"}}},
        {"latin1", "", "", "Jacques Brel", "Les Marquises",
         {{"Les Marquises"}, {"Orly"}, {"Jaurès"}}},
        {"latin1", "", "", "Element of Crime", "Weißes Papier",
         {{"Weißes Papier"}, {"Delmenhorst"}, {"Über Nacht"}}},
        {"latin1", "", "", "Héroes del Silencio", "Senderos de traición",
         {{"Entre dos tierras"}, {"Maldito duende"}, {"Despertar"}}},
        {"latin1", "", "", "Chico Buarque", "Construção",
         {{"Construção"}, {"Cotidiano"}, {"Deus lhe pague"}}},
        {"latin1", "", "", "Mari Boine", "Gávcci jahkejuogu",
         {{"Mu ustit"}, {"Ale ale"}}},
        {"latin1", "", "", "Lars Winnerbäck", "Vatten under broarna",
         {{"Hum hum från Humlegården"}, {"Kom ihåg mig"}, {"Över gränsen"}}},
        {"latin1", "", "", "Ásgeir", "Dýrð í dauðaþögn",
         {{"Leyndarmál"}, {"Nýfallið regn"}, {"Sumargestur"}}},
        {"latin1", "", "", "Xutos & Pontapés", "88",
         {{"À minha maneira"}, {"Para ti Maria"}}},
        {"ascii", "", "", "Radiohead", "OK Computer",
         {{"Paranoid Android"}, {"Karma Police"}, {"No Surprises"}}},
        {"ascii", "", "", "Massive Attack", "Mezzanine",
         {{"Teardrop"}, {"Angel"}, {"Inertia Creeps"}}},
        {"ascii", "", "", "Tinariwen", "Aman Iman",
         {{"Cler Achel"}, {"Matadjem Yinmixan"}}},
    };
    return set;
}

}  // namespace tagshifter::test::blind
