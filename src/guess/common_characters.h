// The CJK characters and Hangul syllables that everyday text is made of.
#pragma once

namespace tagshifter::guess {

// Han characters of the first (common) level of GB 2312, Big5 and JIS X 0208.
bool isCommonHan(char32_t point);

// The 2350 Hangul syllables of KS X 1001 (the ones EUC-KR can write).
bool isCommonHangul(char32_t point);

}  // namespace tagshifter::guess
