#include <gtest/gtest.h>

#include <cstring>

#include "foundation/Cipher.h"

namespace {

// Golden values computed by tests/foundation/data/xtea_reference.py, an independent
// reference of the cipher; run it again to see them.
TEST(Cipher, BlockMatchesReference) {
  struct Case {
    uint32_t key[4];
    TXteaBlock plain, cipher;
  } cases[] = {
      {{0, 0, 0, 0}, {0, 0}, {0xE59622AA, 0x45F3616C}},
      {{0x00010203, 0x04050607, 0x08090A0B, 0x0C0D0E0F},
       {0x01234567, 0x89ABCDEF},
       {0xA04B8ECE, 0x5FC71C84}},
  };
  for (const Case& c : cases) {
    TXteaBlock block = c.plain;
    XteaEncipherBlock(block, c.key);
    EXPECT_EQ(block.L, c.cipher.L);
    EXPECT_EQ(block.R, c.cipher.R);
    XteaDecipherBlock(block, c.key);
    EXPECT_EQ(block.L, c.plain.L);
    EXPECT_EQ(block.R, c.plain.R);
  }
}

TEST(Cipher, StringsMatchReference) {
  using namespace std::string_literals;
  struct Case {
    std::string text, key, hex;
  } cases[] = {
      {"", "anykey", ""},
      {"a", "k4wz8qe1vn-7tj3hm0d", "C5"},
      {"<xml/>", "k4wz8qe1vn-7tj3hm0d", "985B00BFDA5C"},
      {"12345678", "p2xg9c0rw5ly7ke3q1nbzu", "1C093A2DEB384A88"},
      {R"(<root name="x"/>)", "58m207xjdkaufwjb31cnwz", "8905FB0A9685FFB6CE5B1E84E87736F2"},
      {R"(<options><o name="a" value="1"/></options>)", "913064vbsw8n[571k06tyc",
       "741A83C2141C79F702AE51FDB201101066F4DE0EED8F1D24C0BA8D0745BC6E2119AF83D9E7F3F63A6A91"},
      {"Hello, world!", "", "56BC58C185E544D239CE34A5A4"},
      {"\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a"s, "zt41ka[wmcuyeb07d5rxfv",
       "EB605C4910C07AA7E36956"},
  };
  for (const Case& c : cases) {
    TCipher_Xtea cipher(c.key);
    EXPECT_EQ(cipher.CodeString(c.text, kCipherEncipher, kFormatHex), c.hex) << c.text;
    EXPECT_EQ(cipher.CodeString(c.hex, kCipherDecipher, kFormatHex), c.text) << c.hex;
  }
}

std::string Sample(size_t length, int seed = 0) {
  std::string text(length, '\0');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>(i * 37 + seed * 11 + 5);
  return text;
}

TEST(Cipher, RoundTripKeepsLengthForEveryLengthUpTo40) {
  for (const std::string key :
       {"", "k", "k4wz8qe1vn-7tj3hm0d", "a key longer than sixteen bytes"}) {
    TCipher_Xtea cipher(key);
    for (size_t length = 0; length <= 40; ++length) {
      std::string text = Sample(length);
      std::string coded = XteaEncipherString(text, key);
      EXPECT_EQ(coded.size(), length);
      EXPECT_EQ(XteaDecipherString(coded, key), text) << "length " << length;
      std::string hex = cipher.CodeString(text, kCipherEncipher, kFormatHex);
      ASSERT_EQ(hex.size(), 2 * length);
      EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
      EXPECT_EQ(cipher.CodeString(hex, kCipherDecipher, kFormatHex), text);
      EXPECT_EQ(cipher.CodeString(cipher.CodeString(text, kCipherEncipher, kFormatPlain),
                                  kCipherDecipher, kFormatPlain),
                text);
    }
  }
}

TEST(Cipher, LongTextsDecipherBlockByBlock) {
  const std::string key = "k4wz8qe1vn-7tj3hm0d";
  TXteaKey words;
  XteaKeyWords(key, words);
  for (size_t length : {64u, 67u, 1000u, 4099u}) {
    std::string coded = Sample(length, 7);
    std::string expected = coded;
    for (size_t at = 0; at + 8 <= length; at += 8) {
      TXteaBlock block{};
      std::memcpy(&block.L, &coded[at], 4);
      std::memcpy(&block.R, &coded[at + 4], 4);
      XteaDecipherBlock(block, words);
      std::memcpy(&expected[at], &block.L, 4);
      std::memcpy(&expected[at + 4], &block.R, 4);
    }
    std::string text = XteaDecipherString(coded, key);
    EXPECT_EQ(text.substr(0, length / 8 * 8), expected.substr(0, length / 8 * 8)) << length;
    EXPECT_EQ(XteaEncipherString(text, key), coded) << length;
  }
}

// Which bytes of the cipher text differ after one byte of the text changed.
std::string ChangedBytes(size_t length, size_t changed) {
  const std::string key = "k4wz8qe1vn-7tj3hm0d";
  std::string text = Sample(length, 3);
  std::string before = XteaEncipherString(text, key);
  text[changed] ^= 0x40;
  std::string after = XteaEncipherString(text, key);
  std::string marks;
  for (size_t i = 0; i < length; ++i) marks += before[i] == after[i] ? '.' : 'x';
  return marks;
}

TEST(Cipher, BlocksAreIndependentAndTheTailFollowsTheLastBlock) {
  struct Case {
    size_t length, changed;
    std::string marks;  // 'x' where the cipher text changed
  } cases[] = {
      {16, 2, "xxxxxxxx........"},        // first block only
      {16, 12, "........xxxxxxxx"},       // last block, no tail
      {21, 3, "xxxxxxxx............."},   // a block before the last
      {21, 9, "........xxxxxxxxxxxxx"},   // the last block and the tail after it
      {21, 18, "..................x.."},  // a tail byte alone
      {5, 0, "x...."},                    // short texts: the key mask only
      {7, 6, "......x"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChangedBytes(c.length, c.changed), c.marks) << c.length << "/" << c.changed;
}

TEST(Cipher, OnlyTheFirstSixteenKeyBytesCountAndShortKeysArePaddedWithZero) {
  using namespace std::string_literals;
  for (size_t length : {3u, 8u, 21u}) {
    std::string text = Sample(length);
    EXPECT_EQ(XteaEncipherString(text, "0123456789abcdefIGNORED"),
              XteaEncipherString(text, "0123456789abcdef"));
    EXPECT_EQ(XteaEncipherString(text, "abc"), XteaEncipherString(text, "abc\0\0\0\0"s));
    EXPECT_NE(XteaEncipherString(text, "abc"), XteaEncipherString(text, "abd"));
  }
}

TEST(Cipher, UnknownDirectionOrFormatGivesNothing) {
  TCipher_Xtea cipher("key");
  EXPECT_EQ(cipher.CodeString("some text", 2, kFormatHex), "");
  EXPECT_EQ(cipher.CodeString("some text", kCipherEncipher, 0), "");
  EXPECT_EQ(cipher.CodeString("some text", kCipherDecipher, 2), "");
}

TEST(HexForm, ReadsDigitsOfEitherCaseAndSkipsTheRest) {
  using namespace std::string_literals;
  struct Case {
    std::string text, bytes;
  } cases[] = {
      {"0a 1B", "\x0a\x1b"},
      {"12$34", "\x34"},
      {"123", "\x12"},
      {"$12$34", "\x12\x34"},  // only the first "$" restarts
      {"1$2", ""},             // a half byte is discarded by the restart
      {"X1x2", "\x12"},        // "X" is never written and is skipped
      {"<4g1>", "\x41"},
      {"00ff", "\x00\xff"s},
      {"", ""},
  };
  TStringFormat_HEX hex;
  for (const Case& c : cases) EXPECT_EQ(hex.StrTo(c.text), c.bytes) << c.text;
  EXPECT_EQ(hex.StrTo(nullptr, 4), "");
  EXPECT_EQ(hex.StrTo("4142\0"
                      "43",
                      -1),
            "AB");
  EXPECT_EQ(hex.ToStr("\x00\x7f\xff"s), "007FFF");
  EXPECT_EQ(hex.ToStr(""), "");
}

TEST(Cipher, HexTextProblemNamesTheFirstStrayByte) {
  struct Case {
    std::string text, problem;
  } cases[] = {
      {"", ""},
      {"0aF9\r\n 1b\t\v\f", ""},
      {"abc", "odd number of hexadecimal digits"},
      {"12g4", "unexpected character 0x67 at byte 2"},
      {"12$4", "unexpected character 0x24 at byte 2"},
      {"\xA0" "12", "unexpected character 0xA0 at byte 0"},
  };
  for (const Case& c : cases) EXPECT_EQ(HexTextProblem(c.text), c.problem) << c.text;
}

TEST(HexForm, ValidityWithFlagOneChecksTheWholeTable) {
  TStringFormat_HEX hex;
  EXPECT_EQ(hex.CharTable().size(), 48u);
  EXPECT_TRUE(hex.IsValid("0A bc\t\r\n{}[]();:,-_/\\*+\"'xhH$X", -1, 1));
  EXPECT_FALSE(hex.IsValid("0A<", -1, 1));
  EXPECT_FALSE(hex.IsValid("g", -1, 1));
  EXPECT_TRUE(hex.IsValid("<anything>", -1, 0));
  TStringFormat plain;
  EXPECT_TRUE(plain.IsValid("<anything>", -1, 1));
  EXPECT_EQ(plain.StrTo("a\0b", 3), std::string("a\0b", 3));
}

}  // namespace
