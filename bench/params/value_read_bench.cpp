// Reads of bound values at moving times: constant, Linear with 8 and 256 keys, TCB, Square,
// and an unbound value, each through the value's conversion as effects read them.
#include <benchmark/benchmark.h>

#include <string>

#include "scenecore.h"

namespace {

class CBenchOwner : public CDataProvider {
 public:
  CBenchOwner() { AddValue(&value, "v"); }
  float GetTime() const override { return time; }
  float time = 0.0f;
  CValueFloat value;
};

// Holds a manager with libscenecore.so loaded and an owner whose "v" is bound by `xml`.
struct Bound {
  explicit Bound(const std::string& param) {
    manager.Load("scenecore.dll");
    owner.SetWidgetManager(&manager);
    TiXmlDocument document;
    document.Parse(("<m>" + param + "</m>").c_str());
    owner.Parse(document.RootElement());
  }
  CWidgetManager manager;
  CBenchOwner owner;
};

std::string KeyedParam(const char* type, int keys) {
  std::string xml = std::string("<param name=\"v\" type=\"") + type + "\">";
  for (int i = 0; i < keys; ++i) {
    xml +=
        "<key time=\"" + std::to_string(i * 100) + "\" value=\"" + std::to_string(i % 7) + "\"/>";
  }
  return xml + "</param>";
}

// Sweeps the owner's clock across the keys so every span is visited.
void ReadAcross(benchmark::State& state, Bound& bound, float span) {
  float sum = 0.0f;
  float time = 0.0f;
  for (auto _ : state) {
    bound.owner.time = time;
    sum += bound.owner.value;
    time += 7.3f;
    if (time > span) time = 0.0f;
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations());
}

void BM_ReadUnbound(benchmark::State& state) {
  Bound bound("");
  ReadAcross(state, bound, 1000.0f);
}
BENCHMARK(BM_ReadUnbound);

void BM_ReadConstant(benchmark::State& state) {
  Bound bound("<param name=\"v\" type=\"float\" value=\"3\"/>");
  ReadAcross(state, bound, 1000.0f);
}
BENCHMARK(BM_ReadConstant);

void BM_ReadLinear(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  Bound bound(KeyedParam("linearfloat", keys));
  ReadAcross(state, bound, keys * 100.0f);
}
BENCHMARK(BM_ReadLinear)->Arg(8)->Arg(256);

void BM_ReadSquare(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  Bound bound(KeyedParam("squarefloat", keys));
  ReadAcross(state, bound, keys * 100.0f);
}
BENCHMARK(BM_ReadSquare)->Arg(8)->Arg(256);

void BM_ReadTcb(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  Bound bound(KeyedParam("tcbfloat", keys));
  ReadAcross(state, bound, keys * 100.0f);
}
BENCHMARK(BM_ReadTcb)->Arg(8)->Arg(256);

}  // namespace

BENCHMARK_MAIN();
