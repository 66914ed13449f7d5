// Expression nodes: the pooled allocator and the builders and releasers that
// the parser, the evaluator and the array code share.
#include "lang/exprs.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "lang/engine.h"

namespace orv {

NodePool::~NodePool() {
  releaseChunks();
  for (ExprNode* c : abandoned_) std::free(c);
}

bool NodePool::grow() {
  auto* chunk = static_cast<ExprNode*>(std::malloc(sizeof(ExprNode) * kChunk));
  if (!chunk) return false;
  chunk[0].op = 0;
  chunk[0].right = chunklist_;
  chunklist_ = chunk;
  for (int i = kChunk - 1; i >= 1; --i) {
    chunk[i].op = 0;
    chunk[i].right = freelist_;
    freelist_ = &chunk[i];
  }
  return true;
}

void NodePool::releaseChunks() {
  while (chunklist_) {
    ExprNode* next = chunklist_->right;
    std::free(chunklist_);
    chunklist_ = next;
  }
}

bool NodePool::reset() {
  bool clean = inuse_ == 0;
  if (clean) {
    releaseChunks();
  } else {
    // Nodes still referenced somewhere must stay valid memory.
    for (ExprNode* c = chunklist_; c; c = c->right) abandoned_.push_back(c);
    chunklist_ = nullptr;
  }
  freelist_ = nullptr;
  inuse_ = 0;
  return clean;
}

// ---------------------------------------------------------------------------
// Builders
// ---------------------------------------------------------------------------

// Memory exhaustion cannot be carried on from; it unwinds to Engine::run,
// which reports it and ends the run.
ExprNode* Engine::newexpr() {
  ExprNode* n = nodes_.take();
  if (!n) throw std::bad_alloc();
  return n;
}

ExprNode* Engine::makexpr(ExprNode* left, int op, ExprNode* right) {
  ExprNode* n = newexpr();
  n->op = op;
  n->left = left;
  n->right = right;
  return n;
}

ExprNode* Engine::makecon(double value) {
  ExprNode* n = newexpr();
  n->op = CON;
  n->value = value;
  n->right = nullptr;
  return n;
}

ExprNode* Engine::makestr(const char* text) {
  ExprNode* n = newexpr();
  n->op = STR;
  n->text = putstr(text);
  n->right = nullptr;
  return n;
}

ExprNode* Engine::makeparm(int i) {
  ExprNode* n = newexpr();
  n->op = PARM;
  n->left = nullptr;
  n->parm = i;
  n->right = nullptr;
  return n;
}

ExprNode* Engine::makevar(Symbol* s) {
  if (s->islocal && s->def) return makeparm(s->def->parm);
  ExprNode* n = newexpr();
  n->op = VAR;
  n->sym = s;
  n->right = nullptr;
  return n;
}

// ---------------------------------------------------------------------------
// Releasers
// ---------------------------------------------------------------------------

// Frees a tree without recursion: trees can be as deep as a long chain of
// operators, and freeing must never exhaust the stack.
void Engine::freexpr(ExprNode* root) {
  if (!root) return;
  std::size_t base = freeStack_.size();
  freeStack_.push_back(root);
  while (freeStack_.size() > base) {
    ExprNode* n = freeStack_.back();
    freeStack_.pop_back();
    switch (n->op) {
      case VAR:
      case CON:
      case PARM:
      case STR:
      case MFUN:
      case CFUN:
      case REF:
        break;
      case VEC:
      case BLK:
        std::free(n->block);
        break;
      case SEL:
      case FOLD:
        if (n->left) freeStack_.push_back(n->left);
        break;
      case LIST:
      case CALL:
      case IDX:
      case DIMS:
      case RNG:
      case '*':
      case '+':
      case '-':
      case '/':
      case '<':
      case '=':
      case '>':
      case '^':
      case '|':
      case ASSIGN:
      case SEQ:
      case GE:
      case LE:
      case EQ:
      case NE:
      case KW_AND:
      case KW_OR:
      case KW_NOT:
      case KW_WHEN:
      case KW_WHILE:
      case KW_UNKNOWN:
      case KW_KNOWN:
        if (n->left) freeStack_.push_back(n->left);
        if (n->right) freeStack_.push_back(n->right);
        break;
      default:
        if (isinfun(n->op)) {
          if (n->left) freeStack_.push_back(n->left);
          if (n->right) freeStack_.push_back(n->right);
          break;
        }
        BugAlert("freexpr unknown op=%ld", n->op);
        continue;  // not freed
    }
    forgetCode(n);
    freenode(n);
  }
}

void Engine::freeparms(ExprNode* list) {
  while (list) {
    if (list->op != LIST) {
      BugAlert("freeparms bad list op=%ld", list->op);
      return;
    }
    ExprNode* next = list->right;
    if (list->left && list->left->op == CON) freenode(list->left);
    freenode(list);
    list = next;
  }
}

void Engine::freechunks() {
  long used = nodes_.inuse();
  if (!nodes_.reset()) BugAlert("freechunks %ld nodes in use", used);
}

}  // namespace orv
