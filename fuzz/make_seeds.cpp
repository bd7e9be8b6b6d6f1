// vexil-fuzz-seeds: writes the seed corpora of the media fuzz targets into OUT/image,
// OUT/xfile and OUT/audio: small valid files of every format and layout the loaders read,
// so that fuzzing starts from the inside of each decoder rather than from its signature.
//
//   vexil-fuzz-seeds OUT
#include <sndfile.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

std::string g_out;

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(g_out + "/" + path, std::ios::binary) << bytes;
}

void Le16(std::string* b, uint32_t v) {
  b->push_back(static_cast<char>(v & 0xff));
  b->push_back(static_cast<char>((v >> 8) & 0xff));
}
void Le32(std::string* b, uint32_t v) {
  Le16(b, v & 0xffff);
  Le16(b, v >> 16);
}

// 8 x 8 RGBA with a gradient, a flat magenta corner (for colour keys) and varying alpha.
std::vector<unsigned char> Pixels(int channels) {
  std::vector<unsigned char> px;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool key = x < 2 && y < 2;
      const unsigned char rgba[4] = {static_cast<unsigned char>(key ? 255 : x * 32),
                                     static_cast<unsigned char>(key ? 0 : y * 32),
                                     static_cast<unsigned char>(key ? 255 : 128),
                                     static_cast<unsigned char>(key ? 255 : 64 + x * 16)};
      px.insert(px.end(), rgba, rgba + channels);
    }
  return px;
}

std::string Dds(const char* fourCC, uint32_t bits, uint32_t aMask, size_t dataBytes) {
  std::string d = "DDS ";
  Le32(&d, 124);
  Le32(&d, 0x100F);
  Le32(&d, 8);  // height
  Le32(&d, 8);  // width
  d += std::string(12 + 44, '\0');
  Le32(&d, 32);
  Le32(&d, fourCC ? 0x4 : (aMask ? 0x41 : 0x40));
  d += fourCC ? std::string(fourCC, 4) : std::string(4, '\0');
  Le32(&d, bits);
  Le32(&d, fourCC ? 0 : 0xff0000);
  Le32(&d, fourCC ? 0 : 0xff00);
  Le32(&d, fourCC ? 0 : 0xff);
  Le32(&d, aMask);
  d += std::string(20, '\0');
  for (size_t i = 0; i < dataBytes; ++i) d.push_back(static_cast<char>(i * 37 + 11));
  return d;
}

void Images() {
  const auto rgba = Pixels(4), rgb = Pixels(3), grey = Pixels(1);
  stbi_write_png((g_out + "/image/rgba.png").c_str(), 8, 8, 4, rgba.data(), 32);
  stbi_write_png((g_out + "/image/grey.png").c_str(), 8, 8, 1, grey.data(), 8);
  stbi_write_jpg((g_out + "/image/rgb.jpg").c_str(), 8, 8, 3, rgb.data(), 80);
  stbi_write_jpg((g_out + "/image/grey.jpg").c_str(), 8, 8, 1, grey.data(), 80);
  stbi_write_bmp((g_out + "/image/rgb.bmp").c_str(), 8, 8, 3, rgb.data());
  stbi_write_bmp((g_out + "/image/rgba.bmp").c_str(), 8, 8, 4, rgba.data());
  stbi_write_tga_with_rle = 1;
  stbi_write_tga((g_out + "/image/rle.tga").c_str(), 8, 8, 4, rgba.data());
  stbi_write_tga_with_rle = 0;
  stbi_write_tga((g_out + "/image/raw.tga").c_str(), 8, 8, 3, rgb.data());
  std::vector<float> hdr(8 * 8 * 3);
  for (size_t i = 0; i < hdr.size(); ++i) hdr[i] = static_cast<float>(i) / 64.0f;
  stbi_write_hdr((g_out + "/image/light.hdr").c_str(), 8, 8, 3, hdr.data());   // run-length
  stbi_write_hdr((g_out + "/image/narrow.hdr").c_str(), 4, 8, 3, hdr.data());  // flat pixels
  Write("image/dxt1.dds", Dds("DXT1", 0, 0, 4 * 8));
  Write("image/dxt3.dds", Dds("DXT3", 0, 0, 4 * 16));
  Write("image/dxt5.dds", Dds("DXT5", 0, 0, 4 * 16));
  Write("image/argb.dds", Dds(nullptr, 32, 0xff000000u, 8 * 8 * 4));
  Write("image/rgb.dds", Dds(nullptr, 24, 0, 8 * 8 * 3));
  std::string pgm = "P5\n# grey\n8 8\n255\n";
  pgm.append(reinterpret_cast<const char*>(grey.data()), grey.size());
  Write("image/grey.pgm", pgm);
  std::string ppm16 = "P6 4 4 65535\n";
  for (int i = 0; i < 4 * 4 * 3; ++i) Le16(&ppm16, i * 1500);
  Write("image/deep.ppm", ppm16);
  // 4 x 4 RGB PSD, uncompressed planes and run-length planes.
  for (int rle = 0; rle < 2; ++rle) {
    std::string psd = "8BPS";
    psd += std::string("\0\x01", 2) + std::string(6, '\0') + std::string("\0\x03", 2);
    psd += std::string("\0\0\0\x04\0\0\0\x04\0\x08\0\x03", 12);
    psd += std::string(12, '\0');  // colour mode data, image resources, layers: none
    psd += std::string("\0", 1) + static_cast<char>(rle);
    if (rle) {
      for (int row = 0; row < 3 * 4; ++row) psd += std::string("\0\x02", 2);  // row byte counts
      for (int row = 0; row < 3 * 4; ++row)
        psd += std::string("\xfd", 1) + static_cast<char>(row * 20);
    } else {
      for (int i = 0; i < 3 * 16; ++i) psd += static_cast<char>(i * 5);
    }
    Write(rle ? "image/rle.psd" : "image/raw.psd", psd);
  }
  // A 2 x 2 GIF with a four-colour table.
  Write("image/tiny.gif", std::string("GIF89a\x02\x00\x02\x00\x91\x00\x00\xff\x00\xff\x00\x00\x00"
                                      "\xff\xff\xff\x00\x00\xff\x21\xf9\x04\x01\x00\x00\x00\x00"
                                      "\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x03\x44\x34"
                                      "\x05\x00\x3b",
                                      50));
}

const char kTextMesh[] = R"(xof 0303txt 0032
template Vector { <3D82AB5E-62DA-11cf-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }
Material Red { 1.0;0.0;0.0;1.0;; 20.0; 1.0;1.0;1.0;; 0.1;0.0;0.0;; TextureFilename { "red.png"; } }
Frame Root {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,2,3,1;; }
 Frame Child {
  FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,0,1;; }
  Mesh Quad {
   4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;;
   2; 3;0,1,2;, 3;0,2,3;;
   MeshNormals { 2; 0;0;-1;, 0;0;1;; 2; 3;0,0,0;, 3;1,1,1;; }
   MeshTextureCoords { 4; 0;0;, 0;1;, 1;1;, 1;0;; }
   MeshVertexColors { 2; 0;1;0;0;1;;, 3;0;0;1;0.5;;; }
   MeshMaterialList { 2; 2; 0, 1;; { Red } Material { 0;1;0;0.5;; 5; 0;0;0;; 0;0;0;; } }
  }
 }
}
Mesh Pentagon { 5; 0;0;0;, 1;0;0;, 1;1;0;, 0.5;2;0;, 0;1;0;; 1; 5;0,1,2,3,4;; }
AnimationSet Walk { Animation { { Root } AnimationKey { 0; 1; 0; 4; 0,0,0,1;;; } } }
)";

// The file as an MSZIP-compressed .x ("tzip"/"bzip"): one deflated block.
std::string Compress(const std::string& file) {
  std::string out = file.substr(0, 16);
  out.replace(8, 4, file.compare(8, 4, "txt ") == 0 ? "tzip" : "bzip");
  Le32(&out, static_cast<uint32_t>(file.size()));
  const std::string payload = file.substr(16);
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string packed(deflateBound(&z, payload.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(payload.data()));
  z.avail_in = static_cast<uInt>(payload.size());
  z.next_out = reinterpret_cast<Bytef*>(packed.data());
  z.avail_out = static_cast<uInt>(packed.size());
  deflate(&z, Z_FINISH);
  packed.resize(packed.size() - z.avail_out);
  deflateEnd(&z);
  Le16(&out, static_cast<uint32_t>(payload.size()));
  Le16(&out, static_cast<uint32_t>(packed.size() + 2));
  return out + "CK" + packed;
}

void Meshes() {
  Write("xfile/scene.x", kTextMesh);
  Write("xfile/scene-compressed.x", Compress(kTextMesh));
  Write("xfile/triangle.x", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }\n");
  // Binary: Mesh { 3 vertices; 1 face } as name, brace, integer and float lists.
  std::string bin = "xof 0303bin 0032";
  Le16(&bin, 1);
  Le32(&bin, 4);
  bin += "Mesh";
  Le16(&bin, 10);
  Le16(&bin, 6);
  Le32(&bin, 1);
  Le32(&bin, 3);
  Le16(&bin, 7);
  Le32(&bin, 9);
  const float v[9] = {0, 0, 0, 0, 1, 0, 1, 0, 0};
  bin.append(reinterpret_cast<const char*>(v), sizeof v);
  Le16(&bin, 6);
  Le32(&bin, 5);
  for (uint32_t x : {1u, 3u, 0u, 1u, 2u}) Le32(&bin, x);
  Le16(&bin, 11);
  Write("xfile/triangle-binary.x", bin);
  Write("xfile/triangle-binary-compressed.x", Compress(bin));
}

void Audio() {
  struct Format {
    const char* name;
    int format;
    int channels;
    int rate;
  };
  const Format formats[] = {
      {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100},
      {"pcm8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 22050},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 48000},
      {"adpcm.wav", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 1, 8000},
      {"pcm24.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 2, 96000},
      {"ulaw.au", SF_FORMAT_AU | SF_FORMAT_ULAW, 1, 8000},
      {"music.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100},
      {"music.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 44100},
  };
  for (const Format& f : formats) {
    SF_INFO info{};
    info.samplerate = f.rate;
    info.channels = f.channels;
    info.format = f.format;
    const std::string path = g_out + "/audio/" + f.name;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
      std::fprintf(stderr, "cannot write %s: %s\n", f.name, sf_strerror(nullptr));
      continue;
    }
    std::vector<float> samples(2048 * f.channels);
    for (size_t i = 0; i < samples.size(); ++i)
      samples[i] = 0.5f * std::sin(static_cast<float>(i) * 0.05f);
    sf_writef_float(file, samples.data(), 2048);
    sf_close(file);
    // The fuzz target reads its first byte as the open mode: 0 opens as a file.
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Write(std::string("audio/") + f.name, std::string(1, '\0') + bytes);
  }
  // Headerless PCM, opened raw (control byte bit 0), stereo 16-bit.
  std::string raw(1, '\x03');
  for (int i = 0; i < 4096; ++i) Le16(&raw, static_cast<uint32_t>(i * 97));
  Write("audio/raw-stereo.pcm", raw);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vexil-fuzz-seeds OUT\n");
    return 2;
  }
  g_out = argv[1];
  for (const char* dir : {"", "/image", "/xfile", "/audio"}) mkdir((g_out + dir).c_str(), 0755);
  Images();
  Meshes();
  Audio();
  return 0;
}
