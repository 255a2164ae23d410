// The register formats against vectors that Python's struct module computed (pack the value
// big-endian, then lay its bytes out in each word order), both ways: registers to text and
// typed text to registers; the 16-bit texts, the names, and texts that are not values.
#include "RegisterFormat.h"

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

struct Vector {
    TRegisterFormat Format;
    TWordOrder Order;
    const char* Typed;
    const char* Shown;
    Corvane::TRegValues Registers;
};

// python3: struct.pack('>' + code, value), words high byte first, CDAB/DCBA reverse the
// words, BADC/DCBA swap each word's bytes; floats shown as the shortest text that reads back.
const Vector kVectors[] = {
    {rfUnsigned, woABCD, "0", "0", {0x0000}},
    {rfUnsigned, woCDAB, "0", "0", {0x0000}},
    {rfUnsigned, woBADC, "0", "0", {0x0000}},
    {rfUnsigned, woDCBA, "0", "0", {0x0000}},
    {rfUnsigned, woABCD, "42", "42", {0x002A}},
    {rfUnsigned, woCDAB, "42", "42", {0x002A}},
    {rfUnsigned, woBADC, "42", "42", {0x2A00}},
    {rfUnsigned, woDCBA, "42", "42", {0x2A00}},
    {rfUnsigned, woABCD, "65535", "65535", {0xFFFF}},
    {rfUnsigned, woCDAB, "65535", "65535", {0xFFFF}},
    {rfUnsigned, woBADC, "65535", "65535", {0xFFFF}},
    {rfUnsigned, woDCBA, "65535", "65535", {0xFFFF}},
    {rfSigned, woABCD, "-32768", "-32768", {0x8000}},
    {rfSigned, woCDAB, "-32768", "-32768", {0x8000}},
    {rfSigned, woBADC, "-32768", "-32768", {0x0080}},
    {rfSigned, woDCBA, "-32768", "-32768", {0x0080}},
    {rfSigned, woABCD, "-1", "-1", {0xFFFF}},
    {rfSigned, woCDAB, "-1", "-1", {0xFFFF}},
    {rfSigned, woBADC, "-1", "-1", {0xFFFF}},
    {rfSigned, woDCBA, "-1", "-1", {0xFFFF}},
    {rfSigned, woABCD, "0", "0", {0x0000}},
    {rfSigned, woCDAB, "0", "0", {0x0000}},
    {rfSigned, woBADC, "0", "0", {0x0000}},
    {rfSigned, woDCBA, "0", "0", {0x0000}},
    {rfSigned, woABCD, "32767", "32767", {0x7FFF}},
    {rfSigned, woCDAB, "32767", "32767", {0x7FFF}},
    {rfSigned, woBADC, "32767", "32767", {0xFF7F}},
    {rfSigned, woDCBA, "32767", "32767", {0xFF7F}},
    {rfUnsigned32, woABCD, "0", "0", {0x0000, 0x0000}},
    {rfUnsigned32, woCDAB, "0", "0", {0x0000, 0x0000}},
    {rfUnsigned32, woBADC, "0", "0", {0x0000, 0x0000}},
    {rfUnsigned32, woDCBA, "0", "0", {0x0000, 0x0000}},
    {rfUnsigned32, woABCD, "1", "1", {0x0000, 0x0001}},
    {rfUnsigned32, woCDAB, "1", "1", {0x0001, 0x0000}},
    {rfUnsigned32, woBADC, "1", "1", {0x0000, 0x0100}},
    {rfUnsigned32, woDCBA, "1", "1", {0x0100, 0x0000}},
    {rfUnsigned32, woABCD, "70000", "70000", {0x0001, 0x1170}},
    {rfUnsigned32, woCDAB, "70000", "70000", {0x1170, 0x0001}},
    {rfUnsigned32, woBADC, "70000", "70000", {0x0100, 0x7011}},
    {rfUnsigned32, woDCBA, "70000", "70000", {0x7011, 0x0100}},
    {rfUnsigned32, woABCD, "4294967295", "4294967295", {0xFFFF, 0xFFFF}},
    {rfUnsigned32, woCDAB, "4294967295", "4294967295", {0xFFFF, 0xFFFF}},
    {rfUnsigned32, woBADC, "4294967295", "4294967295", {0xFFFF, 0xFFFF}},
    {rfUnsigned32, woDCBA, "4294967295", "4294967295", {0xFFFF, 0xFFFF}},
    {rfSigned32, woABCD, "-2147483648", "-2147483648", {0x8000, 0x0000}},
    {rfSigned32, woCDAB, "-2147483648", "-2147483648", {0x0000, 0x8000}},
    {rfSigned32, woBADC, "-2147483648", "-2147483648", {0x0080, 0x0000}},
    {rfSigned32, woDCBA, "-2147483648", "-2147483648", {0x0000, 0x0080}},
    {rfSigned32, woABCD, "-123456789", "-123456789", {0xF8A4, 0x32EB}},
    {rfSigned32, woCDAB, "-123456789", "-123456789", {0x32EB, 0xF8A4}},
    {rfSigned32, woBADC, "-123456789", "-123456789", {0xA4F8, 0xEB32}},
    {rfSigned32, woDCBA, "-123456789", "-123456789", {0xEB32, 0xA4F8}},
    {rfSigned32, woABCD, "2147483647", "2147483647", {0x7FFF, 0xFFFF}},
    {rfSigned32, woCDAB, "2147483647", "2147483647", {0xFFFF, 0x7FFF}},
    {rfSigned32, woBADC, "2147483647", "2147483647", {0xFF7F, 0xFFFF}},
    {rfSigned32, woDCBA, "2147483647", "2147483647", {0xFFFF, 0xFF7F}},
    {rfFloat32, woABCD, "1.5", "1.5", {0x3FC0, 0x0000}},
    {rfFloat32, woCDAB, "1.5", "1.5", {0x0000, 0x3FC0}},
    {rfFloat32, woBADC, "1.5", "1.5", {0xC03F, 0x0000}},
    {rfFloat32, woDCBA, "1.5", "1.5", {0x0000, 0xC03F}},
    {rfFloat32, woABCD, "-0.1", "-0.1", {0xBDCC, 0xCCCD}},
    {rfFloat32, woCDAB, "-0.1", "-0.1", {0xCCCD, 0xBDCC}},
    {rfFloat32, woBADC, "-0.1", "-0.1", {0xCCBD, 0xCDCC}},
    {rfFloat32, woDCBA, "-0.1", "-0.1", {0xCDCC, 0xCCBD}},
    {rfFloat32, woABCD, "3.4028234663852886e+38", "3.4028235e+38", {0x7F7F, 0xFFFF}},
    {rfFloat32, woCDAB, "3.4028234663852886e+38", "3.4028235e+38", {0xFFFF, 0x7F7F}},
    {rfFloat32, woBADC, "3.4028234663852886e+38", "3.4028235e+38", {0x7F7F, 0xFFFF}},
    {rfFloat32, woDCBA, "3.4028234663852886e+38", "3.4028235e+38", {0xFFFF, 0x7F7F}},
    {rfFloat32, woABCD, "1e-45", "1e-45", {0x0000, 0x0001}},
    {rfFloat32, woCDAB, "1e-45", "1e-45", {0x0001, 0x0000}},
    {rfFloat32, woBADC, "1e-45", "1e-45", {0x0000, 0x0100}},
    {rfFloat32, woDCBA, "1e-45", "1e-45", {0x0100, 0x0000}},
    {rfFloat32, woABCD, "16777216.0", "16777216", {0x4B80, 0x0000}},
    {rfFloat32, woCDAB, "16777216.0", "16777216", {0x0000, 0x4B80}},
    {rfFloat32, woBADC, "16777216.0", "16777216", {0x804B, 0x0000}},
    {rfFloat32, woDCBA, "16777216.0", "16777216", {0x0000, 0x804B}},
    {rfFloat64, woABCD, "1.5", "1.5", {0x3FF8, 0x0000, 0x0000, 0x0000}},
    {rfFloat64, woCDAB, "1.5", "1.5", {0x0000, 0x0000, 0x0000, 0x3FF8}},
    {rfFloat64, woBADC, "1.5", "1.5", {0xF83F, 0x0000, 0x0000, 0x0000}},
    {rfFloat64, woDCBA, "1.5", "1.5", {0x0000, 0x0000, 0x0000, 0xF83F}},
    {rfFloat64, woABCD, "-0.1", "-0.1", {0xBFB9, 0x9999, 0x9999, 0x999A}},
    {rfFloat64, woCDAB, "-0.1", "-0.1", {0x999A, 0x9999, 0x9999, 0xBFB9}},
    {rfFloat64, woBADC, "-0.1", "-0.1", {0xB9BF, 0x9999, 0x9999, 0x9A99}},
    {rfFloat64, woDCBA, "-0.1", "-0.1", {0x9A99, 0x9999, 0x9999, 0xB9BF}},
    {rfFloat64, woABCD, "2.718281828459045", "2.718281828459045", {0x4005, 0xBF0A, 0x8B14, 0x5769}},
    {rfFloat64, woCDAB, "2.718281828459045", "2.718281828459045", {0x5769, 0x8B14, 0xBF0A, 0x4005}},
    {rfFloat64, woBADC, "2.718281828459045", "2.718281828459045", {0x0540, 0x0ABF, 0x148B, 0x6957}},
    {rfFloat64, woDCBA, "2.718281828459045", "2.718281828459045", {0x6957, 0x148B, 0x0ABF, 0x0540}},
    {rfFloat64,
     woABCD,
     "1.7976931348623157e+308",
     "1.7976931348623157e+308",
     {0x7FEF, 0xFFFF, 0xFFFF, 0xFFFF}},
    {rfFloat64,
     woCDAB,
     "1.7976931348623157e+308",
     "1.7976931348623157e+308",
     {0xFFFF, 0xFFFF, 0xFFFF, 0x7FEF}},
    {rfFloat64,
     woBADC,
     "1.7976931348623157e+308",
     "1.7976931348623157e+308",
     {0xEF7F, 0xFFFF, 0xFFFF, 0xFFFF}},
    {rfFloat64,
     woDCBA,
     "1.7976931348623157e+308",
     "1.7976931348623157e+308",
     {0xFFFF, 0xFFFF, 0xFFFF, 0xEF7F}},
    {rfFloat64, woABCD, "5e-324", "5e-324", {0x0000, 0x0000, 0x0000, 0x0001}},
    {rfFloat64, woCDAB, "5e-324", "5e-324", {0x0001, 0x0000, 0x0000, 0x0000}},
    {rfFloat64, woBADC, "5e-324", "5e-324", {0x0000, 0x0000, 0x0000, 0x0100}},
    {rfFloat64, woDCBA, "5e-324", "5e-324", {0x0100, 0x0000, 0x0000, 0x0000}},
};

} // namespace

TEST(RegisterFormat, EveryFormatAndWordOrderMatchesTheIndependentVectors) {
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(FormatName(v.Format) + " " + WordOrderName(v.Order) + " " + v.Typed);
        ASSERT_EQ(v.Registers.size(), RegistersPerValue(v.Format));
        EXPECT_EQ(FormatValue(v.Format, v.Order, v.Registers.data()), v.Shown);
        const TParsedValue parsed = ParseValue(v.Format, v.Order, v.Typed);
        ASSERT_TRUE(parsed.Registers.has_value()) << parsed.Error;
        EXPECT_EQ(*parsed.Registers, v.Registers);
        const TParsedValue again = ParseValue(v.Format, v.Order, v.Shown);
        ASSERT_TRUE(again.Registers.has_value()) << "the shown text reads back";
        EXPECT_EQ(*again.Registers, v.Registers);
    }
}

TEST(RegisterFormat, SixteenBitTextsAndTheDefault) {
    const Corvane::TRegValues r = {0x1234, 0xFFFF, 0x0000};
    EXPECT_EQ(FormatValues(rfUnsigned, woABCD, r),
              (std::vector<std::string>{"4660", "65535", "0"}));
    EXPECT_EQ(FormatValues(rfSigned, woABCD, r), (std::vector<std::string>{"4660", "-1", "0"}));
    EXPECT_EQ(FormatValues(rfHex, woABCD, r),
              (std::vector<std::string>{"0x1234", "0xFFFF", "0x0000"}));
    EXPECT_EQ(FormatValues(rfHex, woBADC, r),
              (std::vector<std::string>{"0x3412", "0xFFFF", "0x0000"}));
    EXPECT_EQ(FormatValues(rfHex, woCDAB, r), FormatValues(rfHex, woABCD, r));
    EXPECT_EQ(FormatValues(rfBinary, woABCD, {0x8001})[0], "1000000000000001");
    EXPECT_EQ(*ParseValue(rfHex, woABCD, "0x1a").Registers, Corvane::TRegValues{0x001A});
    EXPECT_EQ(*ParseValue(rfHex, woDCBA, "1234").Registers, Corvane::TRegValues{0x3412});
    EXPECT_EQ(*ParseValue(rfBinary, woABCD, " 101 ").Registers, Corvane::TRegValues{5});
    EXPECT_EQ(*ParseValue(rfSigned, woABCD, "+12").Registers, Corvane::TRegValues{12});
}

TEST(RegisterFormat, WholeValuesOnlyAndTheRestIsLeftOut) {
    EXPECT_EQ(FormatValues(rfFloat32, woABCD, {0x3FC0, 0x0000, 0x4000}),
              (std::vector<std::string>{"1.5"}));
    EXPECT_TRUE(FormatValues(rfFloat64, woABCD, {1, 2, 3}).empty());
    EXPECT_EQ(FormatValue(rfFloat32, woABCD, Corvane::TRegValues{0x7FC0, 0}.data()), "nan");
    EXPECT_EQ(FormatValue(rfFloat32, woABCD, Corvane::TRegValues{0xFF80, 0}.data()), "-inf");
}

TEST(RegisterFormat, TextsThatAreNotValuesAreRefusedWithAReason) {
    const struct {
        TRegisterFormat Format;
        const char* Text;
    } refused[] = {
        {rfUnsigned, "65536"},
        {rfUnsigned, "-1"},
        {rfUnsigned, "12abc"},
        {rfUnsigned, ""},
        {rfUnsigned, "+-1"},
        {rfSigned, "32768"},
        {rfSigned, "-32769"},
        {rfHex, "0x12345"},
        {rfHex, "0x"},
        {rfHex, "-1"},
        {rfHex, "G1"},
        {rfBinary, "102"},
        {rfBinary, "11111111111111111"},
        {rfUnsigned32, "4294967296"},
        {rfSigned32, "2147483648"},
        {rfFloat32, "1e39"},
        {rfFloat32, "nan"},
        {rfFloat64, "inf"},
        {rfFloat64, "1.5.2"},
        {rfFloat64, "1,5"},
        {rfFloat64, "1e400"},
    };
    for (const auto& r : refused) {
        const TParsedValue parsed = ParseValue(r.Format, woABCD, r.Text);
        EXPECT_FALSE(parsed.Registers.has_value()) << FormatName(r.Format) << " " << r.Text;
        EXPECT_EQ(parsed.Error.rfind("'" + std::string(r.Text) + "' is not ", 0), 0u)
            << parsed.Error;
    }
}

TEST(RegisterFormat, NamesReadBack) {
    for (const TRegisterFormat f : kRegisterFormats) {
        EXPECT_EQ(FormatFromName(FormatName(f)), f);
    }
    for (const TWordOrder o : kWordOrders) {
        EXPECT_EQ(WordOrderFromName(WordOrderName(o)), o);
    }
    EXPECT_EQ(WordOrderFromName("cdab"), woCDAB);
    EXPECT_FALSE(WordOrderFromName("ABDC").has_value());
    EXPECT_FALSE(FormatFromName("float").has_value());
}
