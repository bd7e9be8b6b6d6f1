// The decoders' guards against input that would never finish: our own HDR reader, the walk of
// a GIF's LZW codes, the refusal of Softimage pictures, and the child process that gives every
// other decode a time budget.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "d3dx9/image.h"
#include "d3dx9/image_codecs.h"
#include "d3dx9/isolated_decode.h"
#include "stalling_pictures.h"

namespace {

std::string Decode(const std::string& bytes, d3dx::Image* image) {
  std::string error;
  const HRESULT hr = d3dx::DecodeImageMemory(bytes.data(), bytes.size(), image, nullptr, &error);
  return SUCCEEDED(hr) ? "" : error.empty() ? "(no reason given)" : error;
}

std::string HdrHeader(int width, int height) {
  return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) + " +X " +
         std::to_string(width) + "\n";
}

// One run-length scan line of 8 pixels, all (128, 64, 32) at exponent 129: 1, 1/2, 1/4.
std::string RunLengthLine() {
  std::string line("\x02\x02\x00\x08", 4);
  for (const char value : {'\x80', '\x40', '\x20', '\x81'}) {
    line += static_cast<char>(128 + 8);
    line += value;
  }
  return line;
}

TEST(HdrReader, DecodesRunLengthAndFlatScanLinesAsTheFormerDecoderDid) {
  d3dx::Image image;
  ASSERT_EQ("", Decode(HdrHeader(8, 2) + RunLengthLine() + RunLengthLine(), &image));
  ASSERT_EQ(8u, image.width);
  ASSERT_EQ(2u, image.height);
  // 1.0 -> 255, 0.5 -> 186, 0.25 -> 136 after the 1/2.2 gamma.
  EXPECT_EQ(0xFFFFBA88u, image.At(0, 0));
  EXPECT_EQ(0xFFFFBA88u, image.At(7, 1));

  // Narrower than 8 pixels, scan lines are plain RGBE quadruples; exponent 0 is black.
  const std::string flat = HdrHeader(2, 1) + std::string("\x80\x40\x20\x81\x10\x10\x10\x00", 8);
  ASSERT_EQ("", Decode(flat, &image));
  EXPECT_EQ(0xFFFFBA88u, image.At(0, 0));
  EXPECT_EQ(0xFF000000u, image.At(1, 0));
}

TEST(HdrReader, RefusesStreamsThatStallOrLie) {
  const std::string header = HdrHeader(8, 1);
  const std::string marker("\x02\x02\x00\x08", 4);
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;
  } cases[] = {
      // The single-header decoder took the line of NULs for the header's end and looped on the
      // run of 0 after it; the header really ends one line later, so no size line follows.
      {"the fuzzer's file: a header line of NULs, then a run of 0", stalling::HdrWithRunOfZero(),
       "HDR picture: no \"-Y height +X width\" line after the header"},
      {"a run of 0", header + marker + std::string("\x00", 1), "HDR picture: a run of length 0"},
      {"a run longer than its line", header + marker + std::string("\x89\x01", 2),
       "HDR picture: a run longer than its scan line"},
      {"literal bytes past the end", header + marker + std::string("\x08\x01\x02", 3),
       "HDR picture: the data ends early"},
      {"a scan line of another width",
       header + std::string("\x02\x02\x00\x09", 4) + std::string(40, '\x01'),
       "scan line of another length"},
      {"flat pixels cut short", HdrHeader(4, 4) + std::string(60, '\x01'), "the data ends early"},
      {"another pixel format", "#?RADIANCE\nFORMAT=32-bit_rle_xyze\n\n-Y 1 +X 1\n\x01\x01\x01\x01",
       "pixel format 32-bit_rle_xyze is not supported"},
      {"no size line", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n+Y 1 -X 1\n", "-Y height +X width"},
      {"a size past the limits", HdrHeader(20000, 20000), "limit of 16384 pixels a side"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    d3dx::Image image;
    const std::string error = Decode(c.bytes, &image);
    EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
    EXPECT_TRUE(image.argb.empty());
  }
}

TEST(GifWalk, CodesStandingForMorePixelsThanThePictureAreRefused) {
  // One cycle of chained codes stands for about 8 million pixels.
  const std::string chains = stalling::GifOfLongChains(16, 16, 1);
  EXPECT_NE(
      "", d3dx::CheckGifData(reinterpret_cast<const unsigned char*>(chains.data()), chains.size()));
  d3dx::Image image;
  EXPECT_NE(std::string::npos,
            Decode(chains, &image).find("stands for more pixels than its 16 x 16"));
  // The same stream is fine for a picture that holds what it stands for.
  const std::string big = stalling::GifOfLongChains(4096, 2048, 1);
  EXPECT_EQ("", d3dx::CheckGifData(reinterpret_cast<const unsigned char*>(big.data()), big.size()));
}

TEST(GifWalk, FormatsNoDemoNeedsAreRefusedWithAMessage) {
  d3dx::Image image;
  EXPECT_EQ("Softimage PIC pictures are not supported; convert it to PNG",
            Decode(stalling::SoftimagePic(), &image));
}

TEST(FoundByFuzzing, AWidePsdOfFourRowsDecodesAndWidens) {
  // A 10500 x 4 PSD whose run-length rows end early: the fuzzer's 2 s limit caught its
  // widening to 16384 x 4 under the sanitizers (17 ms in a release build). It must decode and
  // widen as any picture does.
  const std::string psd(
      "\x38\x42\x50\x53\x00\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x04\x00\x00\x29\x04"
      "\x00\x08\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x02\x00\x02"
      "\x58\x0b\x76\x88\x00\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x00\x00\x3d\x00\x00\x00\x00"
      "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xfd\x14\xfd\x28\xed\x3c\xfd\x50\xfd\x64\xff"
      "\xc4\xfd\x78\xfd\x8c\xfd\xa0\xfd\xb4\xfd\xc8\xfd\xdc",
      101);
  d3dx::Image image;
  ASSERT_EQ("", Decode(psd, &image));
  EXPECT_EQ(10500u, image.width);
  EXPECT_EQ(4u, image.height);
  const d3dx::Image wide = d3dx::Resample(image, 16384, 4, D3DX_FILTER_TRIANGLE);
  EXPECT_EQ(size_t{16384} * 4, wide.argb.size());
}

TEST(FoundByFuzzing, AGifOfOneSmallFrameOnALargeScreenDecodesAndGrows) {
  // A 512 x 224 screen holding a 2 x 2 frame: another input whose resizing, to 512 x 256, was
  // past the fuzzer's limit under the sanitizers.
  const std::string gif(
      "\x47\x49\x46\x38\x39\x61\x00\x02\xe0\x00\x91\x57\xd1\x02\x00\x20\x61\x00\x00\xff\xff\xff"
      "\x00\x00\xff\x21\xf9\x04\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02"
      "\x03\x44\x39\x05\x00\x3b",
      50);
  d3dx::Image image;
  ASSERT_EQ("", Decode(gif, &image));
  EXPECT_EQ(512u, image.width);
  EXPECT_EQ(224u, image.height);
  const d3dx::Image grown = d3dx::Resample(image, 512, 256, D3DX_FILTER_TRIANGLE);
  EXPECT_EQ(size_t{512} * 256, grown.argb.size());
}

TEST(IsolatedDecode, ReturnsTheOutputOrWhyThereIsNone) {
  d3dx::IsolatedDecode done;
  std::string error;
  ASSERT_TRUE(done.Run(
      4,
      [](uint8_t* out, size_t room, std::string*) {
        std::memcpy(out, "abcd", room);
        return true;
      },
      &error))
      << error;
  EXPECT_EQ(0, std::memcmp(done.output(), "abcd", 4));

  d3dx::IsolatedDecode refused;
  EXPECT_FALSE(refused.Run(
      4, [](uint8_t*, size_t, std::string* why) { return *why = "broken", false; }, &error));
  EXPECT_EQ("broken", error);

  d3dx::IsolatedDecode crashed;
  EXPECT_FALSE(crashed.Run(
      4, [](uint8_t*, size_t, std::string*) -> bool { std::abort(); }, &error));
  EXPECT_NE(std::string::npos, error.find("the decoder crashed")) << error;
}

TEST(IsolatedDecode, AWorkThatNeverEndsIsStoppedAtTheBudget) {
  d3dx::IsolatedDecode endless;
  std::string error;
  EXPECT_FALSE(endless.Run(
      4,
      [](uint8_t* out, size_t, std::string*) {
        for (volatile uint8_t* p = out;;) ++*p;
        return true;
      },
      &error, 300));
  EXPECT_EQ("decoding took longer than the limit of 0.3 seconds", error);
}

}  // namespace
