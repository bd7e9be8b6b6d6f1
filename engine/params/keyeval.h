// Shared machinery of the keyframed parameters: reading "key" children, finding the keys
// around a time, stepping, TCB tangents and the Hermite curve. Internal to the engine.
#pragma once

#include <strings.h>

#include <cstdint>

#include "params/paramkeyed.h"

namespace keyeval {

// Calls read(key) for each child element named "key" (any case), in document order.
template <class ReadKey>
void ForEachKey(TiXmlElement* element, ReadKey read) {
  for (TiXmlElement* key = element ? element->FirstChildElement() : nullptr; key;
       key = key->NextSiblingElement()) {
    if (strcasecmp(key->Value(), "key") == 0) read(key);
  }
}

// Payloads that hold the value itself rather than a pointer to it.
inline void* PackInline(uint32_t value) {
  return reinterpret_cast<void*>(uintptr_t{value});
}
inline uint32_t UnpackInline(const void* payload) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(payload));
}

// Deletes every key with its payload (stored as a `new Payload`), leaving the list empty.
template <class Payload>
void FreeKeys(CLinkedList<CParamKeyframe>* keys) {
  for (CParamKeyframe* key : *keys) {
    delete static_cast<Payload*>(key->GetValue());
    delete key;
  }
  keys->Clear();
}

// Deletes every key whose payload is held inline.
inline void FreeInlineKeys(CLinkedList<CParamKeyframe>* keys) {
  for (CParamKeyframe* key : *keys) delete key;
  keys->Clear();
}

enum class ESpan { Empty, First, Last, Between };

// The keys around `time` for Linear and TCB evaluation: `next` is the first key at or after
// time, `previous` the one before it. First: time is at or before the first key (in `next`);
// Last: every key is before time (in `previous`); Between: u = position in (0, 1].
struct Span {
  const CParamKeyframe* previous = nullptr;
  const CParamKeyframe* next = nullptr;
  float u = 0.0f;
};

inline ESpan FindSpan(const CLinkedList<CParamKeyframe>& keys, float time, Span* span) {
  const CParamKeyframe* previous = nullptr;
  for (const CParamKeyframe* key : keys) {
    if (time <= key->GetTime()) {
      span->next = key;
      if (!previous) return ESpan::First;
      span->previous = previous;
      // previous time < time <= next time, so the divisor is never 0.
      span->u = (time - previous->GetTime()) / (key->GetTime() - previous->GetTime());
      return ESpan::Between;
    }
    previous = key;
  }
  span->previous = previous;
  return previous ? ESpan::Last : ESpan::Empty;
}

// The key a step curve shows at `time`: the first key at or before time whose successor is
// after time (or which is the last); the last key when there is none. Null without keys.
inline const CParamKeyframe* SelectStep(const CLinkedList<CParamKeyframe>& keys, float time) {
  const int count = keys.GetCount();
  for (int i = 0; i < count; ++i) {
    const CParamKeyframe* key = keys.Get(i);
    if (key->GetTime() <= time && (i == count - 1 || keys.Get(i + 1)->GetTime() > time)) {
      return key;
    }
  }
  return keys.GetTail();
}

template <int N>
CTcbKey<N>* NewTcbKey(const float (&position)[N]) {
  auto* record = new CTcbKey<N>();
  for (int c = 0; c < N; ++c) record->position[c] = position[c];
  return record;
}

template <int N>
const CTcbKey<N>& TcbOf(const CParamKeyframe* key) {
  return *static_cast<const CTcbKey<N>*>(key->GetValue());
}

// Kochanek-Bartels tangents of every key from its neighbours; the end keys get half the
// chord to their one neighbour, a single key none.
template <int N>
void ComputeTcbTangents(const CLinkedList<CParamKeyframe>& keys) {
  const int count = keys.GetCount();
  if (count < 2) return;
  for (int i = 0; i < count; ++i) {
    CTcbKey<N>& key = *static_cast<CTcbKey<N>*>(keys.Get(i)->GetValue());
    const float t = key.tension, c = key.continuity, b = key.bias;
    const CTcbKey<N>* before = i > 0 ? &TcbOf<N>(keys.Get(i - 1)) : nullptr;
    const CTcbKey<N>* after = i < count - 1 ? &TcbOf<N>(keys.Get(i + 1)) : nullptr;
    for (int k = 0; k < N; ++k) {
      const float incoming = before ? key.position[k] - before->position[k] : 0.0f;
      const float outgoing = after ? after->position[k] - key.position[k] : 0.0f;
      if (before && after) {
        key.ds[k] =
            (1 - t) * (1 - c) * (1 + b) / 2 * incoming + (1 - t) * (1 + c) * (1 - b) / 2 * outgoing;
        key.dd[k] =
            (1 - t) * (1 + c) * (1 + b) / 2 * incoming + (1 - t) * (1 - c) * (1 - b) / 2 * outgoing;
      } else if (after) {
        key.dd[k] = (1 - t) * (1 - c) * (1 - b) / 2 * outgoing;
      } else {
        key.ds[k] = (1 - t) * (1 - c) * (1 + b) / 2 * incoming;
      }
    }
  }
}

// Cubic Hermite point between two keys (the formula of D3DXVec*Hermite), component k only.
template <int N>
float Hermite(const CTcbKey<N>& from, const CTcbKey<N>& to, float s, int k) {
  const float s2 = s * s, s3 = s2 * s;
  const float h1 = 2 * s3 - 3 * s2 + 1;
  const float h2 = s3 - 2 * s2 + s;
  const float h3 = -2 * s3 + 3 * s2;
  const float h4 = s3 - s2;
  return h1 * from.position[k] + h2 * from.dd[k] + h3 * to.position[k] + h4 * to.ds[k];
}

// Evaluates a TCB curve at `time` into out[0..N); false (out untouched) without keys.
template <int N>
bool EvaluateTcb(const CLinkedList<CParamKeyframe>& keys, float time, float (&out)[N]) {
  Span span;
  const CTcbKey<N>* end = nullptr;
  switch (FindSpan(keys, time, &span)) {
    case ESpan::Empty:
      return false;
    case ESpan::First:
      end = &TcbOf<N>(span.next);
      break;
    case ESpan::Last:
      end = &TcbOf<N>(span.previous);
      break;
    case ESpan::Between: {
      const CTcbKey<N>& from = TcbOf<N>(span.previous);
      const CTcbKey<N>& to = TcbOf<N>(span.next);
      for (int k = 0; k < N; ++k) out[k] = Hermite<N>(from, to, span.u, k);
      return true;
    }
  }
  for (int k = 0; k < N; ++k) out[k] = end->position[k];
  return true;
}

// A colour channel from a float: clamped to [0, 255], truncated.
inline uint32_t ChannelByte(float value) {
  if (!(value > 0.0f)) return 0;  // also NaN
  if (value >= 255.0f) return 255;
  return static_cast<uint32_t>(value);
}

inline uint32_t PackColor(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace keyeval
