// vexil-make-track OUT.track ROW:VALUE:TYPE ...: writes a sync track file from keys given on the
// command line (TYPE 0 step, 1 linear, 2 smooth, 3 ramp), so the demo's tracks are made at build
// time from text kept in its CMakeLists.txt.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "params/synctrack.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vexil-make-track OUT.track ROW:VALUE:TYPE ...\n");
    return 2;
  }
  std::vector<SyncKey> keys;
  for (int i = 2; i < argc; ++i) {
    SyncKey key;
    char* end = nullptr;
    const long row = std::strtol(argv[i], &end, 10);
    bool ok = *end == ':' && row >= 0 && row <= 0x7FFFFFFF;
    if (ok) key.value = std::strtof(end + 1, &end);
    ok = ok && *end == ':';
    if (ok) {
      const long type = std::strtol(end + 1, &end, 10);
      ok = *end == '\0' && type >= 0 && type <= 3;
      key.type = static_cast<uint8_t>(type);
    }
    key.row = static_cast<int32_t>(row);
    if (!ok || !IsUsableSyncKey(key)) {
      std::fprintf(stderr, "vexil-make-track: \"%s\" is no ROW:VALUE:TYPE key\n", argv[i]);
      return 2;
    }
    keys.push_back(key);
  }
  CSyncTrack track;
  track.SetKeys(keys);
  const std::string bytes = EncodeSyncTrackFile(track);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "vexil-make-track: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
