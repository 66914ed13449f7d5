// The compiler from expression trees to compiled nodes, and the element
// access of indexed symbols.
#include <algorithm>
#include <utility>

#include "eval/compiled.h"
#include "eval/compiled_nodes.h"

namespace orv {

namespace {

// Deeper trees run their lower parts as the tree, whose every node looks at
// the stack: compiled nodes look at it only at calls, loops and sums.
constexpr int kMaxCompileDepth = 200;

bool isBuiltin1(int op) {
  return isinfun(op) && op != FN_ATAN2 && op != FN_COUNT && op != FN_DET && op != FN_READ &&
         op != FN_SPRINTF && op != FN_SUM && op != FN_WRITE;
}

// Built-ins that never report a domain error.
bool isTotalBuiltin(int op) { return op == FN_ABS || op == FN_TRUNC || op == FN_EXP; }

bool isComparison(int op) {
  return op == '<' || op == '>' || op == '=' || op == GE || op == LE || op == EQ || op == NE;
}

bool isArithmetic(int op) {
  return op == '+' || op == '-' || op == '*' || op == '/' || op == '^' || op == FN_ATAN2 ||
         isComparison(op);
}

class Compiler {
 public:
  Compiler(Engine& e, Code& code, std::span<ExprNode* const> live)
      : e_(e), code_(code), live_(live) {}

  // [n] where the tree evaluator calls EvalExpr(n). [dirty]: the stop flag
  // may be set here; afterwards it tells the same of the next part.
  const CNode* value(ExprNode* n, bool& dirty) {
    if (!n) return make<NullNode>();  // EvalExpr(null) looks at nothing
    CNode* c = depth_ >= kMaxCompileDepth ? fallback(n) : build(n);
    c->check = dirty && needsCheck(c);
    dirty = dirty || !c->pure;
    return c;
  }

  // [n] where the tree evaluator calls evalbool(n), which does not look at
  // the stop flag itself.
  const CNode* cond(ExprNode* n, bool& dirty) {
    if (!n) return make<NullNode>();
    if (depth_ >= kMaxCompileDepth) {
      auto* c = make<CondFallbackNode>();
      c->tree = n;
      dirty = true;
      return c;
    }
    Depth guard(depth_);
    switch (n->op) {
      case KW_AND:
      case KW_OR: {
        AndNode* c = n->op == KW_AND ? make<AndNode>() : make<OrNode>();
        c->left = cond(n->left, dirty);
        c->right = cond(n->right, dirty);
        c->pure = c->left->pure && c->right->pure;
        return c;
      }
      case KW_NOT: {
        auto* c = make<NotNode>();
        c->operand = cond(n->right, dirty);
        c->pure = c->operand->pure;
        return c;
      }
      case KW_KNOWN:
      case KW_UNKNOWN: {
        auto* c = make<KnownNode>();
        c->wantKnown = n->op == KW_KNOWN;
        c->operand = value(n->right, dirty);
        c->pure = c->operand->pure;
        return c;
      }
      default:
        // A value read as a condition (truthOf): condPart reads any value
        // so. A comparison goes to evalbinary directly, past EvalExpr.
        if (isComparison(n->op)) return binary(n, dirty);
        return value(n, dirty);
    }
  }

 private:
  struct Depth {
    explicit Depth(int& d) : d_(d) { ++d_; }
    ~Depth() { --d_; }
    int& d_;
  };

  template <class T>
  T* make() {
    auto node = std::make_unique<T>();
    T* raw = node.get();
    raw->fn = &T::eval;
    code_.nodes.push_back(std::move(node));
    return raw;
  }

  bool isLive(const ExprNode* n) const {
    return std::find(live_.begin(), live_.end(), n) != live_.end();
  }

  // Nodes that begin with EvalExpr's own look at the flag need no other.
  static bool needsCheck(const CNode* c) {
    return !dynamic_cast<const FallbackNode*>(c) && !dynamic_cast<const CallNode*>(c);
  }

  CNode* fallback(ExprNode* n) {
    auto* c = make<FallbackNode>();
    c->tree = n;
    return c;
  }

  CNode* constant(double v) {
    auto* c = make<ConstNode>();
    c->value = v;
    c->pure = true;
    return c;
  }

  // The node itself; its parts start where EvalExpr has just looked at the
  // stop flag.
  CNode* build(ExprNode* n) {
    Depth guard(depth_);
    bool dirty = false;
    switch (n->op) {
      case CON: {
        if (!isLive(n)) return constant(n->value);
        auto* c = make<LiveConstNode>();
        c->value = &n->value;
        c->pure = true;
        return c;
      }
      case VAR: {
        auto* c = make<VarNode>();
        c->sym = n->sym;
        return c;
      }
      case PARM: {
        auto* c = make<ParmNode>();
        c->tree = n;
        return c;
      }
      case REF:
        return const_cast<CNode*>(value(n->left, dirty));
      case LIST:
        return alternatives(n);
      case CALL:
        return call(n);
      case IDX:
        return index(n);
      case ASSIGN: {
        // Element targets and x := without a value stay with the tree.
        if (!n->left || n->left->op != VAR || !n->right) return fallback(n);
        auto* c = make<AssignNode>();
        c->tree = n;
        bool valueDirty = true;  // the checks before the value may fault
        c->value = value(n->right, valueDirty);
        return c;
      }
      case SEQ: {
        auto* c = make<SequenceNode>();
        c->first = value(n->left, dirty);
        c->second = value(n->right, dirty);
        return c;
      }
      case KW_AND:
      case KW_OR:
      case KW_NOT:
      case KW_KNOWN:
      case KW_UNKNOWN: {
        auto* c = make<CondValueNode>();
        c->cond = cond(n, dirty);
        c->pure = c->cond->pure;
        return c;
      }
      case KW_WHEN: {
        auto* c = make<WhenNode>();
        c->cond = cond(n->right, dirty);
        c->value = value(n->left, dirty);
        return c;
      }
      case KW_WHILE: {
        auto* c = make<WhileNode>();
        bool polled = true;  // each step polls before its condition
        c->cond = cond(n->right, polled);
        polled = true;
        c->body = value(n->left, polled);
        return c;
      }
      case FN_SUM:
        return sum(n);
      default:
        if (isArithmetic(n->op) || isBuiltin1(n->op)) return binary(n, dirty);
        return fallback(n);
    }
  }

  CNode* alternatives(ExprNode* n) {
    auto* c = make<AlternativesNode>();
    bool dirty = false;
    for (ExprNode* l = n; l; l = l->op == LIST ? l->right : nullptr) {
      if (l->op != LIST) {
        c->items.push_back({Alternative::kBare, nullptr, value(l, dirty)});
        break;
      }
      ExprNode* e = l->left;
      if (e && e->op == KW_WHEN) {
        const CNode* guard = cond(e->right, dirty);
        bool afterGuard = dirty;
        c->items.push_back({Alternative::kGuarded, guard, value(e->left, afterGuard)});
      } else {
        c->items.push_back({Alternative::kPlain, nullptr, value(e, dirty)});
      }
    }
    return c;
  }

  CNode* call(ExprNode* n) {
    int count = 0;
    for (ExprNode* l = n->right; l; l = l->right) {
      if (l->op != LIST) return fallback(n);
      ++count;
    }
    if (!n->left || n->left->op != VAR) return fallback(n);
    auto* c = make<CallNode>();
    c->list = n->right;
    c->count = count;
    c->function = n->left->sym;
    bool dirty = false;
    for (ExprNode* l = n->right; l; l = l->right)
      c->args.push_back(l->left && l->left->op == CON ? nullptr : value(l->left, dirty));
    return c;
  }

  CNode* sum(ExprNode* n) {
    if (!n->right || !n->right->right) return fallback(n);
    auto* c = make<SumNode>();
    c->tree = n;
    bool dirty = false;
    c->lo = value(n->right->right->left, dirty);
    c->hi = value(n->right->right->right, dirty);
    bool stepDirty = false;  // each step looks at the flag first
    c->body = value(n->left, stepDirty);
    return c;
  }

  CNode* index(ExprNode* n) {
    ExprNode* indices[SymbolIndexNode::kMaxDims];
    int d = 0;
    ExprNode* base = n;
    while (base && base->op == IDX && d < SymbolIndexNode::kMaxDims) {
      indices[d++] = base->right;
      base = base->left;
    }
    if (base && base->op == VAR) {
      auto* c = make<SymbolIndexNode>();
      c->sym = base->sym;
      c->dims = d;
      // indices[] runs from the last index to the first, the order of
      // evaluation.
      for (int k = 0; k < d; ++k) {
        bool dirty = false;
        c->index[d - 1 - k] = value(indices[k], dirty);
        c->checkAfter[d - 1 - k] = dirty;
      }
      return c;
    }
    auto* c = make<IndexNode>();
    bool dirty = false;
    c->index = value(n->right, dirty);
    c->base = value(n->left, dirty);
    return c;
  }

  // A binary operator or built-in whose node the caller places.
  CNode* binary(ExprNode* n, bool& dirty) {
    const int op = n->op;
    ExprNode* l = n->left;
    ExprNode* r = n->right;
    auto constantOperand = [&](ExprNode* x) { return x && x->op == CON && !isLive(x); };
    const bool leftConstant = constantOperand(l);
    const bool rightConstant = isBuiltin1(op) || constantOperand(r);
    // Both operands constant: the value now, when it cannot be an error.
    if (isArithmetic(op) && leftConstant && rightConstant) {
      double v;
      if (binaryValue(e_, op, l->value, r->value, &v)) return constant(v);
    }
    const bool parmAndConstant = l && l->op == PARM && rightConstant && !leftConstant;
    BinaryNodeBase* c = makeBinary(op, leftConstant      ? 2
                                       : parmAndConstant ? 3
                                       : rightConstant   ? 1
                                                         : 0);
    c->op = op;
    if (parmAndConstant) {
      c->leftParm = l;
      c->leftCheck = dirty;
      dirty = true;
      if (!isBuiltin1(op)) c->rightValue = r->value;
      return c;
    }
    bool pure = isArithmetic(op) || isTotalBuiltin(op);
    auto operand = [&](ExprNode* x, const CNode** slot, double* k) {
      if (constantOperand(x)) {
        *k = x->value;
        return;
      }
      if (x && x->op == CON) {  // read in place, without EvalExpr
        auto* live = make<LiveConstNode>();
        live->value = &x->value;
        live->pure = true;
        *slot = live;
        return;
      }
      *slot = value(x, dirty);
      pure = pure && (*slot)->pure;
    };
    operand(l, &c->left, &c->leftValue);
    if (!isBuiltin1(op)) operand(r, &c->right, &c->rightValue);
    c->pure = pure;
    return c;
  }

  template <int Op>
  BinaryNodeBase* makeShaped(int shape) {
    switch (shape) {
      case 3:
        return make<BinaryNode<Op, 3>>();
      case 1:
        return make<BinaryNode<Op, 1>>();
      case 2:
        return make<BinaryNode<Op, 2>>();
      default:
        return make<BinaryNode<Op, 0>>();
    }
  }

  BinaryNodeBase* makeBinary(int op, int shape) {
    switch (op) {
      case '+':
        return makeShaped<'+'>(shape);
      case '-':
        return makeShaped<'-'>(shape);
      case '*':
        return makeShaped<'*'>(shape);
      case '/':
        return makeShaped<'/'>(shape);
      case '^':
        return makeShaped<'^'>(shape);
      case '<':
        return makeShaped<'<'>(shape);
      case '>':
        return makeShaped<'>'>(shape);
      case GE:
        return makeShaped<GE>(shape);
      case LE:
        return makeShaped<LE>(shape);
      default:
        return makeShaped<0>(shape);
    }
  }

  Engine& e_;
  Code& code_;
  std::span<ExprNode* const> live_;
  int depth_ = 0;
};

// The index list of [d] values [v] in [items] (2 * d nodes on the caller's
// stack): LIST nodes each holding a constant, the last one followed by [tail].
void linkIndices(ExprNode* items, const double* v, int d, ExprNode* tail) {
  for (int k = 0; k < d; ++k) {
    ExprNode& con = items[2 * k + 1];
    con.op = CON;
    con.value = v[k];
    con.right = nullptr;
    ExprNode& link = items[2 * k];
    link.op = LIST;
    link.left = &con;
    link.right = k + 1 < d ? &items[2 * k + 2] : tail;
  }
}

}  // namespace

std::unique_ptr<Code> compileCondition(Engine& e, ExprNode* n) {
  auto code = std::make_unique<Code>();
  Compiler compiler(e, *code, {});
  bool polled = true;
  code->entry = compiler.cond(n, polled);
  return code;
}

std::unique_ptr<Code> compileTree(Engine& e, ExprNode* n, std::span<ExprNode* const> live) {
  auto code = std::make_unique<Code>();
  Compiler compiler(e, *code, live);
  bool dirty = false;  // the caller has just looked at the flag
  code->entry = compiler.value(n, dirty);
  return code;
}

// ---------------------------------------------------------------------------
// Indexed symbols
// ---------------------------------------------------------------------------

bool SymbolIndexNode::eval(Engine& e, const CNode& c, double* r) {
  const auto& n = static_cast<const SymbolIndexNode&>(c);
  const int d = n.dims;
  ExprNode* saved = e.gindex;
  // The nested indexOf steps, outermost first: each evaluates its index
  // apart from the others, and the step inside begins at EvalExpr.
  e.gindex = nullptr;
  double v[kMaxDims];
  for (int k = d - 1; k >= 0; --k) {
    if (!run(e, *n.index[k], &v[k])) {
      e.gindex = saved;
      e.gdim = 0;
      e.gmissidx = 0;
      return false;
    }
    e.gvec = nullptr;
    if (n.checkAfter[k] && e.stop) {
      e.gindex = saved;
      return false;
    }
  }
  Symbol* s = n.sym;
  ExprNode* def = s->def;
  if (!saved && s->depth == 0 && def) {
    if (s->ndims < 1) {
      // A stored array: evalvec, or evalfold over evalvec, in place.
      double* element = nullptr;
      bool direct = false;
      if (d == 1 && def->op == VEC) {
        direct = true;
        std::optional<int64_t> k = elementOf(v[0]);
        if (k && *k < def->count) element = &def->block[*k];
      } else if (d == 2 && def->op == FOLD && def->left && def->left->op == VEC) {
        direct = true;
        const int64_t f = def->count;
        std::optional<int64_t> i = elementOf(v[0]);
        std::optional<int64_t> j = elementOf(v[1]);
        // The row may lie beyond the block, and the linear index past what
        // counts: no element then (evalfold's test, without a division).
        int64_t row = 0, linear = 0;
        if (i && j && *j < f && !__builtin_mul_overflow(*i, f, &row) &&
            !__builtin_add_overflow(row, *j + 1, &linear) && linear - 1 < def->left->count)
          element = &def->left->block[linear - 1];
      }
      if (direct) {
        if (element) {
          e.gvec = element;
          *r = *element;
          return true;
        }
        if (!e.uknvar) e.uknvar = s;
        return false;
      }
    } else if (s->ndims == d && s->nparams == 0) {
      // An array formula with all its indices: evalavar, with the bounds of
      // constant sizes compared here and other sizes evaluated as it does,
      // the indices already the formula's parameters.
      ExprNode* formula = def;
      bool inBounds = true;
      bool constantSizes = true;
      ExprNode* sizes = nullptr;
      if (formula->op == DIMS) {
        sizes = formula->right;
        int k = 0;
        for (ExprNode* l = sizes; l && constantSizes; ++k) {
          ExprNode* size = l->op == LIST ? l->left : l;
          l = l->op == LIST ? l->right : nullptr;
          if (!size || size->op != CON || k >= d) {
            constantSizes = false;
            break;
          }
          double z = size->value;
          if (!(z >= 0)) continue;
          if (z == 0) z = 1;
          if (v[k] > z) inBounds = false;
        }
        formula = formula->left;
      }
      ExprNode items[2 * kMaxDims];
      linkIndices(items, v, d, nullptr);
      ExprNode frame;
      frame.op = LIST;
      frame.left = &items[0];
      frame.right = e.gparms;
      e.gparms = &frame;
      ++s->depth;
      if (!constantSizes) inBounds = e.checkdims(s, sizes, &items[0]);
      bool known = inBounds && runLinked(e, formula, n.formulaLink, r);
      --s->depth;
      e.gparms = frame.right;
      if (!known && !e.uknvar) e.uknvar = s;
      return known;
    }
  }
  // Anything else: the indices on the index stack, and the symbol as the
  // tree evaluates it.
  ExprNode items[2 * kMaxDims];
  linkIndices(items, v, d, saved);
  e.gindex = d > 0 ? &items[0] : saved;
  bool known = e.evalvar(s, r);
  e.gindex = saved;
  return known;
}

}  // namespace orv
