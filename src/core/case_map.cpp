#include "core/case_map.h"

#include "core/text.h"

#include <utf8proc.h>

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

}  // namespace tarnwick
