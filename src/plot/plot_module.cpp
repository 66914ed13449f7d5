// The plot module's part of the language: the plot, image, imagefile,
// newaxis and slabel statements, the page labels of `label` lines and the
// plot state's part in a run, installed into an engine's module table.
#include "plot/plot_module.h"

#include "lang/engine.h"
#include "plot/plot.h"

namespace orv {

// slabel -> 'slabel' aexpr
void Engine::slabel() {
  ExprNode* e = nullptr;
  aexpr(&e);
  if (pass2) {
    gmissidx = 0;
    getstr = nullptr;
    double v;
    EvalExpr(e, &v);
    if (getstr && gmissidx) {
      ++labn;
      makeLabel(plot(), getstr, labn);
    } else
      errmsg(" can't get string");
    getstr = nullptr;
    gmissidx = 0;
  }
  freexpr(e);
  Require(EOL);
}

// plot -> ( 'plot' | 'plotline' ) expr
bool Engine::plotstmt() {
  if (tokn != KW_PLOT && tokn != KW_PLOTLINE) return false;
  plot().lineplot = tokn == KW_PLOTLINE;
  accept(tokn);
  ExprNode* e = nullptr;
  if (!expr(&e)) missexpr();
  if (pass2 && e) GenPlot(*this, e, kTracePlot);
  freexpr(e);
  return true;
}

// image -> 'image' expr
bool Engine::imagestmt() {
  if (!accept(KW_IMAGE)) return false;
  ExprNode* e = nullptr;
  if (!expr(&e)) missexpr();
  if (pass2 && e) GenPlot(*this, e, kImagePlot);
  freexpr(e);
  return true;
}

// imagefile -> 'imagefile' [ '(' ] name [ ',' rectangle ] [ ')' ]
bool Engine::imgfilestmt() {
  if (!accept(KW_IMAGEFILE)) return false;
  bool paren = accept('(');
  ExprNode* name = nullptr;
  ExprNode* rect = nullptr;
  if (!aexpr(&name)) missexpr();
  if (accept(',') && !aexpr(&rect)) missexpr();
  if (paren) Require(')');
  if (pass2 && name && tokn != ABORT) GenPlot(*this, name, kPicturePlot, rect);
  freexpr(name);
  freexpr(rect);
  return true;
}

namespace {

bool slabelStatement(Engine& e) {
  if (!e.accept(KW_SLABEL)) return false;
  e.slabel();
  return true;
}

bool plotStatement(Engine& e) { return e.plotstmt() || e.imagestmt() || e.imgfilestmt(); }

bool newaxisStatement(Engine& e) {
  if (!e.accept(KW_NEWAXIS)) return false;
  axisstmt(e);
  return true;
}

void finishOutcome(Engine& e, RunOutcome& out) {
  out.plot = e.plot().made;
  // No plot now and none before: the plot window goes away.
  out.showPlot = !(e.initplot == 1 && e.plot().nstrips == 0);
  if (out.ok) removeUnusedLabels(e.plot());
}

}  // namespace

void installPlotModule(Engine& e) {
  e.plot_ = {new PlotState, [](PlotState* ps) { delete ps; }};
  Modules& m = e.modules();
  m.lineStatements.push_back(slabelStatement);
  m.statements.push_back(plotStatement);
  m.statements.push_back(newaxisStatement);
  m.labelText = [](Engine& en, const std::string& text, int k) { makeLabel(en.plot(), text, k); };
  m.runStarts.push_back(plotRunStart);
  m.passEnds.push_back(plotRunEnd);
  m.runEnds.push_back(finishOutcome);
}

}  // namespace orv
