// vexil-join: joins the pieces of a render made with --chunk or --frames.
//   vexil-join OUT.mp4 PART... --audio MUSIC.wav
//   vexil-join --hashes OUT.txt PART.txt... --audio MUSIC.wav
#include <cstdio>
#include <string>
#include <vector>

#include "manifest_join.h"
#include "video_library.h"

namespace {

const char kUsage[] =
    "usage: vexil-join OUT PART... --audio MUSIC\n"
    "       vexil-join --hashes OUT.txt PART.txt... --audio MUSIC\n"
    "\n"
    "Joins the pieces of one render (vexil --chunk K/N or --frames FIRST-LAST), given in\n"
    "order, into the whole. Videos: the pieces' pictures are copied without encoding them\n"
    "again and the music (vexil --audio-only MUSIC, the same render's music) is encoded as\n"
    "OUT's format asks (.mp4, .mkv or .webm, as for vexil --video). Manifests: the joined\n"
    "manifest equals the manifest of the whole render line for line; every piece's music is\n"
    "checked against its span of MUSIC. Pieces that leave a gap, overlap or differ in\n"
    "format are refused. Exit status 0 when joined, 1 when not, 2 for a wrong command line.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  bool hashes = false;
  std::string music;
  std::vector<std::string> files;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (words[i] == "--hashes" && i == 0) {
      hashes = true;
    } else if (words[i] == "--audio") {
      if (i + 1 >= words.size() || words[i + 1].empty()) {
        std::fprintf(stderr, "vexil-join: --audio needs the music file\n");
        return 2;
      }
      music = words[++i];
    } else if (words[i].size() > 1 && words[i].compare(0, 2, "--") == 0) {
      std::fprintf(stderr, "vexil-join: unknown option %s\n%s", words[i].c_str(), kUsage);
      return 2;
    } else {
      files.push_back(words[i]);
    }
  }
  if (files.size() < 2 || music.empty()) {
    std::fprintf(stderr, "vexil-join: needs the output, at least one piece and --audio\n%s",
                 kUsage);
    return 2;
  }
  const std::string out = files.front();
  const std::vector<std::string> parts(files.begin() + 1, files.end());
  for (const std::string& part : parts) {
    if (part == out || part == music) {
      std::fprintf(stderr, "vexil-join: \"%s\" would be overwritten by the joined file\n",
                   part.c_str());
      return 2;
    }
  }
  std::string error;
  const bool ok = hashes ? vexil::JoinManifests(out, parts, music, &error)
                         : vexil::JoinVideosThroughLibrary(out, parts, music, &error);
  if (!ok) {
    std::fprintf(stderr, "vexil-join: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
