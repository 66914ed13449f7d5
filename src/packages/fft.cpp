// Fourier transform functions: fft and invfft of complex arrays (rows of
// re, im), rfft of real arrays and pwrspec, the windowed power spectrum.
// Each stores its result in the variable `transform` and yields no value.
#include <new>

#include "lang/engine.h"
#include "packages/fftmain.h"
#include "packages/funutil.h"
#include "packages/registry.h"

namespace orv {

// The tables and the work area of the last transforms, kept so that the
// next call of the same size neither recomputes nor touches fresh memory.
struct Engine::FftTables {
  fft::Tables tables;
  Block work;
  std::size_t workSize = 0;
};

namespace {

void deleteFftTables(Engine::FftTables* t) { delete t; }

// The engine's cached tables for size n (real: with the separation
// twiddles, window: with the window too), made as needed, and a work area
// of 2n doubles. Null when memory runs out.
fft::Tables* prepare(Engine& e, std::size_t n, bool real, bool window, double** work) {
  if (!e.fftTables_) {
    Engine::FftTables* t = new (std::nothrow) Engine::FftTables;
    if (!t) return nullptr;
    e.fftTables_ = {t, &deleteFftTables};
  }
  Engine::FftTables& cache = *e.fftTables_;
  if (cache.workSize < 2 * n) {
    cache.work.reset();
    cache.work = newBlock(2 * n);
    cache.workSize = cache.work ? 2 * n : 0;
  }
  if (!cache.work || !cache.tables.init(n, real) || (window && !cache.tables.initWindow()))
    return nullptr;
  *work = cache.work.get();
  return &cache.tables;
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
  double* work;
  const fft::Tables* t = prepare(e, n, false, false, &work);
  if (!t) {
    e.ErrMsg(" fft() not enough mem");
    return false;
  }
  fft::complexTransform(*t, data.get(), work, inverse);
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
  double* work;
  const fft::Tables* t = prepare(e, n, true, power, &work);
  // The transform has one row more than the data: a block of its own (the
  // data's block, freed, serves the next call).
  Block out = power ? nullptr : newBlock(2 * n + 2);
  if (!t || (!power && !out)) {
    e.ErrMsg(" %s() not enough mem", name);
    return false;
  }
  if (power) {
    fft::powerSpectrum(*t, data.get(), data.get(), work);
    resizeBlock(&data, n + 1);  // shrinking; on failure the block stays larger
    e.SetVarMatrix("transform", data.release(), static_cast<int64_t>(n + 1), 0);
  } else {
    fft::realTransform(*t, data.get(), out.get(), work);
    data.reset();
    e.SetVarMatrix("transform", out.release(), static_cast<int64_t>(n + 1), 2);
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
