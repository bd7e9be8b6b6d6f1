// Blowfish against the published test vectors, both on 32-bit halves and through the
// little-endian byte layout that containers use.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "container/container_cipher_blowfish.h"

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

uint32_t BigEndianWord(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// Eric Young's set of published vectors; keys of 8 bytes and of other lengths.
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
    {"F0E1D2C3B4A5968778695A4B3C2D1E0F", "FEDCBA9876543210", "93142887EE3BE15C"},
    {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"},
};

TEST(Blowfish, TablesStartWithTheDigitsOfPi) {
  EXPECT_EQ(0x243F6A88u, vexil::kBlowfishInitialP[0]);
  EXPECT_EQ(0x8979FB1Bu, vexil::kBlowfishInitialP[17]);
  EXPECT_EQ(0xD1310BA6u, vexil::kBlowfishInitialS[0][0]);
  EXPECT_EQ(0x3AC372E6u, vexil::kBlowfishInitialS[3][255]);
}

TEST(Blowfish, PublishedVectorsOnHalves) {
  for (const Vector& v : kVectors) {
    const auto key = FromHex(v.key);
    const auto plain = FromHex(v.plain);
    const auto expected = FromHex(v.cipher);
    const vexil::Blowfish cipher(key.data(), key.size());
    uint32_t l = BigEndianWord(plain, 0);
    uint32_t r = BigEndianWord(plain, 4);
    cipher.Encipher(&l, &r);
    EXPECT_EQ(BigEndianWord(expected, 0), l) << "key " << v.key;
    EXPECT_EQ(BigEndianWord(expected, 4), r) << "key " << v.key;
    cipher.Decipher(&l, &r);
    EXPECT_EQ(BigEndianWord(plain, 0), l) << "key " << v.key;
    EXPECT_EQ(BigEndianWord(plain, 4), r) << "key " << v.key;
  }
}

TEST(Blowfish, EmptyKeyLeavesTheConstantsUnkeyedAndStillRoundTrips) {
  const vexil::Blowfish cipher(nullptr, 0);
  uint32_t l = 1, r = 2;
  cipher.Encipher(&l, &r);
  EXPECT_FALSE(l == 1 && r == 2);
  cipher.Decipher(&l, &r);
  EXPECT_EQ(1u, l);
  EXPECT_EQ(2u, r);
}

}  // namespace
