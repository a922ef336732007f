#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/Crc32.h"
#include "foundation/CryptMD5.h"

namespace {

std::string Hex(const TMD5Digest& digest) {
  std::string text;
  char byte[3];
  for (uint8_t b : digest) {
    std::snprintf(byte, sizeof byte, "%02x", b);
    text += byte;
  }
  return text;
}

TEST(Crc32, KnownValues) {
  struct Case {
    const char* text;
    uint32_t crc;
    uint32_t noCase;
  } cases[] = {
      {"", 0, 0},
      {"abc", 0x352441C2, 0xA3830348},
      {"ABC", 0xA3830348, 0xA3830348},
      {"123456789", 0xCBF43926, 0xCBF43926},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StrCrc32(c.text), c.crc) << c.text;
    EXPECT_EQ(StrCrc32NoCase(c.text), c.noCase) << c.text;
  }
  EXPECT_EQ(StrCrc32NoCase("Name"), StrCrc32NoCase("NAME"));
  EXPECT_NE(StrCrc32("Name"), StrCrc32("NAME"));
  EXPECT_EQ(StrCrc32NoCase("\xe9"), StrCrc32("\xe9"));  // only ASCII letters fold
}

TEST(Crc32, ContinuesFromAPreviousValue) {
  std::string text = "123456789";
  EXPECT_EQ(BufCrc32(text.data() + 4, 5, BufCrc32(text.data(), 4)), 0xCBF43926u);
}

TEST(MD5, Rfc1321Vectors) {
  struct Case {
    const char* text;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
       "0",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(TCrMD5::Calculate(c.text)), c.digest) << c.text;
}

TEST(MD5, LongInputInAnyPieces) {
  // Far past the 4151 bytes a fixed work area would hold.
  std::string text(1000000, 'a');
  EXPECT_EQ(Hex(TCrMD5::Calculate(text)), "7707d6ae4e027c70eea2a935c2296f21");

  std::string mixed;
  for (int i = 0; i < 6000; ++i) mixed += char('0' + i % 61);
  TMD5Digest whole = TCrMD5::Calculate(mixed);
  EXPECT_EQ(Hex(whole), "eb82d3b1b0b54cf031ecf5d166d06cc3");
  TCrMD5 md5;
  for (size_t at = 0, piece = 1; at < mixed.size(); at += piece, piece = piece * 3 % 97 + 1)
    md5.Update(mixed.substr(at, piece));
  EXPECT_EQ(md5.Final(), whole);
  EXPECT_EQ(Hex(md5.Final()), "d41d8cd98f00b204e9800998ecf8427e");  // starts over
}

}  // namespace
