// Where a dialog is centred: on its owner or the work area, kept inside it.

#include "ui/Centering.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CentringRow {
    const char* what;
    ui::Rect reference;
    ui::Rect area;
    ui::Position expected;
};

TEST(CentredPosition, OnTheReferenceAndInsideTheWorkArea)
{
    const ui::Rect window{500, 500, 600, 550}; // 100 x 50; its place does not count
    const ui::Rect screen{0, 0, 1024, 768};
    const std::vector<CentringRow> rows = {
        {"work area", screen, screen, {462, 359}},
        {"odd sums round down", {100, 100, 301, 201}, screen, {150, 125}},
        {"negative sums round toward zero", {-301, -201, -100, -100}, {-400, -300, 0, 0}, {-250, -175}},
        {"before the left and top edges", {0, 0, 40, 40}, screen, {0, 0}},
        {"past the right and bottom edges", {1000, 740, 1024, 768}, screen, {924, 718}},
        {"work area below a top task bar", {0, 0, 100, 40}, {0, 30, 1024, 768}, {0, 30}},
        {"larger than the area: its start wins", {0, 0, 80, 40}, {0, 0, 80, 40}, {0, 0}},
        {"larger than the area, owner far right", {60, 0, 80, 40}, {0, 0, 80, 40}, {-20, 0}},
    };
    for (const CentringRow& row : rows) {
        const ui::Position at = ui::centredPosition(window, row.reference, row.area);
        EXPECT_EQ(at.x, row.expected.x) << row.what;
        EXPECT_EQ(at.y, row.expected.y) << row.what;
    }
}

} // namespace
