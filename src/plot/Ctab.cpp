// The worksheet function ColorTable: chooses a built-in colour table for the
// images of the page or sets one of 256 (red, green, blue) rows.
#include <cmath>
#include <cstdlib>

#include "lang/addons.h"
#include "lang/engine.h"
#include "plot/plot_state.h"

namespace orv {

namespace {

// A colour component from a value meant to lie between 0 and 1; values
// outside are clamped, NaN is 0.
uint8_t component(double v) {
  if (!(v > 0)) return 0;
  if (v >= 1) return 255;
  return static_cast<uint8_t>(v * 255);
}

bool setctab(Engine& e, double* /*result*/) {
  ExprNode* arg = e.MakeParmExpr(0);
  double* data = nullptr;
  int64_t rows = 0, cols = 0;
  bool read = e.GetExprMatrix(arg, &data, &rows, &cols);
  e.FreeExpr(arg);
  ColorTable& ctab = e.plot().ctab;
  if (!e.Stopped()) {
    if (!read || (rows == 0 && cols == 0)) {
      double n = read ? std::trunc(data[0]) : 1;
      ctab.valid = true;
      if (n != 0 && n != 1) {
        BuiltInCtable(1, ctab.rgb);
        e.ErrMsg(" No built-in table %s",
                 std::to_string(static_cast<long>(std::fmax(std::fmin(n, 2e18), -2e18))).c_str());
      } else {
        BuiltInCtable(static_cast<int>(n), ctab.rgb);
      }
    } else if (rows == 256 && cols == 3) {
      ctab.valid = true;
      for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c) ctab.rgb[i][c] = component(data[i * 3 + c]);
    } else {
      e.ErrMsg("ColorTable(?) expects {{red,grn,blu},...}");
    }
  }
  std::free(data);
  e.ReturnVoid();
  return false;
}

}  // namespace

void setup_ctab(Registry& r) {
  r.AddCFun("ColorTable", "RGBarray", "change image color map", setctab);
}

}  // namespace orv
