#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "platform/system/convert.h"

namespace kavrin {
namespace {

struct IntCase {
    const char* text;
    std::optional<int> cint, clng, cbyte;
};

TEST(ConvertTest, IntegerConversionsRoundHalfToEvenAndSayWhenTheyFail) {
    const std::optional<int> no;
    const IntCase cases[] = {
        {"2.5", 2, 2, 2},
        {"3.5", 4, 4, 4},
        {"-2.5", -2, -2, no},
        {"0.5", 0, 0, 0},
        {"1.5000001", 2, 2, 2},
        {"  42  ", 42, 42, 42},
        {"+7", 7, 7, 7},
        {"1e3", 1000, 1000, no},
        {".5", 0, 0, 0},
        {"5.", 5, 5, 5},
        {"&HFF", 255, 255, 255},
        {"&hff", 255, 255, 255},
        {"&HFFFF", -1, -1, no},  // four hex digits are a 16-bit pattern
        {"&H10000", no, 65536, no},
        {"&O17", 15, 15, 15},
        {"70000", no, 70000, no},
        {"32767", 32767, 32767, no},
        {"32767.5", no, 32768, no},  // rounds past the top
        {"-32768", -32768, -32768, no},
        {"-32768.5", -32768, -32768, no},
        {"2147483648", no, no, no},
        {"-2147483648", no, -2147483647 - 1, no},
        {"255", 255, 255, 255},
        {"255.5", 256, 256, no},
        {"256", 256, 256, no},
        {"-1", -1, -1, no},
        {"abc", no, no, no},
        {"12abc", no, no, no},
        {"", no, no, no},
        {"   ", no, no, no},
        {"-", no, no, no},
        {"1 2", no, no, no},
        {"1e999", no, no, no},
        {"&H", no, no, no},
        {"&HG", no, no, no},
        {"True", no, no, no},
    };
    for (const IntCase& c : cases) {
        EXPECT_EQ(cint(c.text), c.cint) << "cint " << c.text;
        EXPECT_EQ(clng(c.text), c.clng) << "clng " << c.text;
        EXPECT_EQ(cbyte(c.text), c.cbyte) << "cbyte " << c.text;
    }
}

TEST(ConvertTest, BooleansAcceptTheWordsInAnyCaseAndNumbers) {
    const std::optional<bool> no;
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"True", true},  {"true", true},   {"FALSE", false}, {" False ", false}, {"0", false},
        {"-1", true},    {"1", true},      {"0.0", false},   {"2.5", true},      {"&H0", false},
        {"yes", no},     {"", no},         {"Truee", no},    {"T", no},          {"0x1", no},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(cbool(text), expected) << text;
    EXPECT_EQ(boolText(true), "True");
    EXPECT_EQ(boolText(false), "False");
    // What is written reads back.
    EXPECT_EQ(cbool(boolText(true)), true);
    EXPECT_EQ(cbool(boolText(false)), false);
}

TEST(ConvertTest, ValReadsTheNumberAtTheStart) {
    const std::pair<const char*, double> cases[] = {
        {"12abc", 12},      {" 3.5%", 3.5},   {"&HFF", 255},     {"", 0},         {"abc", 0},
        {"  -4.25 px", -4.25}, {"\t7", 7},    {"50%", 50},       {"1e2x", 100},   {"1e", 1},
        {"2E-1", 0.2},      {"1.2.3", 1.2},   {"-", 0},          {".", 0},        {".5", 0.5},
        {"&O777", 511},     {"&H7FFF", 32767}, {"&HFFFF", -1},   {"&Hzz", 0},     {"+3", 3},
        {"1D3", 1000},      {"12 34", 12},    {"1e999", 0},
    };
    for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(val(text), expected) << text;
}

TEST(ConvertTest, DoublesAndRounding) {
    EXPECT_EQ(cdbl("2.75"), 2.75);
    EXPECT_EQ(cdbl(" -1e-3 "), -0.001);
    EXPECT_EQ(cdbl("&H10"), 16.0);
    EXPECT_EQ(cdbl("2.75x"), std::nullopt);
    EXPECT_EQ(cdbl("nan"), std::nullopt);
    EXPECT_EQ(cdbl("inf"), std::nullopt);

    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(std::nan("")), 0);
    EXPECT_EQ(roundHalfEven(1e300), std::numeric_limits<long long>::max());
    EXPECT_EQ(roundHalfEven(-1e300), std::numeric_limits<long long>::min());
}

}  // namespace
}  // namespace kavrin
