// The statements, functions and run events that modules above the language
// core (data files, plots) add to it. The core knows them only through this
// table, which the modules fill when an engine is assembled; an engine made
// without them runs the language alone.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orv {

class Engine;
struct ExprNode;
struct RunOutcome;

struct Modules {
  // A statement tried at the current token: consumes its statement and
  // returns true, or returns false without consuming anything.
  using Statement = bool (*)(Engine& engine);
  // Evaluates a node of a kind the module owns, as EvalExpr does.
  using Function = bool (*)(Engine& engine, ExprNode* node, double* result);

  // Statements that stand at the start of a line (include, table, slabel).
  std::vector<Statement> lineStatements;
  // Statements that may follow a `label` prefix (plot, image, newaxis, ...).
  std::vector<Statement> statements;
  // Node kinds by their op code.
  std::vector<std::pair<int, Function>> functions;
  // The text of the [k]th `label` line of pass 2.
  void (*labelText)(Engine& engine, const std::string& text, int k) = nullptr;
  // Pass 1 starts, after the language state was reset.
  std::vector<void (*)(Engine& engine)> runStarts;
  // Pass 2 ended; [finished] when it was not aborted.
  std::vector<void (*)(Engine& engine, bool finished)> passEnds;
  // The run's outcome is complete; modules add to it.
  std::vector<void (*)(Engine& engine, RunOutcome& outcome)> runEnds;
};

}  // namespace orv
