// Script container codec: the little-endian block layout, the short, tail and CBC paths,
// the byte pass, round trips for every small length, garbage input, file loading.
#include "container/container_cipher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "container/container_cipher_blowfish.h"

namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kZeroKey8(8, 0x00);

// A container made with the player key, recorded once; see PlayerKeyIsStableAcrossReleases.
const char kGoldenContainerHex[] = "19bc06dcf7b0295b1fde341fa3fe1a4ddac4d061";

// The unscrambling pass as described for the format, written independently of the codec.
Bytes Unscramble(Bytes b) {
  uint32_t s = 58316427u;
  for (size_t i = b.size(); i-- > 0;) {
    b[i] = static_cast<unsigned char>(b[i] - (s >> 7));
    const uint32_t t = s + (s >> 13);
    s = (((t >> 12) & 0xFFFE0u) ^ (t << 5)) + uint32_t(b[i]) * 32u;
  }
  return b;
}

Bytes Decode(Bytes b, const Bytes& key) {
  EXPECT_TRUE(CContainerCipher().Decode(b.data(), static_cast<uint32_t>(b.size()), key.data(),
                                        static_cast<uint32_t>(key.size())));
  return b;
}

Bytes Encode(Bytes b, const Bytes& key) {
  EXPECT_TRUE(CContainerCipher().Encode(b.data(), static_cast<uint32_t>(b.size()), key.data(),
                                        static_cast<uint32_t>(key.size())));
  return b;
}

void PutLittleEndian(uint32_t v, unsigned char* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t GetLittleEndian(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

Bytes RandomBytes(size_t n, std::mt19937* rng) {
  Bytes b(n);
  for (auto& c : b) c = static_cast<unsigned char>((*rng)() & 0xFF);
  return b;
}

TEST(ContainerCipher, PublishedVectorThroughLittleEndianHalves) {
  // Zero key, zero plain block enciphers to 4EF99745 6198DD78 (big-endian halves); a
  // container stores each half lowest byte first.
  const Bytes container = {0x45, 0x97, 0xF9, 0x4E, 0x78, 0xDD, 0x98, 0x61};
  EXPECT_EQ(Unscramble(Bytes(8, 0x00)), Decode(container, kZeroKey8));

  const Bytes big_endian_layout = {0x4E, 0xF9, 0x97, 0x45, 0x61, 0x98, 0xDD, 0x78};
  EXPECT_NE(Unscramble(Bytes(8, 0x00)), Decode(big_endian_layout, kZeroKey8))
      << "halves must be read little-endian";
}

TEST(ContainerCipher, EmptyContainerDecodesToEmptyScript) {
  Bytes empty;
  EXPECT_TRUE(CContainerCipher().Decode(nullptr, 0, kZeroKey8.data(), 8));
  EXPECT_TRUE(Decode(empty, kZeroKey8).empty());
  EXPECT_TRUE(Encode(empty, kZeroKey8).empty());
}

TEST(ContainerCipher, MissingKeyIsRefusedAndLeavesTheBufferAlone) {
  Bytes b = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const Bytes before = b;
  EXPECT_FALSE(CContainerCipher().Decode(b.data(), 9, nullptr, 16));
  EXPECT_FALSE(CContainerCipher().Decode(b.data(), 9, kZeroKey8.data(), 0));
  EXPECT_FALSE(CContainerCipher().Encode(b.data(), 9, nullptr, 0));
  EXPECT_EQ(before, b);
}

TEST(ContainerCipher, ShortInputSubtractsTheEncipheredLengthBlock) {
  const Bytes key = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const vexil::Blowfish cipher(key.data(), key.size());
  uint32_t l = 0x05050505u, r = 0x05050505u;
  cipher.Encipher(&l, &r);
  unsigned char mask[8];
  PutLittleEndian(l, mask);
  PutLittleEndian(r, mask + 4);

  const Bytes container = {0x10, 0x80, 0xFF, 0x00, 0x7F};
  Bytes masked(5);
  for (int i = 0; i < 5; ++i) masked[i] = static_cast<unsigned char>(container[i] - mask[i]);
  EXPECT_EQ(Unscramble(masked), Decode(container, key));
}

TEST(ContainerCipher, EightBytesAreOneCbcBlockWithZeroIv) {
  const Bytes key = {'v', 'e', 'x', 'i', 'l'};
  const vexil::Blowfish cipher(key.data(), key.size());
  Bytes container = {0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x23, 0x45, 0x67};
  uint32_t l = GetLittleEndian(&container[0]), r = GetLittleEndian(&container[4]);
  cipher.Decipher(&l, &r);
  Bytes block(8);
  PutLittleEndian(l, &block[0]);
  PutLittleEndian(r, &block[4]);
  EXPECT_EQ(Unscramble(block), Decode(container, key));
}

TEST(ContainerCipher, TwelveBytesDecipherTheOverlappingTailFirst) {
  const Bytes key = {'v', 'e', 'x', 'i', 'l'};
  const vexil::Blowfish cipher(key.data(), key.size());
  Bytes expected = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  // Bytes 4..11 first, as one block without chaining.
  uint32_t l = GetLittleEndian(&expected[4]), r = GetLittleEndian(&expected[8]);
  cipher.Decipher(&l, &r);
  PutLittleEndian(l, &expected[4]);
  PutLittleEndian(r, &expected[8]);
  // Then bytes 0..7, which now hold the changed bytes 4..7, with the zero IV.
  l = GetLittleEndian(&expected[0]);
  r = GetLittleEndian(&expected[4]);
  cipher.Decipher(&l, &r);
  PutLittleEndian(l, &expected[0]);
  PutLittleEndian(r, &expected[4]);

  EXPECT_EQ(Unscramble(expected), Decode({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, key));
}

TEST(ContainerCipher, LaterBlocksChainWithThePreviousCipherBlock) {
  const Bytes key = {'k'};
  const vexil::Blowfish cipher(key.data(), key.size());
  Bytes container(16);
  for (int i = 0; i < 16; ++i) container[i] = static_cast<unsigned char>(i * 17 + 3);
  Bytes expected = container;
  for (int block = 0; block < 2; ++block) {
    uint32_t l = GetLittleEndian(&container[8 * block]);
    uint32_t r = GetLittleEndian(&container[8 * block + 4]);
    cipher.Decipher(&l, &r);
    if (block == 1) {
      l ^= GetLittleEndian(&container[0]);
      r ^= GetLittleEndian(&container[4]);
    }
    PutLittleEndian(l, &expected[8 * block]);
    PutLittleEndian(r, &expected[8 * block + 4]);
  }
  EXPECT_EQ(Unscramble(expected), Decode(container, key));
}

TEST(ContainerCipher, ByteScramblingRunsFromTheLastByteToTheFirst) {
  // Only the scrambling pass reaches backwards; an input below one block has no chaining,
  // and the length mask is position-wise, so differences show where the pass carries them.
  const Bytes key = {'k'};
  Bytes a = {'<', 'a', '/', '>', 'x'};
  Bytes b = {'<', 'a', '/', '>', 'x' + 4};  // moves the state by 128: one step of s >> 7
  const Bytes ea = Encode(a, key), eb = Encode(b, key);
  EXPECT_NE(ea[4], eb[4]);
  EXPECT_NE(ea[3], eb[3]) << "the state carries the last byte into the byte before it";
  Bytes c = {'#', 'a', '/', '>', 'x'};
  const Bytes ec = Encode(c, key);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(ea[i], ec[i]) << "a first byte never affects later ones";
}

TEST(ContainerCipher, RoundTripForEveryLengthUpTo300) {
  std::mt19937 rng(1234);
  const auto key = vexil::ContainerKey();
  const Bytes key_bytes(key.begin(), key.end());
  for (size_t n = 0; n <= 300; ++n) {
    const Bytes plain = RandomBytes(n, &rng);
    const Bytes packed = Encode(plain, key_bytes);
    ASSERT_EQ(n, packed.size());
    if (n >= 2) {
      EXPECT_NE(plain, packed) << "length " << n << " was stored in the clear";
    }
    EXPECT_EQ(plain, Decode(packed, key_bytes)) << "length " << n;
  }
}

TEST(ContainerCipher, WrongKeyGivesOtherBytes) {
  const std::string script = "<demo name=\"x\"><settings/></demo>";
  Bytes plain(script.begin(), script.end());
  const Bytes packed = Encode(plain, {'a'});
  EXPECT_NE(plain, Decode(packed, {'b'}));
}

TEST(ContainerCipher, GarbageOfAnyLengthDecodesWithoutHarm) {
  // Run under the sanitizers in CI: every path must stay inside the buffer.
  std::mt19937 rng(99);
  const auto key = vexil::ContainerKey();
  for (int round = 0; round < 2000; ++round) {
    const size_t n = rng() % 64 + (round % 50 == 0 ? 4096 : 0);
    Bytes garbage = RandomBytes(n, &rng);
    // Exactly the bytes the decoder may touch: a heap block of size n.
    std::unique_ptr<unsigned char[]> exact(new unsigned char[n ? n : 1]);
    std::copy(garbage.begin(), garbage.end(), exact.get());
    EXPECT_TRUE(CContainerCipher().Decode(exact.get(), static_cast<uint32_t>(n), key.data(), 16));
  }
}

TEST(ContainerCipher, PlayerKeyIsStableAcrossReleases) {
  // Containers already shipped must keep decoding: a change of key or algorithm breaks them.
  std::string text = "<demo name=\"vexil\"/>";
  ASSERT_TRUE(vexil::EncodeContainer(&text));
  std::string hex;
  char digits[3];
  for (unsigned char c : text) {
    std::snprintf(digits, sizeof(digits), "%02x", c);
    hex += digits;
  }
  EXPECT_EQ(kGoldenContainerHex, hex);
  ASSERT_TRUE(vexil::DecodeContainer(&text));
  EXPECT_EQ("<demo name=\"vexil\"/>", text);
}

TEST(ContainerPath, ExtensionIsTheLastDotOfTheFileName) {
  EXPECT_TRUE(vexil::HasContainerExtension("demo.gma"));
  EXPECT_TRUE(vexil::HasContainerExtension("DEMO.GMA"));
  EXPECT_TRUE(vexil::HasContainerExtension("dir/show.Gma"));
  EXPECT_TRUE(vexil::HasContainerExtension("archive.xml.gma"));
  EXPECT_FALSE(vexil::HasContainerExtension("demo.xml"));
  EXPECT_FALSE(vexil::HasContainerExtension("demo.gma.xml"));
  EXPECT_FALSE(vexil::HasContainerExtension("demo.gmax"));
  EXPECT_FALSE(vexil::HasContainerExtension("dir.gma/demo"));
  EXPECT_FALSE(vexil::HasContainerExtension("dir.gma\\demo"));
  EXPECT_FALSE(vexil::HasContainerExtension("\"demo.gma\""));
  EXPECT_FALSE(vexil::HasContainerExtension(""));
}

class ContainerFile : public ::testing::Test {
 protected:
  std::string TempPath(const char* name) {
    return ::testing::TempDir() + "/vexil_container_" + name;
  }
};

TEST_F(ContainerFile, LoadsAndDecodesInMemory) {
  const std::string path = TempPath("ok.gma");
  std::string packed = "<demo name=\"file\"><settings/></demo>\n";
  ASSERT_TRUE(vexil::EncodeContainer(&packed));
  std::ofstream(path, std::ios::binary) << packed;

  std::string plain, error;
  ASSERT_TRUE(vexil::LoadContainerFile(path, &plain, &error)) << error;
  EXPECT_EQ("<demo name=\"file\"><settings/></demo>\n", plain);
  std::remove(path.c_str());
}

TEST_F(ContainerFile, MissingFileOrFolderReportsThePath) {
  std::string plain = "untouched", error;
  EXPECT_FALSE(vexil::LoadContainerFile(TempPath("missing.gma"), &plain, &error));
  EXPECT_NE(std::string::npos, error.find("missing.gma")) << error;
  EXPECT_EQ("untouched", plain);

  error.clear();
  EXPECT_FALSE(vexil::LoadContainerFile(::testing::TempDir(), &plain, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ("untouched", plain);
}

}  // namespace
