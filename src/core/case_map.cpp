#include "core/case_map.h"

#include "core/text.h"

#include <utf8proc.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace tarnwick {
namespace {

constexpr char32_t kCapitalSigma = 0x03A3;
constexpr char32_t kCapitalIWithDot = 0x0130;

bool is_cased(char32_t cp) {
    const auto c = static_cast<utf8proc_int32_t>(cp);
    const utf8proc_category_t cat = utf8proc_category(c);
    return cat == UTF8PROC_CATEGORY_LU || cat == UTF8PROC_CATEGORY_LL ||
           cat == UTF8PROC_CATEGORY_LT || utf8proc_islower(c) != 0 || utf8proc_isupper(c) != 0;
}

bool is_case_ignorable(char32_t cp) {
    switch (cp) {
        case 0x0027:
        case 0x002E:
        case 0x003A:
        case 0x005E:
        case 0x0060:
        case 0x00A8:
        case 0x00AD:
        case 0x00AF:
        case 0x00B4:
        case 0x00B7:
        case 0x00B8:
        case 0x0387:
        case 0x05F4:
        case 0x2018:
        case 0x2019:
        case 0x2024:
        case 0x2027:
        case 0xFE13:
        case 0xFE52:
        case 0xFE55:
        case 0xFF07:
        case 0xFF0E:
        case 0xFF1A:
            return true;
        default:
            break;
    }
    const utf8proc_category_t cat = utf8proc_category(static_cast<utf8proc_int32_t>(cp));
    return cat == UTF8PROC_CATEGORY_MN || cat == UTF8PROC_CATEGORY_ME ||
           cat == UTF8PROC_CATEGORY_CF || cat == UTF8PROC_CATEGORY_LM ||
           cat == UTF8PROC_CATEGORY_SK;
}

// Final_Sigma: a cased letter before (case-ignorables skipped) and none after.
bool is_final_sigma(const std::vector<char32_t>& cps, std::size_t at) {
    bool cased_before = false;
    for (std::size_t i = at; i-- > 0;) {
        if (is_case_ignorable(cps[i])) continue;
        cased_before = is_cased(cps[i]);
        break;
    }
    if (!cased_before) return false;
    for (std::size_t i = at + 1; i < cps.size(); ++i) {
        if (is_case_ignorable(cps[i])) continue;
        return !is_cased(cps[i]);
    }
    return true;
}

// Code points whose upper case is more than one code point (the
// unconditional mappings of Unicode's SpecialCasing.txt), sorted.
struct MultiUpper {
    char32_t cp;
    const char* upper;  // UTF-8
};
constexpr MultiUpper kMultiUpper[] = {
    {0x00DF, "\x53\x53"},
    {0x0149, "\xCA\xBC\x4E"},
    {0x01F0, "\x4A\xCC\x8C"},
    {0x0390, "\xCE\x99\xCC\x88\xCC\x81"},
    {0x03B0, "\xCE\xA5\xCC\x88\xCC\x81"},
    {0x0587, "\xD4\xB5\xD5\x92"},
    {0x1E96, "\x48\xCC\xB1"},
    {0x1E97, "\x54\xCC\x88"},
    {0x1E98, "\x57\xCC\x8A"},
    {0x1E99, "\x59\xCC\x8A"},
    {0x1E9A, "\x41\xCA\xBE"},
    {0x1F50, "\xCE\xA5\xCC\x93"},
    {0x1F52, "\xCE\xA5\xCC\x93\xCC\x80"},
    {0x1F54, "\xCE\xA5\xCC\x93\xCC\x81"},
    {0x1F56, "\xCE\xA5\xCC\x93\xCD\x82"},
    {0x1F80, "\xE1\xBC\x88\xCE\x99"},
    {0x1F81, "\xE1\xBC\x89\xCE\x99"},
    {0x1F82, "\xE1\xBC\x8A\xCE\x99"},
    {0x1F83, "\xE1\xBC\x8B\xCE\x99"},
    {0x1F84, "\xE1\xBC\x8C\xCE\x99"},
    {0x1F85, "\xE1\xBC\x8D\xCE\x99"},
    {0x1F86, "\xE1\xBC\x8E\xCE\x99"},
    {0x1F87, "\xE1\xBC\x8F\xCE\x99"},
    {0x1F88, "\xE1\xBC\x88\xCE\x99"},
    {0x1F89, "\xE1\xBC\x89\xCE\x99"},
    {0x1F8A, "\xE1\xBC\x8A\xCE\x99"},
    {0x1F8B, "\xE1\xBC\x8B\xCE\x99"},
    {0x1F8C, "\xE1\xBC\x8C\xCE\x99"},
    {0x1F8D, "\xE1\xBC\x8D\xCE\x99"},
    {0x1F8E, "\xE1\xBC\x8E\xCE\x99"},
    {0x1F8F, "\xE1\xBC\x8F\xCE\x99"},
    {0x1F90, "\xE1\xBC\xA8\xCE\x99"},
    {0x1F91, "\xE1\xBC\xA9\xCE\x99"},
    {0x1F92, "\xE1\xBC\xAA\xCE\x99"},
    {0x1F93, "\xE1\xBC\xAB\xCE\x99"},
    {0x1F94, "\xE1\xBC\xAC\xCE\x99"},
    {0x1F95, "\xE1\xBC\xAD\xCE\x99"},
    {0x1F96, "\xE1\xBC\xAE\xCE\x99"},
    {0x1F97, "\xE1\xBC\xAF\xCE\x99"},
    {0x1F98, "\xE1\xBC\xA8\xCE\x99"},
    {0x1F99, "\xE1\xBC\xA9\xCE\x99"},
    {0x1F9A, "\xE1\xBC\xAA\xCE\x99"},
    {0x1F9B, "\xE1\xBC\xAB\xCE\x99"},
    {0x1F9C, "\xE1\xBC\xAC\xCE\x99"},
    {0x1F9D, "\xE1\xBC\xAD\xCE\x99"},
    {0x1F9E, "\xE1\xBC\xAE\xCE\x99"},
    {0x1F9F, "\xE1\xBC\xAF\xCE\x99"},
    {0x1FA0, "\xE1\xBD\xA8\xCE\x99"},
    {0x1FA1, "\xE1\xBD\xA9\xCE\x99"},
    {0x1FA2, "\xE1\xBD\xAA\xCE\x99"},
    {0x1FA3, "\xE1\xBD\xAB\xCE\x99"},
    {0x1FA4, "\xE1\xBD\xAC\xCE\x99"},
    {0x1FA5, "\xE1\xBD\xAD\xCE\x99"},
    {0x1FA6, "\xE1\xBD\xAE\xCE\x99"},
    {0x1FA7, "\xE1\xBD\xAF\xCE\x99"},
    {0x1FA8, "\xE1\xBD\xA8\xCE\x99"},
    {0x1FA9, "\xE1\xBD\xA9\xCE\x99"},
    {0x1FAA, "\xE1\xBD\xAA\xCE\x99"},
    {0x1FAB, "\xE1\xBD\xAB\xCE\x99"},
    {0x1FAC, "\xE1\xBD\xAC\xCE\x99"},
    {0x1FAD, "\xE1\xBD\xAD\xCE\x99"},
    {0x1FAE, "\xE1\xBD\xAE\xCE\x99"},
    {0x1FAF, "\xE1\xBD\xAF\xCE\x99"},
    {0x1FB2, "\xE1\xBE\xBA\xCE\x99"},
    {0x1FB3, "\xCE\x91\xCE\x99"},
    {0x1FB4, "\xCE\x86\xCE\x99"},
    {0x1FB6, "\xCE\x91\xCD\x82"},
    {0x1FB7, "\xCE\x91\xCD\x82\xCE\x99"},
    {0x1FBC, "\xCE\x91\xCE\x99"},
    {0x1FC2, "\xE1\xBF\x8A\xCE\x99"},
    {0x1FC3, "\xCE\x97\xCE\x99"},
    {0x1FC4, "\xCE\x89\xCE\x99"},
    {0x1FC6, "\xCE\x97\xCD\x82"},
    {0x1FC7, "\xCE\x97\xCD\x82\xCE\x99"},
    {0x1FCC, "\xCE\x97\xCE\x99"},
    {0x1FD2, "\xCE\x99\xCC\x88\xCC\x80"},
    {0x1FD3, "\xCE\x99\xCC\x88\xCC\x81"},
    {0x1FD6, "\xCE\x99\xCD\x82"},
    {0x1FD7, "\xCE\x99\xCC\x88\xCD\x82"},
    {0x1FE2, "\xCE\xA5\xCC\x88\xCC\x80"},
    {0x1FE3, "\xCE\xA5\xCC\x88\xCC\x81"},
    {0x1FE4, "\xCE\xA1\xCC\x93"},
    {0x1FE6, "\xCE\xA5\xCD\x82"},
    {0x1FE7, "\xCE\xA5\xCC\x88\xCD\x82"},
    {0x1FF2, "\xE1\xBF\xBA\xCE\x99"},
    {0x1FF3, "\xCE\xA9\xCE\x99"},
    {0x1FF4, "\xCE\x8F\xCE\x99"},
    {0x1FF6, "\xCE\xA9\xCD\x82"},
    {0x1FF7, "\xCE\xA9\xCD\x82\xCE\x99"},
    {0x1FFC, "\xCE\xA9\xCE\x99"},
    {0xFB00, "\x46\x46"},
    {0xFB01, "\x46\x49"},
    {0xFB02, "\x46\x4C"},
    {0xFB03, "\x46\x46\x49"},
    {0xFB04, "\x46\x46\x4C"},
    {0xFB05, "\x53\x54"},
    {0xFB06, "\x53\x54"},
    {0xFB13, "\xD5\x84\xD5\x86"},
    {0xFB14, "\xD5\x84\xD4\xB5"},
    {0xFB15, "\xD5\x84\xD4\xBB"},
    {0xFB16, "\xD5\x8E\xD5\x86"},
    {0xFB17, "\xD5\x84\xD4\xBD"},
};

}  // namespace

std::string lowercase_full(std::string_view text) {
    // Decode first (invalid bytes kept as themselves, marked by an impossible
    // code point) so the sigma rule can look both ways.
    constexpr char32_t kRawByteBase = 0x80000000;
    std::vector<char32_t> cps;
    cps.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (const auto cp = next_code_point(text, pos)) {
            cps.push_back(*cp);
        } else {
            cps.push_back(kRawByteBase | static_cast<unsigned char>(text[pos]));
            ++pos;
        }
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < cps.size(); ++i) {
        const char32_t cp = cps[i];
        if (cp & kRawByteBase) {
            out.push_back(static_cast<char>(cp & 0xFF));
        } else if (cp == kCapitalIWithDot) {
            out.append("i\xCC\x87");  // i + combining dot above
        } else if (cp == kCapitalSigma) {
            append_utf8(out, is_final_sigma(cps, i) ? 0x03C2 : 0x03C3);
        } else {
            append_utf8(out,
                        static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(cp))));
        }
    }
    return out;
}

std::string uppercase_full(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto cp = next_code_point(text, pos);
        if (!cp) {
            out.push_back(text[pos++]);  // invalid bytes are kept as they are
            continue;
        }
        const auto* special = std::lower_bound(
            std::begin(kMultiUpper), std::end(kMultiUpper), *cp,
            [](const MultiUpper& entry, char32_t value) { return entry.cp < value; });
        if (special != std::end(kMultiUpper) && special->cp == *cp) {
            out.append(special->upper);
        } else {
            append_utf8(
                out, static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(*cp))));
        }
    }
    return out;
}

}  // namespace tarnwick
