// The data module's part of the language: the include and table statements
// and the read and write functions, installed into an engine's module table.
#include "data/data_module.h"

#include "lang/engine.h"

namespace orv {

// includestmt -> 'include' ( string | name )
void Engine::includestmt() {
  if (tokn != STRING && tokn != VARIABLE) {
    errmsg(" missing file name");
    return;
  }
  if (!pass2) ParseIncludeDoc(tokstr);
  if (tokn == ABORT) return;
  accept(tokn);
  Require(EOL);
}

namespace {

bool includeStatement(Engine& e) {
  if (!e.accept(KW_INCLUDE)) return false;
  e.includestmt();
  return true;
}

bool tableStatement(Engine& e) {
  if (!e.accept(KW_TABLE)) return false;
  e.tablestmt();
  return true;
}

}  // namespace

void installDataModule(Engine& e) {
  Modules& m = e.modules();
  m.lineStatements.push_back(includeStatement);
  m.lineStatements.push_back(tableStatement);
  m.functions.emplace_back(FN_READ,
                           [](Engine& en, ExprNode* n, double* r) { return en.evalread(n, r); });
  m.functions.emplace_back(FN_WRITE,
                           [](Engine& en, ExprNode* n, double* r) { return en.evalwrite(n, r); });
}

}  // namespace orv
