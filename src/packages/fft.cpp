// Fourier transform functions: fft and invfft of complex arrays (rows of
// re, im), rfft of real arrays and pwrspec, the windowed power spectrum.
// Each stores its result in the variable `transform` and yields no value.
#include <new>

#include "lang/engine.h"
#include "packages/fftmain.h"
#include "packages/funutil.h"
#include "packages/registry.h"

namespace orv {

struct Engine::FftTables {
  fft::Tables tables;
};

namespace {

void deleteFftTables(Engine::FftTables* t) { delete t; }

// The engine's cached tables, made on first use; null when memory runs out.
fft::Tables* tablesOf(Engine& e) {
  if (!e.fftTables_) {
    Engine::FftTables* t = new (std::nothrow) Engine::FftTables;
    if (!t) return nullptr;
    e.fftTables_ = {t, &deleteFftTables};
  }
  return &e.fftTables_->tables;
}

// fft(C), invfft(C): C has n rows (re, im), n a power of two >= 4.
bool complexEntry(Engine& e, bool inverse) {
  Block data;
  int64_t rows, cols;
  const bool got = matrixArgument(e, 0, &data, &rows, &cols);
  if (e.Stopped()) return false;
  if (!got || cols != 2 || rows < 1) {
    e.ErrMsg(" fft(?) expects complex array");
    return false;
  }
  const auto n = static_cast<std::size_t>(rows);
  if (!fft::isPowerOfTwo(n)) {
    e.ErrMsg(" fft(?) size must be power of 2");
    return false;
  }
  if (n < 4) {
    e.ErrMsg(" fft(?) expects complex array");
    return false;
  }
  fft::Tables* t = tablesOf(e);
  Block work = newBlock(2 * n);
  if (!t || !work || !t->init(n, false)) {
    e.ErrMsg(" fft() not enough mem");
    return false;
  }
  fft::complexTransform(*t, data.get(), work.get(), inverse);
  e.SetVarMatrix("transform", data.release(), rows, 2);
  return false;
}

// rfft(R), pwrspec(R): R is a vector of 2N values, N a power of two >= 2.
bool realEntry(Engine& e, bool power) {
  const char* name = power ? "pwrspec" : "rfft";
  Block data;
  int64_t rows, cols;
  const bool got = matrixArgument(e, 0, &data, &rows, &cols);
  if (e.Stopped()) return false;
  if (!got || cols != 0 || rows < 4) {
    e.ErrMsg(" %s(?) expects real array", name);
    return false;
  }
  const auto n = static_cast<std::size_t>(rows) / 2;
  if (!fft::isPowerOfTwo(n) || 2 * n != static_cast<std::size_t>(rows)) {
    e.ErrMsg(" %s(?) size must be power of 2", name);
    return false;
  }
  fft::Tables* t = tablesOf(e);
  Block work = newBlock(2 * n);
  const bool ready = t && work && t->init(n, true) && (!power || t->initWindow()) &&
                     (power || resizeBlock(&data, 2 * n + 2));
  if (!ready) {
    e.ErrMsg(" %s() not enough mem", name);
    return false;
  }
  if (power) {
    fft::powerSpectrum(*t, data.get(), data.get(), work.get());
    resizeBlock(&data, n + 1);  // shrinking; on failure the block stays larger
    e.SetVarMatrix("transform", data.release(), static_cast<int64_t>(n + 1), 0);
  } else {
    fft::realTransform(*t, data.get(), data.get(), work.get());
    e.SetVarMatrix("transform", data.release(), static_cast<int64_t>(n + 1), 2);
  }
  return false;
}

bool fftEntry(Engine& e, double*) { return complexEntry(e, false); }
bool invfftEntry(Engine& e, double*) { return complexEntry(e, true); }
bool rfftEntry(Engine& e, double*) { return realEntry(e, false); }
bool pwrspecEntry(Engine& e, double*) { return realEntry(e, true); }

}  // namespace

void setup_fft(Registry& r) {
  r.AddFunPkg("FFT_", "Fourier transform routines");
  r.AddCFun("fft", "C", "transform complex array", fftEntry);
  r.AddCFun("invfft", "C", "inverse transform", invfftEntry);
  r.AddCFun("rfft", "R", "transform real array", rfftEntry);
  r.AddCFun("pwrspec", "R", "power spectrum", pwrspecEntry);
  r.AddFunPkg(nullptr, nullptr);
}

}  // namespace orv
