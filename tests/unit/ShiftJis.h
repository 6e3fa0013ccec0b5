#pragma once
// Runs a test with the Shift-JIS (code page 932) lead-byte table installed, as
// a Japanese system would have it, and restores the empty table afterwards.

#include "text/AnsiText.h"

#include <gtest/gtest.h>

class ShiftJisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const unsigned char ranges[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
        text::setLeadBytes(text::LeadBytes::fromRanges(ranges));
    }
    void TearDown() override { text::setLeadBytes(text::LeadBytes{}); }
};
