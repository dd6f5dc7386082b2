#include "demo/NumberFormat.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <locale>

namespace
{
TEST(NumberFormat, DefaultStreamFormatting)
{
    NumberFormatter formatNumber;
    EXPECT_EQ(formatNumber(1.5), "1.5");
    EXPECT_EQ(formatNumber(2.0), "2");
    EXPECT_EQ(formatNumber(0.25), "0.25");
    EXPECT_EQ(formatNumber(1.0 / 3.0), "0.333333"); // six significant digits
    EXPECT_EQ(formatNumber(1234567.0), "1.23457e+06");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatNumber(33), "33");
    EXPECT_EQ(formatNumber(0), "0");
}

TEST(NumberFormat, EachValueStartsClean)
{
    NumberFormatter formatNumber;
    EXPECT_EQ(formatNumber(15), "15");
    EXPECT_EQ(formatNumber(22), "22");
    EXPECT_EQ(formatNumber(0.5), "0.5");
    // Non-finite values leave the stream usable for the next one.
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatNumber(1.88), "1.88");
}
// A German or Russian LC_NUMERIC writes "1,81" and groups thousands; the
// readouts must not follow it, whichever language the texts are in.
struct CommaDecimals : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(NumberFormat, DecimalPointUnderAnyGlobalLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    NumberFormatter formatNumber;
    const sf::String ratio = formatNumber(1.81), count = formatNumber(1234);
    std::locale::global(previous);
    EXPECT_EQ(ratio, "1.81");
    EXPECT_EQ(count, "1234");
}
} // namespace
