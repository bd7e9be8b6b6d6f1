// Decoding untrusted pictures in a short-lived child process: whatever the decoder does (loop,
// crash, allocate), the player gets either the pixels or a message within the time budget.
// The child has CPU-time and address-space limits; its output comes back through a shared
// mapping; the parent waits with a deadline and kills it when the budget is spent. Where a
// process cannot fork (a web page) the work runs in-process, behind the decoders' pre-scans.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace d3dx {

// Wall-clock and CPU time one picture may take to decode, and the memory its decoder may
// allocate on top of what the player already has. A real picture within the texture limits
// (8192 x 8192) decodes in well under a second.
constexpr int kDecodeBudgetSeconds = 10;
constexpr uint64_t kDecodeMemoryBytes = uint64_t{2} << 30;

// Decodes in the calling process from now on (true) or in a child again (false): for the
// fuzzer, whose coverage and time limit must see inside the decoders.
void DecodeInProcess(bool in_process);

// Writes at most `capacity` bytes of output to `out`; false with `why` on failure.
using IsolatedWork = std::function<bool(uint8_t* out, size_t capacity, std::string* why)>;

class IsolatedDecode {
 public:
  IsolatedDecode() = default;
  IsolatedDecode(const IsolatedDecode&) = delete;
  IsolatedDecode& operator=(const IsolatedDecode&) = delete;
  ~IsolatedDecode();

  // Runs `work` with room for `capacity` bytes; false with `error` when it failed, crashed or
  // ran past the budget. `budget_ms` 0 means kDecodeBudgetSeconds.
  bool Run(size_t capacity, const IsolatedWork& work, std::string* error, int budget_ms = 0);
  // The output of a successful Run, valid until this object goes.
  const uint8_t* output() const { return output_; }

 private:
  void* mapping_ = nullptr;
  size_t mapping_size_ = 0;
  uint8_t* output_ = nullptr;
};

}  // namespace d3dx
