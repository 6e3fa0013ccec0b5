#pragma once
// Runs a test with the Shift-JIS (code page 932) lead-byte table installed, as
// a Japanese system would have it, and restores the empty table afterwards.

#include "platform/AnsiText.h"

#include <gtest/gtest.h>

class ShiftJisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const unsigned char ranges[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
        platform::setLeadBytes(platform::LeadBytes::fromRanges(ranges));
    }
    void TearDown() override { platform::setLeadBytes(platform::LeadBytes{}); }
};
