// The engine: all language, evaluation and run state of one document.
//
// Each module of the language is a group of Engine member functions in its
// own source file (text buffer, scanner, nodes, symbols, parser, run driver,
// evaluator, formatting). They share the state below the way the modules of a
// small interpreter share one state record. Nothing here is global; every
// document owns an Engine, and tests can run several side by side.
#pragma once

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/large_block.h"
#include "lang/exprs.h"
#include "lang/host.h"
#include "lang/modules.h"
#include "lang/symtab.h"
#include "lang/text_storage.h"
#include "lang/tokens.h"

namespace orv {

class Picture;
struct Code;
struct DefLink;
namespace spice {
class Simulators;
}

// Room for the text of any number in any format with up to 255 places.
inline constexpr std::size_t kNumberText = 400;

// The quiet NaN that marks stored elements whose value was unknown.
inline constexpr double kNan04 = std::bit_cast<double>(uint64_t{0x7FF8000000000000});

// Largest stored array, in elements (2 GiB of doubles).
inline constexpr int64_t kMaxArrayElements = int64_t(1) << 28;

// Largest nesting of an expression that the parser accepts.
inline constexpr int kMaxNesting = 5000;

class Registry;
class DataWriter;
class InputFile;
struct PlotState;

// One data file read in this run: single-precision values, row by row.
struct DataFile {
  FloatBlock values;
  int64_t cols = 0;  // 0 or less: one-dimensional
};

class Engine {
 public:
  // [registry] lists the add-on functions the engine can define; null: none.
  explicit Engine(Host& host, const Registry* registry = nullptr);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void setSettings(const DocSettings& s);

  // The worksheet's file, for names of data and include files relative to
  // it; empty for an untitled document.
  void setDocumentPath(std::string path) { documentPath_ = std::move(path); }
  const std::string& documentPath() const { return documentPath_; }

  // Limits the files a worksheet may name (read, write, include, imagefile)
  // to [folder] and below, after resolving ".." and symbolic links; an
  // empty folder allows none. Without a call there is no limit.
  void setConfinement(std::string folder) {
    confinement_ = std::move(folder);
    confined_ = true;
  }
  void clearConfinement() {
    confinement_.clear();
    confined_ = false;
  }
  const DocSettings& settings() const { return settings_; }

  // The stop button. The flag may be set from any thread; the run notices it
  // at its next poll.
  void setStopRequest(const std::atomic<bool>* flag) { stopRequest_ = flag; }

  // The program runspice starts (a name found on the PATH, or a path).
  void setSimulatorCommand(std::string command) { simulatorCommand_ = std::move(command); }

  // Runs the worksheet in [text], editing it. Needs a deep stack (see
  // runOnLargeStack in lang/large_stack.h).
  RunOutcome run(TextStorage& text);

  // The plot state, present when the plot module is installed.
  PlotState& plot() { return *plot_; }
  bool hasPlot() const { return plot_ != nullptr; }

  // The statements and functions of the modules above the language core.
  Modules& modules() { return modules_; }

  // ===================================================================
  // Everything below is the engine's inside: the language modules share it,
  // and white-box tests reach it.
  // ===================================================================

  // ---- Run driver (lang/run.cpp)
  int64_t dopass1();  // -1 on success, else the text position of the fault
  int64_t dopass2();
  bool pass();
  void reparse();
  void tabset();
  // Called for every node evaluated. The poll is one relaxed atomic load, so
  // looking every 2^14 calls keeps a stop request waiting well under a
  // millisecond of evaluation.
  void cmdper() {
    if ((chk_++ & 0x3FFF) == 0) pollStop();
  }
  void pollStop();

  // ---- Text buffer and messages (lang/textbuf.cpp)
  void WESetTextStorage(TextStorage* storage, int64_t offset, std::string buffer);
  std::size_t WEInsert(std::string_view text);
  void WEDelete();
  void WESetStyle(int style);
  void setinsert(std::size_t p) { selo = selhi = p; }
  void insert(std::string_view text);
  void replace(std::string_view text);
  void del2eol();
  void errmsg(std::string_view msg);
  void errmsg2(const char* format, const char* arg);
  void errmsg2(const char* format, double arg);
  void BugAlert(const char* format, long arg);
  void BugAlert(const char* text);
  std::size_t textPos(std::size_t bufferPos) const { return bufferPos + seloff; }

  // ---- Scanner (lang/scan.cpp)
  void scan(std::size_t& p);
  bool accept(int code);
  void Require(int code);
  static std::string pritok(int code);

  // ---- Nodes (lang/exprs.cpp)
  ExprNode* newexpr();
  void freenode(ExprNode* n) { nodes_.give(n); }
  ExprNode* makexpr(ExprNode* left, int op, ExprNode* right);
  ExprNode* makecon(double value);
  ExprNode* makestr(const char* text);
  ExprNode* makeparm(int i);
  ExprNode* makevar(Symbol* s);
  void freexpr(ExprNode* n);
  void freeparms(ExprNode* list);
  void freechunks();

  // ---- Strings and symbols (lang/symtab.cpp)
  const char* putstr(const char* text);
  const char* putstr(const char* text, std::size_t len);
  bool chkstrs(std::size_t n);
  Symbol* symref(const char* name);
  Symbol* lookup(const char* name) const;  // no symbol is created
  Symbol* localsym(Symbol* s);
  void killocals();
  void freesyms();
  Symbol* allocsym();

  // ---- Parser (lang/parser.cpp, lang/statements.cpp)
  bool stmt();
  bool estmt();
  void includestmt();
  void slabel();
  void labline(std::size_t start, int k,
               const std::vector<std::pair<std::size_t, std::string>>& inserted);
  bool imagestmt();
  bool plotstmt();
  bool imgfilestmt();
  void definition(ExprNode* lhs);
  bool fundef(ExprNode* call);
  ExprNode* setdim(ExprNode* formula, int ndims);
  void tablestmt();
  void ParseIncludeDoc(const char* name);
  int64_t inclpass();
  void defvar(Symbol* s, ExprNode* e);
  bool arraydef(ExprNode* lhs);
  bool expr(ExprNode** t);
  bool cond(ExprNode** t);
  bool aexpr(ExprNode** t);
  bool asgn(ExprNode** t);
  bool bxpr(ExprNode** t);
  bool orx(ExprNode** t);
  bool andx(ExprNode** t);
  bool notx(ExprNode** t);
  bool rel(ExprNode** t);
  bool term(ExprNode** t);
  bool mult(ExprNode** t);
  bool negate(ExprNode** t);
  bool concat(ExprNode** t);
  bool pwr(ExprNode** t);
  bool primary(ExprNode** t);
  bool subscript(ExprNode** t);
  bool funcall(Symbol* s, ExprNode** t);
  bool parenexp(ExprNode** t);
  bool selist(ExprNode** t);
  bool incall(ExprNode** t);
  ExprNode* sumcall();
  ExprNode* readcall();
  ExprNode* writecall();
  ExprNode* twoparm(int code);
  ExprNode* arglist(int close, int* count);
  int Relop();
  bool fparm(ExprNode* list, int* count);
  void chkparms(Symbol* s, ExprNode* list);
  void missexpr() { errmsg(" Missing expression"); }
  bool enterNesting();
  void leaveNesting() { --nest_; }

  // ---- Evaluator (eval/eval.cpp, eval/calls.cpp, eval/conditions.cpp)
  bool EvalExpr(ExprNode* n, double* result);
  // EvalExpr's look at the poll, the stop flag and the stack before a node.
  bool enterEval();
  bool evalbool(ExprNode* n, int* truth);
  bool evalvar(Symbol* s, double* result);
  bool builtin1(int op, double* result, bool* known, double x);
  bool evalsum(ExprNode* n, double* result);
  bool evalcall(ExprNode* n, double* result);
  bool evalparm(ExprNode* n, double* result);
  bool evalalternatives(ExprNode* n, double* result);
  bool evalwhen(ExprNode* n, double* result);
  bool evalwhile(ExprNode* n, double* result);
  ExprNode* evalparms(ExprNode* list);
  ExprNode* getparm(int i);
  bool toodeep(Symbol* s);
  double randr(double x);
  bool stackExhausted() {
    return stackLimit_ && static_cast<const char*>(__builtin_frame_address(0)) < stackLimit_;
  }
  bool evalextension(ExprNode* n, double* result);

  // ---- Compiled evaluation (eval/code_cache.cpp, eval/compile.cpp)
  // EvalExpr(def) for a definition: its compiled code once it has been
  // evaluated before in this run, else the tree.
  bool evalDefinition(ExprNode* def, double* result);
  // The same through a call site's link to the code.
  bool runDefinition(ExprNode* def, DefLink& link, double* result);
  const Code* codeFor(ExprNode* def);
  // Code for a loop body or an array element, owned by the caller; null
  // when compiling gains nothing. [live] nodes are constants that change.
  std::unique_ptr<Code, void (*)(Code*)> compileTransient(ExprNode* n,
                                                          std::span<ExprNode* const> live = {});
  // EvalExpr's entry for transient code; the stack is looked at when
  // [checkStack] (the first step of a loop, whose steps all run at one depth).
  bool runTransient(const Code& code, bool checkStack, double* result);
  // The same for a loop's condition, read as evalbool reads it.
  std::unique_ptr<Code, void (*)(Code*)> compileTransientCondition(ExprNode* n);
  bool runTransientCondition(const Code& code, bool checkStack, int* truth);
  // [n] is being freed: code compiled from it is dropped.
  void forgetCode(ExprNode* n) {
    if (codeCount_ > 0) dropCode(n);
  }
  void dropCode(ExprNode* n);
  void clearCode();

  // ---- Result text (eval/result.cpp)
  void eval(ExprNode* n);
  bool neval(ExprNode* n);
  void showarray(ExprNode* n);
  int sprintnum(char* out, std::size_t size, double x) const;

  // ---- Arrays and strings (eval/arrays.cpp, eval/stringops.cpp)
  bool evalbinary(ExprNode* n, double* result);

  // ---- Assignment (eval/assgn.cpp)
  bool evalasgn(ExprNode* n, double* result);
  Symbol* assignTarget(ExprNode* n, ExprNode** savedIndex);
  bool storeAssigned(ExprNode* n, Symbol* s, bool known, double v, ExprNode* savedIndex);
  bool evalasgnel(ExprNode* n);
  ExprNode* copyvec(ExprNode* e);
  ExprNode* buildarr(ExprNode* e, int64_t n, double** first);
  void fillarr(double** cursor, int64_t n, ExprNode* node, ExprNode* e);
  ExprNode* varval(ExprNode* var);
  Symbol* lvar(ExprNode* n);
  void badel(const char* name);
  double* newvec(int64_t n);
  ExprNode* makevec(double* block, int64_t n);
  ExprNode* makefold(ExprNode* inner, int64_t size);
  bool evalidx(ExprNode* n, double* result);
  bool evalavar(Symbol* s, double* result);
  bool checkdims(Symbol* s, ExprNode* sizes, ExprNode* indices);
  bool evalsel(ExprNode* n, double* result);
  bool evalvec(ExprNode* n, double* result);
  bool evalfold(ExprNode* n, double* result);
  bool evalrng(ExprNode* n, double* result);
  bool count(ExprNode* n, double* result);
  bool indexstr(double* result);
  bool evalconcat(ExprNode* n, double* result);
  bool evalsprnt(ExprNode* n, double* result);
  int checkformat(const char* format, std::string* safeFormat);
  int packchars(ExprNode* e, int64_t n, char* out);
  std::string GetVarStr(const char* name);
  bool GetParmName(int i, std::string* out);
  bool evalArgument(int i, double* result);
  void toolong() { errmsg(" string is too long |"); }
  void notstr() { errmsg(" string required for |"); }

  // ---- Files, data files and include files (data/*.cpp)
  std::optional<std::string> macPath(const std::string& name) const;
  int64_t OpenDataFile(const std::string& name, const std::string& format, std::string* path);
  bool outsideConfinement(const std::string& path, const std::string& name);
  bool evalread(ExprNode* n, double* result);
  bool evalwrite(ExprNode* n, double* result);
  bool getname(ExprNode* e, std::string* name);
  bool GetOptParm(ExprNode* e, int64_t* target, bool nonNegative);
  bool intvlerr(int64_t interval);
  int GetData(const InputFile& file, std::size_t start, uint32_t type, int64_t length,
              int64_t interval);
  bool readText(const InputFile& file, std::size_t start, std::size_t most, ByteBlock* text);
  bool readdbl8(ExprNode* n, const InputFile& file, std::size_t start, int64_t length,
                int64_t cols);
  bool dataelement(const DataFile& f, double* result);
  void freedfs() { dfs_.clear(); }
  bool quickwrite(DataWriter& out, ExprNode* e, int64_t* cols, int format);
  void writenum(DataWriter& out, bool known, int format, double v);
  void writeFailed(const std::string& name, const char* what, int error);
  int fmtindex(const std::string& name);

  // ---- Tables (data/table.cpp)
  struct TableRange {
    Symbol* n = nullptr;
    double first = 0, step = 0;
    int steps = 0;
  };
  void deltable();
  std::size_t rowposition() const;
  void insertrow(std::size_t at, const std::string& row);
  int setnfmt();
  bool tablesetting(const char* name, double fallback, double excluded, const char* message,
                    double* value);
  bool setnsyms(TableRange* range);
  std::string tablenum(ExprNode* e, int width);
  bool tablearray(ExprNode* e, int width);
  void writetable(const std::vector<ExprNode*>& list, int width);

  // ---- Matrices (eval/matrix.cpp)
  bool GetMatrix(ExprNode* e, double** data, int64_t* rows, int64_t* cols);
  double* copyfold(ExprNode* e, int64_t* rows, int64_t* cols);
  bool LUdcomp(double* a, int n, int* d);
  bool evaldet(ExprNode* n, double* result);
  double* AddLoopIndex();
  void RemoveLoopIndex();

  // ---- Add-on interface (packages/xfunhook.cpp); argument i counts from
  // the last argument of the call, which is 0.
  void setAddOnEnabled(int slot, bool enabled);
  bool addOnEnabled(int slot) const;
  const Registry& registry() const { return *registry_; }
  void Predef();
  bool evalcfun(ExprNode* n, double* result);
  bool evalmfun(ExprNode* n, double* result);
  bool GetParmVal(int i, double* v);
  ExprNode* MakeParmExpr(int i);
  bool ProbeExpr(ExprNode* e, double* v, bool* isarray, int64_t* size);
  double* AddIndex(ExprNode** e);
  void RemoveIndex(ExprNode** e);
  bool GetExprMatrix(ExprNode* e, double** data, int64_t* rows, int64_t* cols) {
    return GetMatrix(e, data, rows, cols);
  }
  void FreeExpr(ExprNode* e) { freexpr(e); }
  bool GetVarVal(const char* name, double* value);
  ExprNode* MakeVarExpr(const char* name);
  std::string GetVarString(const char* name) { return GetVarStr(name); }
  Symbol* settable(const char* name);
  bool SetVarVal(const char* name, double v);
  bool SetVarString(const char* name, const char* text);
  // Takes ownership of [data] (malloc'ed): cols > 0 a rows x cols matrix,
  // cols = 0 a vector of rows values, rows = cols = 0 the scalar data[0].
  bool SetVarMatrix(const char* name, double* data, int64_t rows, int64_t cols);
  void FoldVar(const char* name, int64_t n);
  void AddFunDim(const char* name, int64_t n);
  void ReturnVoid() { anyasgn = 1; }
  void ErrMsg(const char* format, const char* arg) { errmsg2(format, arg); }
  void ErrMsg(const char* text) { errmsg(text); }
  // Packages call this in long loops, far less often than the evaluator
  // visits nodes, so it looks at the stop button every time.
  void SpinWatch() {
    cmdper();
    pollStop();
  }
  bool Stopped() const { return stop != 0; }
  // Ends the simulators this document started (packages/spice.cpp).
  void endSimulators();

  // ===================================================================
  // State
  // ===================================================================
  Host& host_;
  DocSettings settings_;
  const Registry* registry_;
  Modules modules_;
  std::vector<char> enabled_;  // per registry slot
  const std::atomic<bool>* stopRequest_ = nullptr;

  // Run (lang/run.cpp)
  int32_t stop = 0;
  int32_t pass2 = 0;
  uint64_t chk_ = 0;
  double lastprint = 0;
  int labn = 0;
  int initplot = 1;
  int firststrip = 0;
  std::unique_ptr<PlotState, void (*)(PlotState*)> plot_{nullptr, nullptr};  // plot module
  // While a `label` line runs: the results inserted, at their buffer places.
  std::vector<std::pair<std::size_t, std::string>>* insertLog_ = nullptr;
  Symbol* anyukn = nullptr;
  int newtabWidth = 0;

  // Text buffer
  TextStorage* hWE = nullptr;
  std::string cstring;     // the buffer; cstring.size() + 1 == bufend
  std::size_t bufend = 0;  // length including the terminating NUL
  int64_t seloff = 0;
  std::size_t selo = 0, selhi = 0;
  std::size_t lastsel = 0;
  int havemsg = 0;
  std::string statusText;

  // Scanner
  int32_t tokn = NOTOK;
  double tokcon = 0;
  char tokstr[128] = {};

  // Parser
  int32_t eqok = 0;
  int nest_ = 0;

  // Nodes, strings, symbols
  NodePool nodes_;
  StringPool strpool_;
  SymbolRecords symrecs_;
  Symbol* hashtab[kBuckets] = {};
  std::vector<Symbol*> locals_;       // local symbols in the table now
  std::vector<ExprNode*> freeStack_;  // work list of freexpr

  // Documents and data files
  std::string documentPath_;
  std::string confinement_;  // see setConfinement
  bool confined_ = false;
  std::vector<DataFile> dfs_;  // the data-file table of this run
  int isOrvl = 0;              // the last opened data file was written by us
  int includeDepth_ = 0;

  // Evaluator
  ExprNode* gindex = nullptr;
  ExprNode* gparms = nullptr;
  int gmissidx = 0;
  int64_t gdim = 0;
  double* gvec = nullptr;
  const char* getstr = nullptr;
  Symbol* uknvar = nullptr;
  int anyasgn = 0;
  double angunits = 1.0;
  const char* stackLimit_ = nullptr;
  // Compiled definitions of this run (eval/code_cache.cpp); the generation
  // changes whenever compiled code is dropped.
  struct CodeCache;
  std::unique_ptr<CodeCache, void (*)(CodeCache*)> codeCache_{nullptr, nullptr};
  std::size_t codeCount_ = 0;
  uint64_t codeGeneration_ = 1;
  uint64_t defChanges_ =
      0;  // definitions replaced by ':=' so far  // evaluation stops below this address
  struct RandomState;
  RandomState* random_ = nullptr;
  // Tables of the Fourier transforms, kept between calls (packages/fft.cpp).
  struct FftTables;
  std::unique_ptr<FftTables, void (*)(FftTables*)> fftTables_{nullptr, nullptr};
  // The circuit simulator: its program, and the processes started for this
  // document, which outlive a run (packages/spice.cpp).
  std::string simulatorCommand_ = "ngspice";
  std::shared_ptr<spice::Simulators> simulators_;
  static RandomState* newRandomState();
  static void deleteRandomState(RandomState* r);
};

}  // namespace orv
