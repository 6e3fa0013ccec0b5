// Whether the launcher may show a dialog, from its window station's flags.

#include "ui/InteractiveStation.h"

#include <gtest/gtest.h>

namespace {

TEST(InteractiveStation, OnlyAVisibleStationShowsDialogs)
{
    struct Row {
        std::optional<unsigned long> flags;
        bool interactive;
    } rows[] = {
        {0x0001, true},   // the user's WinSta0
        {0x0000, false},  // a service's station
        {0x0002, false},  // other bits do not make it visible
        {0x8003, true},
        {std::nullopt, true}, // unreadable: where desktop programs run
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ui::isInteractiveStation(row.flags), row.interactive) << (row.flags ? *row.flags : -1ul);
    }
}

} // namespace
