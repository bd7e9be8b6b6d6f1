// Makes an Ogg file reproducible: libsndfile picks a random logical-stream serial number, so
// the same audio would give different bytes on every run. Rewrites the serial in every page.
#pragma once

#include <cstdint>
#include <string>

namespace synth {

// Sets the serial of every page of the Ogg file at `path` to `serial`, recomputing the page
// checksums. Returns false (and leaves the file alone) when it is not a well-formed Ogg file.
bool SetOggSerial(const std::string& path, uint32_t serial);

}  // namespace synth
