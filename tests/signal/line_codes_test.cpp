// SPDX-License-Identifier: MIT
#include "signal/line_codes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <vector>

namespace corvane {
namespace {

struct ParityCase {
    int value;
    int expected;
};

class MakeParityTest : public testing::TestWithParam<ParityCase> {};

TEST_P(MakeParityTest, MatchesFrameCharacters)
{
    EXPECT_EQ(MakeParity(GetParam().value), GetParam().expected);
}

// The control characters, digits and reason letters as they appear on the line.
INSTANTIATE_TEST_SUITE_P(Characters, MakeParityTest,
                         testing::Values(ParityCase{0x10, 0x90}, ParityCase{0x01, 0x81}, ParityCase{0x07, 0x87},
                                         ParityCase{0x02, 0x82}, ParityCase{0x40, 0xC0}, ParityCase{0x03, 0x03},
                                         ParityCase{0x04, 0x84}, ParityCase{'0', 0x30}, ParityCase{'1', 0xB1},
                                         ParityCase{'P', 0x50}, ParityCase{'O', 0xCF}, ParityCase{'C', 0xC3},
                                         ParityCase{'S', 0x53},
                                         // bit 7 already set is never cleared
                                         ParityCase{0x80, 0x80}, ParityCase{0x81, 0x81},
                                         // only the low 8 bits count
                                         ParityCase{0x110, 0x90}, ParityCase{-1, 0xFF}));

TEST(MakeParity, EverySevenBitCharacterGetsEvenParityAndKeepsItsBits)
{
    for (int ch = 0; ch < 0x80; ++ch) {
        const int sent = MakeParity(ch);
        EXPECT_EQ(std::popcount(static_cast<unsigned>(sent)) % 2, 0) << ch;
        EXPECT_EQ(sent & 0x7F, ch);
    }
}

TEST(ReverseBits, ReversesTheLowBits)
{
    EXPECT_EQ(ReverseBits(0x01, 8), 0x80);
    EXPECT_EQ(ReverseBits(0x0001, 16), 0x8000);
    EXPECT_EQ(ReverseBits(0x1021, 16), 0x8408);  // the generator, reflected
    EXPECT_EQ(ReverseBits(0xFF01, 8), 0x80);     // bits above count are ignored
    EXPECT_EQ(ReverseBits(0xABCD, 0), 0x0000);
    for (unsigned v = 0; v < 0x10000; v += 97)
        EXPECT_EQ(ReverseBits(ReverseBits(static_cast<std::uint16_t>(v), 16), 16), v);
}

TEST(CalcCrc16, CatalogueCheckValues)
{
    // CRC-16/KERMIT in the Catalogue of parametrised CRC algorithms: check over "123456789".
    const char* const check = "123456789";
    EXPECT_EQ(CalcCrc16(reinterpret_cast<const std::uint8_t*>(check), 9), 0x2189);
    EXPECT_EQ(CalcCrc16(nullptr, 0), 0x0000);
}

TEST(CalcCrc16, EverySingleBitFlipIsDetected)
{
    // The checked part of the frame for the caller number "0312345678".
    std::uint8_t data[] = {0x87, 0x90, 0x82, 0xC0, 0x0C, 0x82, 0x0A, 0x30, 0x33, 0xB1,
                           0xB2, 0x33, 0xB4, 0x35, 0x36, 0xB7, 0xB8, 0x90, 0x03};
    const std::uint16_t good = CalcCrc16(data, sizeof data);
    ASSERT_EQ(good, 0x52FB);
    for (std::size_t bit = 0; bit < 8 * sizeof data; ++bit) {
        data[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        EXPECT_NE(CalcCrc16(data, sizeof data), good) << "bit " << bit;
        data[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    }
}

// The check as the frame's definition states it: each byte reversed into the top of the
// register, shifted out most significant bit first, the register reversed at the end.
std::uint16_t BitwiseCrc16(const std::uint8_t* pData, std::size_t length)
{
    unsigned crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= static_cast<unsigned>(ReverseBits(pData[i], 8)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = ((crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1) & 0xFFFFu;
    }
    return ReverseBits(static_cast<std::uint16_t>(crc), 16);
}

TEST(CalcCrc16, AgreesWithTheBitwiseFormOnEveryPairOfBytes)
{
    for (unsigned first = 0; first < 256; ++first) {
        const std::uint8_t single[] = {static_cast<std::uint8_t>(first)};
        ASSERT_EQ(CalcCrc16(single, 1), BitwiseCrc16(single, 1)) << "byte " << first;
        for (unsigned second = 0; second < 256; ++second) {
            const std::uint8_t pair[] = {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)};
            ASSERT_EQ(CalcCrc16(pair, 2), BitwiseCrc16(pair, 2)) << "bytes " << first << " " << second;
        }
    }
}

TEST(CalcCrc16, AgreesWithTheBitwiseFormAtEveryLengthAndAlignment)
{
    // Lengths around every multiple of the four bytes taken a step, from every start in a block.
    std::mt19937 random(20261209);
    std::vector<std::uint8_t> block(300);
    for (std::uint8_t& byte : block)
        byte = static_cast<std::uint8_t>(random());
    for (std::size_t start = 0; start < 4; ++start) {
        for (std::size_t length = 0; length + start <= block.size(); ++length)
            ASSERT_EQ(CalcCrc16(&block[start], static_cast<std::uint16_t>(length)), BitwiseCrc16(&block[start], length))
                << "start " << start << " length " << length;
    }
}

}  // namespace
}  // namespace corvane
