#pragma once
// Reading a drawn buffer back in tests: one string per row of symbols.

#include <string>
#include <vector>

#include "tui/kit/buffer.h"

namespace tarnwick::test {

inline std::vector<std::string> buffer_rows(const tui::Buffer& buf) {
    std::vector<std::string> rows;
    const tui::Rect area = buf.area();
    for (std::uint16_t y = area.top(); y < area.bottom(); ++y) {
        std::string row;
        for (std::uint16_t x = area.left(); x < area.right(); ++x) row += buf.cell(x, y)->symbol;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace tarnwick::test
