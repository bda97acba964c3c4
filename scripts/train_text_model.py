#!/usr/bin/env python3
"""Trains the text model the -s auto guess scores readings with.

For every language the built-in code pages serve it counts, in the words of
a spelling dictionary installed from Debian (its headwords, and the forms its
affix rules make of them: titles say "Lenkų", not only "lenkas"), how often
each letter follows another (word starts and ends included), and writes the
costs of those steps, -log2 of their probability in half bits, as C++ tables. For Japanese,
Chinese (simplified and traditional) and Korean it writes the cost of each
character instead, from a dictionary or a frequency count of each.

    python3 scripts/train_text_model.py [--root /] [--out src/guess/model/text_model.inc]

--root lets the tests train on a small tree of their own; a source missing
under it is left out (the tables then lack that language) and said so.
"""

import argparse
import bz2
import codecs
import itertools
import math
import multiprocessing
import os
import re
import sys
import unicodedata
from collections import Counter

# (name, script, dictionaries under <root>/usr/share/hunspell or elsewhere, Debian package)
ALPHABET_LANGUAGES = [
    ("en", "Latin", ["usr/share/hunspell/en_US"], "hunspell-en-us"),
    ("de", "Latin", ["usr/share/hunspell/de_DE"], "hunspell-de-de"),
    ("fr", "Latin", ["usr/share/hunspell/fr_FR", "usr/share/hunspell/fr"], "hunspell-fr"),
    ("es", "Latin", ["usr/share/hunspell/es_ES"], "hunspell-es"),
    ("it", "Latin", ["usr/share/hunspell/it_IT"], "hunspell-it"),
    ("pt", "Latin", ["usr/share/hunspell/pt_PT"], "hunspell-pt-pt"),
    ("nl", "Latin", ["usr/share/hunspell/nl"], "hunspell-nl"),
    ("sv", "Latin", ["usr/share/hunspell/sv_SE"], "hunspell-sv"),
    ("da", "Latin", ["usr/share/hunspell/da_DK"], "hunspell-da"),
    ("no", "Latin", ["usr/share/hunspell/nb_NO"], "hunspell-no"),
    ("pl", "Latin", ["usr/share/hunspell/pl_PL"], "hunspell-pl"),
    ("cs", "Latin", ["usr/share/hunspell/cs_CZ"], "hunspell-cs"),
    ("sk", "Latin", ["usr/share/hunspell/sk_SK"], "hunspell-sk"),
    ("hu", "Latin", ["usr/share/hunspell/hu_HU"], "hunspell-hu"),
    ("hr", "Latin", ["usr/share/hunspell/hr_HR", "usr/share/hunspell/sr_Latn_RS"], "hunspell-hr, hunspell-sr"),
    ("sl", "Latin", ["usr/share/hunspell/sl_SI"], "hunspell-sl"),
    ("ro", "Latin", ["usr/share/hunspell/ro_RO"], "hunspell-ro"),
    ("tr", "Latin", ["usr/share/hunspell/tr_TR"], "hunspell-tr"),
    ("lt", "Latin", ["usr/share/hunspell/lt_LT"], "hunspell-lt"),
    ("lv", "Latin", ["usr/share/hunspell/lv_LV"], "hunspell-lv"),
    ("et", "Latin", ["usr/share/hunspell/et_EE"], "myspell-et"),
    ("vi", "Latin", ["usr/share/hunspell/vi_VN"], "hunspell-vi"),
    ("is", "Latin", ["usr/share/hunspell/is_IS", "usr/share/hunspell/is"], "hunspell-is"),
    ("ru", "Cyrillic", ["usr/share/hunspell/ru_RU"], "hunspell-ru"),
    ("uk", "Cyrillic", ["usr/share/hunspell/uk_UA"], "hunspell-uk"),
    ("be", "Cyrillic", ["usr/share/hunspell/be_BY"], "hunspell-be"),
    ("bg", "Cyrillic", ["usr/share/hunspell/bg_BG"], "hunspell-bg"),
    # Macedonian has no dictionary in Debian; Serbian's Cyrillic words stand
    # closest to it (both write ј љ њ џ).
    ("sr", "Cyrillic", ["usr/share/hunspell/sr_RS"], "hunspell-sr"),
    ("el", "Greek", ["usr/share/hunspell/el_GR"], "hunspell-el"),
    ("he", "Hebrew", ["usr/share/hunspell/he_IL"], "hunspell-he"),
    ("ar", "Arabic", ["usr/share/hunspell/ar"], "hunspell-ar"),
    ("fa", "Arabic", ["usr/share/hunspell/fa_IR", "usr/share/hunspell/fa"], "myspell-fa"),
    ("th", "Thai", ["usr/share/hunspell/th_TH"], "hunspell-th"),
]

SCRIPT_OF = {"Latin": "LATIN", "Cyrillic": "CYRILLIC", "Greek": "GREEK", "Hebrew": "HEBREW",
             "Arabic": "ARABIC", "Thai": "THAI"}

MAX_WORDS = 150000      # headwords per language: enough for its letter pairs
MAX_EXPANDED = 12000    # stems per language whose forms are made: enough for its endings
FORMS_PER_STEM = 12     # a stem's forms count as at most this many words
MOST_MADE = 2000        # forms made of one stem, at most
MOST_FORMS = 32         # of a stem's forms, an even sample of at most this many is counted
MIN_LETTER_SHARE = 2e-5  # rarer letters stay outside a language's alphabet
MAX_LETTERS = 80
HALF_BITS_CAP = 40       # 20 bits: what a step never seen costs
HAN_FIRST, HAN_LAST = 0x4E00, 0x9FFF
KANA_FIRST, KANA_LAST = 0x3041, 0x30FF
HANGUL_FIRST, HANGUL_LAST = 0xAC00, 0xD7A3
USUAL_HAN, USUAL_HANGUL = 3000, 2000


def note(message):
    print(message, file=sys.stderr)


def dictionary_encoding(aff_path):
    try:
        with open(aff_path, "rb") as aff:
            for line in aff:
                if line.startswith(b"SET "):
                    name = line.split()[1].decode("ascii").lower()
                    return {"iso8859-1": "latin-1", "microsoft-cp1251": "cp1251"}.get(name, name)
    except OSError:
        pass
    return "utf-8"


def read_lines(path, encoding):
    try:
        codecs.lookup(encoding)
    except LookupError:
        encoding = "utf-8"
    with open(path, "rb") as text:
        return text.read().decode(encoding, errors="replace").splitlines()


class Affixes:
    """A hunspell affix file: its prefixes and suffixes by flag, and the flags
    that keep a stem or a form from standing as a word of its own."""

    def __init__(self, lines):
        self.flag_type = "char"
        self.aliases = []
        self.prefixes, self.suffixes = {}, {}
        self.cross = {}
        self.ignore = ""
        self.full_strip = False  # a suffix may strip the whole stem ("FULLSTRIP")
        aliases_counted = False
        special = {}
        for line in lines:
            parts = line.split()
            if not parts:
                continue
            key = parts[0]
            if key == "FLAG" and len(parts) > 1:
                self.flag_type = parts[1].lower()
            elif key == "AF" and len(parts) > 1:
                # The first AF line counts the rest; an alias may itself be a
                # number ("AF 2": flag 2 of FLAG num, or a digit flag).
                if aliases_counted:
                    self.aliases.append(parts[1])
                aliases_counted = True
            elif key == "FULLSTRIP":
                self.full_strip = True
            elif key == "IGNORE" and len(parts) > 1:
                self.ignore = parts[1]
            elif key in ("NEEDAFFIX", "PSEUDOROOT", "ONLYINCOMPOUND", "FORBIDDENWORD", "CIRCUMFIX") \
                    and len(parts) > 1:
                special[key] = parts[1]
            elif key in ("PFX", "SFX") and len(parts) >= 4:
                flag = parts[1]
                table = self.prefixes if key == "PFX" else self.suffixes
                if parts[2] in ("Y", "N") and parts[3].isdigit() and flag not in table:
                    table[flag] = {}
                    self.cross[key, flag] = parts[2] == "Y"
                    continue
                strip = "" if parts[2] == "0" else parts[2]
                add, _, continuation = parts[3].partition("/")
                add = "" if add == "0" else add
                condition = parts[4] if len(parts) > 4 else "."
                # Rules of one flag sharing a strip and a condition are tried together.
                rules = table.setdefault(flag, {})
                group = rules.setdefault((self.without_ignored(strip), condition), [])
                group.append((self.without_ignored(add), frozenset(self.flags(continuation))))
        for key, table in (("PFX", self.prefixes), ("SFX", self.suffixes)):
            for flag, rules in table.items():
                table[flag] = [(strip, self.condition(key, condition), adds)
                               for (strip, condition), adds in (rules.items() if rules else ())]
        self.need_affix = special.get("NEEDAFFIX", special.get("PSEUDOROOT"))
        self.only_in_compound = special.get("ONLYINCOMPOUND")
        self.forbidden = special.get("FORBIDDENWORD")
        self.circumfix = special.get("CIRCUMFIX")

    def without_ignored(self, text):
        return "".join(c for c in text if c not in self.ignore) if self.ignore else text

    def flags(self, text):
        if not text:
            return set()
        if self.aliases and text.isdigit() and 0 < int(text) <= len(self.aliases):
            text = self.aliases[int(text) - 1]
        if self.flag_type == "long":
            return {text[i:i + 2] for i in range(0, len(text), 2)}
        if self.flag_type == "num":
            return set(text.split(","))
        return set(text)

    @staticmethod
    def condition(key, condition):
        if condition == ".":
            return None
        pattern = re.escape(condition).replace("\\[", "[").replace("\\]", "]").replace("\\^", "^") \
            .replace("\\.", ".").replace("\\-", "-")
        try:
            return re.compile(pattern + "$" if key == "SFX" else "^" + pattern)
        except re.error:
            return re.compile("$^")  # a condition we cannot read: the rule is left out

    def stripped_too_much(self, strip, word):
        return len(strip) > len(word) or (len(strip) == len(word) and not self.full_strip)

    def standalone(self, flags):
        return not ({self.need_affix, self.only_in_compound, self.forbidden} & flags)

    def suffixed(self, word, flags):
        """(form, the suffix's own flags, whether it may take a prefix) for each suffix of `flags`."""
        for flag in flags:
            for strip, condition, adds in self.suffixes.get(flag, ()):
                if self.stripped_too_much(strip, word) or (strip and not word.endswith(strip)):
                    continue
                if condition is not None and not condition.search(word):
                    continue
                root = word[:len(word) - len(strip)]
                cross = self.cross.get(("SFX", flag), False)
                for add, continuation in adds:
                    yield root + add, continuation, cross

    def prefixed(self, word, flags):
        for flag in flags:
            for strip, condition, adds in self.prefixes.get(flag, ()):
                if self.stripped_too_much(strip, word) or (strip and not word.startswith(strip)):
                    continue
                if condition is not None and not condition.search(word):
                    continue
                rest = word[len(strip):]
                cross = self.cross.get(("PFX", flag), False)
                for add, continuation in adds:
                    yield add + rest, continuation, cross

    def forms(self, stem, flags):
        """The words `stem` makes with its affixes (MOST_MADE at most: two
        suffixes of a Hungarian stem make tens of thousands): one suffix, a
        second one the first allows, and a prefix on either where both allow it."""
        return list(itertools.islice(self.made(stem, flags), MOST_MADE))

    def made(self, stem, flags):
        circumfix = self.circumfix
        if self.standalone(flags):
            yield stem
        firsts = []
        for form, continuation, cross in self.suffixed(stem, flags):
            firsts.append((form, continuation))
            if self.standalone(continuation) and circumfix not in continuation:
                yield form
            if cross:
                for both, more, prefix_cross in self.prefixed(form, flags | continuation):
                    if prefix_cross and (circumfix in more) == (circumfix in continuation):
                        yield both
        for form, continuation, _ in self.prefixed(stem, flags):
            if self.standalone(continuation) and circumfix not in continuation:
                yield form
        # Second suffixes last: where there are too many, the first ones are kept.
        for form, continuation in firsts:
            for second, more, _ in self.suffixed(form, continuation):
                if self.standalone(more) and circumfix not in more | continuation:
                    yield second


def dictionary_stems(root, base):
    """The stems of a dictionary with their flags, and its affix rules; None if not found."""
    path = os.path.join(root, base + ".dic")
    if not os.path.exists(path):
        return None
    aff = os.path.join(root, base + ".aff")
    encoding = dictionary_encoding(aff)
    affixes = Affixes(read_lines(aff, encoding) if os.path.exists(aff) else [])
    stems = []
    for line in read_lines(path, encoding)[1:]:
        entry = line.split()[0] if line.split() else ""
        stem, _, flags = entry.partition("/")
        stem = affixes.without_ignored(unicodedata.normalize("NFC", stem.strip()))
        if stem and not stem.startswith("#"):
            stems.append((stem, affixes.flags(flags)))
    return stems, affixes


def dictionary_words(root, base):
    """The headwords of a dictionary as it lists them; None if not found."""
    path = os.path.join(root, base + ".dic")
    if not os.path.exists(path):
        return None
    words = []
    for line in read_lines(path, dictionary_encoding(os.path.join(root, base + ".aff")))[1:]:
        word = line.split("/")[0].split("\t")[0].strip()
        if word and not word.startswith("#"):
            words.append(unicodedata.normalize("NFC", word))
    return words


def headwords_only(root, bases):
    """The headwords of a language's dictionaries as (word, 1.0)."""
    words = []
    for base in bases:
        words += dictionary_words(root, base) or []
    if not words:
        return None
    return [(w, 1.0, True) for w in words], 0


def inflected_words(root, bases):
    """The words of a language's dictionaries as (word, weight, whether the
    dictionary lists it): every headword (an even sample of at most
    MAX_WORDS), and the forms that the affixes of an even sample of its stems
    with flags make, weighted as if every such stem had made them. A stem's
    forms count as FORMS_PER_STEM words at most, however many it has, and a
    word no affix changes ("città", "lunedì") as much as an inflected stem
    with its forms does on average; each dictionary gives the same number of
    words, so that neither stems taking hundreds of endings nor the larger of
    two dictionaries drown the rest. None if no dictionary is found; else the
    words and the number of stems whose forms were made."""
    found = [f for f in (dictionary_stems(root, base) for base in bases) if f is not None]
    if not found:
        return None
    words = []
    expanded = 0
    for stems, affixes in found:
        headwords = evenly(stems, MAX_WORDS // len(found))
        # Only stems with flags make forms: a dictionary listing most of its
        # words whole (Turkish, Icelandic) still gives its endings to learn from.
        sample = evenly([(stem, flags) for stem, flags in stems if flags], MAX_EXPANDED // len(found))
        scale = sum(1 for _, flags in headwords if flags) / max(1, len(sample))
        made = []
        for stem, flags in sample:
            forms = list(dict.fromkeys(f for f in affixes.forms(stem, flags) if f and f != stem))
            if forms:
                made.append((min(len(forms), FORMS_PER_STEM), evenly(forms, MOST_FORMS)))
        # What a stem of the dictionary weighs with its forms, on average.
        unchanged = 1 + sum(weight for weight, _ in made) / max(1, len(sample))
        # A stem only affixes make words of ("šakas" of "šakų") is no word itself.
        words += [(stem, 1.0 if flags else unchanged, True) for stem, flags in headwords
                  if affixes.standalone(flags)]
        for weight, forms in made:
            words += [(form, scale * weight / len(forms), False) for form in forms]
        expanded += len(made)
    return words, expanded


def evenly(items, most):
    """At most `most` of `items`, evenly spread, the same on every run."""
    if len(items) <= most:
        return items
    step = len(items) / most
    return [items[int(i * step)] for i in range(most)]


def in_script(letter, script):
    try:
        return unicodedata.name(letter).startswith(SCRIPT_OF[script])
    except ValueError:
        return False


def is_letter(c):
    return unicodedata.category(c)[0] in "LM"


def train_alphabet(name, script, words, sample=False):
    """The language's alphabet (lower case) and the cost of every step, from
    (word, weight, whether the dictionary lists it) triples."""
    # Compounds and elisions ("au-delà", "l'amour") count as their parts:
    # some letters live mostly in them.
    words = [(part, weight, listed) for w, weight, listed in words
             for part in w.lower().replace("'", "-").replace("\u2019", "-").split("-")]
    words = [(w, weight, listed) for w, weight, listed in words
             if w and all(is_letter(c) for c in w) and any(in_script(c, script) for c in w)]
    if sample:  # an even sample, the same on every run
        words = evenly(words, MAX_WORDS)
    letters, listed_letters = Counter(), Counter()
    for w, weight, listed in words:
        for c in w:
            letters[c] += weight
            listed_letters[c] += listed
    # A letter of the alphabet is common in the words, or in the words the
    # dictionary lists: forms must not push out what its headwords write.
    total, listed_total = sum(letters.values()), sum(listed_letters.values()) or 1
    alphabet = sorted(c for c, n in letters.items()
                      if max(n / total, listed_letters[c] / listed_total) >= MIN_LETTER_SHARE
                      and (in_script(c, script) or c.isascii()))
    alphabet = sorted(sorted(alphabet, key=lambda c: -letters[c])[:MAX_LETTERS])
    index = {c: i + 1 for i, c in enumerate(alphabet)}  # 0: the word's edge
    size = len(alphabet) + 1
    pairs = Counter()
    for w, weight, _ in words:
        if not all(c in index for c in w):
            continue
        steps = [0] + [index[c] for c in w] + [0]
        for a, b in zip(steps, steps[1:]):
            pairs[a, b] += weight
    costs = []
    occurrences = []
    for a in range(size):
        row_total = sum(pairs[a, b] for b in range(size))
        for b in range(size):
            if a == 0 and b == 0:
                costs.append(HALF_BITS_CAP)
                continue
            p = (pairs[a, b] + 0.1) / (row_total + 0.1 * size)
            cost = min(HALF_BITS_CAP, round(-2 * math.log2(p)))
            costs.append(cost)
            occurrences.append((cost, pairs[a, b]))
    # What a step of real text costs at most, 19 times in 20: only what
    # lies beyond it counts against a reading.
    occurrences.sort()
    seen = sum(n for _, n in occurrences)
    running, usual = 0, HALF_BITS_CAP
    for cost, n in occurrences:
        running += n
        if running >= 0.95 * seen:
            usual = cost
            break
    return alphabet, costs, usual, len(words)


def cost_table(counts, first, last, floor_share=None):
    """-log2 of each character's share, in half bits, from `counts`."""
    total = sum(counts.values()) or 1
    size = last - first + 1
    table = []
    for point in range(first, last + 1):
        n = counts.get(point, 0)
        p = (n + 0.05) / (total + 0.05 * size)
        table.append(min(255, round(-2 * math.log2(p))))
    return table


def usual_cost(table, rank):
    """The cost of the rank-th most common character: everyday text is
    written, nearly all of it, in the few thousand most common ones."""
    return sorted(table)[min(rank, len(table) - 1)]


def level_members(codec, leads, trails):
    members = set()
    for lead in leads:
        for trail in trails:
            try:
                text = bytes([lead, trail]).decode(codec)
            except (UnicodeDecodeError, LookupError):
                continue
            if len(text) == 1:
                members.add(ord(text))
    return members


def with_levels(counts, first_level, second_level):
    """Counts from a text source, and the character sets of a national
    standard's first and second levels as a floor for what it missed."""
    known = sorted(n for n in counts.values() if n > 0)
    if not known:
        return counts
    median = known[len(known) // 2]
    merged = Counter(counts)
    for point in first_level:
        merged[point] = max(merged[point], median // 4 + 1)
    for point in second_level:
        merged[point] = max(merged[point], 1)
    return merged


def japanese_counts(root):
    folder = os.path.join(root, "usr/share/mecab/dic/ipadic")
    if not os.path.isdir(folder):
        return None
    counts = Counter()
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".csv"):
            continue
        with open(os.path.join(folder, name), "rb") as csv:
            for line in csv.read().decode("euc-jp", errors="replace").splitlines():
                surface = line.split(",")[0]
                for c in surface:
                    counts[ord(c)] += 1
    return counts


def unihan_field(root, archive, field):
    path = os.path.join(root, "usr/share/unicode", archive)
    if not os.path.exists(path):
        return None
    values = {}
    with bz2.open(path, "rt", encoding="utf-8") as text:
        for line in text:
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[1] == field:
                values[int(parts[0][2:], 16)] = parts[2]
    return values


def simplified_counts(root):
    pinlu = unihan_field(root, "Unihan_Readings.txt.bz2", "kHanyuPinlu")
    if pinlu is None:
        return None
    counts = Counter()
    for point, readings in pinlu.items():
        for reading in readings.split():
            counts[point] += int(reading[reading.index("(") + 1:-1])
    return counts


def traditional_counts(root):
    frequency = unihan_field(root, "Unihan_DictionaryLikeData.txt.bz2", "kFrequency")
    if frequency is None:
        return None
    # 1: the most frequent in a large count of Usenet text, 5: the least.
    return Counter({point: 10 ** (6 - int(level)) for point, level in frequency.items()})


def korean_counts(root):
    words = dictionary_words(root, "usr/share/hunspell/ko")
    if words is None:
        return None
    return Counter(ord(c) for w in words for c in w if HANGUL_FIRST <= ord(c) <= HANGUL_LAST)


def array(name, values, per_line=32):
    lines = [f"constexpr unsigned char {name}[] = {{"]
    for i in range(0, len(values), per_line):
        lines.append("    " + ",".join(str(v) for v in values[i:i + per_line]) + ",")
    lines.append("};")
    return "\n".join(lines)


def u32(text):
    return 'U"' + "".join(c if unicodedata.category(c)[0] == "L" and c != "\\" else f"\\U{ord(c):08X}"
                          for c in text) + '"'


def train_language(root, forms, entry):
    """What train_alphabet learns of one language, or why it has nothing."""
    name, script, bases, _ = entry
    found = inflected_words(root, bases) if forms else headwords_only(root, bases)
    if not found or not found[0]:
        return f"no dictionary under {root}"
    words, stems = found
    alphabet, costs, usual, used = train_alphabet(name, script, words, sample=not forms)
    if not alphabet:
        return "no word in its script"
    return alphabet, costs, usual, used, stems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default="/")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "src", "guess",
                                                      "model", "text_model.inc"))
    # The forms' tables read Italian "-tà" as Latvian "-ā" under -s auto until
    # the guess's weights are tuned on them: headwords stay the default.
    parser.add_argument("--forms", action="store_true",
                        help="learn from the forms the affix rules make too, not the headwords alone")
    args = parser.parse_args()

    out = ["// Generated by scripts/train_text_model.py: do not edit; run it again.",
           "// Sources (Debian packages; each licence in /usr/share/doc/PACKAGE/copyright):"]
    body = []
    languages = []
    uppers = set()
    # The languages are trained side by side: making the forms takes a while.
    with multiprocessing.Pool(min(2, os.cpu_count() or 1)) as pool:
        trained = pool.starmap(train_language, [(args.root, args.forms, entry) for entry in ALPHABET_LANGUAGES])
    for (name, script, _, package), result in zip(ALPHABET_LANGUAGES, trained):
        if isinstance(result, str):
            note(f"{name}: {result}, left out")
            continue
        alphabet, costs, usual, used, stems = result
        out.append(f"//   {name}: {package} ({stems} stems, {used} words with their forms)" if args.forms
                   else f"//   {name}: {package} ({used} words)")
        body.append(array(f"kSteps_{name}", costs))
        languages.append(f'    {{"{name}", Script::{script}, {u32("".join(alphabet))}, kSteps_{name}, {usual}}},')
        for c in alphabet:
            upper = c.upper()
            # Only a letter's own pair: Turkish ı is not what "I" lowers to,
            # nor Greek final ς what "Σ" lowers to.
            if len(upper) == 1 and upper != c and upper.lower() == c:
                uppers.add((ord(upper), ord(c)))

    cjk = []
    sources = [
        ("ja", "mecab-ipadic (the surfaces of its words)", japanese_counts(args.root),
         level_members("euc_jp", range(0xB0, 0xD0), range(0xA1, 0xFF)),
         level_members("euc_jp", range(0xD0, 0xF5), range(0xA1, 0xFF))),
        ("zh_hans", "unicode-data (Unihan kHanyuPinlu)", simplified_counts(args.root),
         level_members("gb2312", range(0xB0, 0xD8), range(0xA1, 0xFF)),
         level_members("gb2312", range(0xD8, 0xF8), range(0xA1, 0xFF))),
        ("zh_hant", "unicode-data (Unihan kFrequency)", traditional_counts(args.root),
         level_members("big5", range(0xA4, 0xC7), list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))),
         level_members("big5", range(0xC9, 0xFA), list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF)))),
    ]
    for name, source, counts, first, second in sources:
        if counts is None:
            note(f"{name}: no source under {args.root}, left out")
            continue
        counts = with_levels(counts, first, second)
        out.append(f"//   {name}: {source}")
        han = cost_table(counts, HAN_FIRST, HAN_LAST)
        body.append(array(f"kHan_{name}", han))
        kana = cost_table(counts, KANA_FIRST, KANA_LAST) if name == "ja" else [255] * (KANA_LAST - KANA_FIRST + 1)
        body.append(array(f"kKana_{name}", kana))
        cjk.append(f'    {{"{name}", kHan_{name}, kKana_{name}, {usual_cost(han, USUAL_HAN)}}},')
    korean = korean_counts(args.root)
    if korean is not None:
        korean = with_levels(korean, level_members("euc_kr", range(0xB0, 0xC9), range(0xA1, 0xFF)), set())
        out.append("//   ko: hunspell-ko (the syllables of its words)")
        hangul = cost_table(korean, HANGUL_FIRST, HANGUL_LAST)
    else:
        note(f"ko: no dictionary under {args.root}, left out")
        hangul = [255] * (HANGUL_LAST - HANGUL_FIRST + 1)
    body.append(array("kHangul_ko", hangul))
    body.append(f"constexpr int kUsualHangul = {usual_cost(hangul, USUAL_HANGUL)};")

    out.append("// Costs are -log2 of a probability, in half bits; a letter pair's cost is that")
    out.append("// of the second letter after the first (index 0: a word's edge).")
    out += body
    out.append("constexpr AlphabetLanguage kAlphabetLanguages[] = {")
    out += languages
    out.append("};")
    out.append("constexpr CjkLanguage kCjkLanguages[] = {")
    out += cjk
    out.append("};")
    out.append("// Upper-case letters of the alphabets above and their lower case.")
    out.append("constexpr char32_t kUpperToLower[][2] = {")
    pairs = sorted(uppers)
    for i in range(0, len(pairs), 8):
        out.append("    " + " ".join(f"{{0x{u:X}, 0x{l:X}}}," for u, l in pairs[i:i + 8]))
    out.append("};")
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    with open(args.out, "w", encoding="utf-8") as inc:
        inc.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
