// The function browser's outline apart from its window: the three groups and
// their rows, the enable codes, the toggle rules and the stored states.
#include "session/function_outline.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lang/addons.h"
#include "session/engine_assembly.h"

namespace orv {
namespace {

// States in memory, with every write recorded in order.
class MemoryStates : public EnableStates {
 public:
  bool enabled(const std::string& name) const override {
    auto it = stored.find(name);
    return it != stored.end() && it->second;
  }
  void setEnabled(const std::string& name, bool on) override {
    stored[name] = on;
    writes.push_back(name + (on ? "=on" : "=off"));
  }
  std::map<std::string, bool> stored;
  std::vector<std::string> writes;
};

bool entry(Engine&, double*) { return false; }

// Two functions outside a package around a package of three.
Registry smallRegistry() {
  Registry r;
  r.AddCFun("first", "x", "loose before", entry);
  r.AddFunPkg("pkg_", "three functions");
  r.AddCFun("a", "x", "one", entry);
  r.AddCFun("b", "x,y", "two", entry);
  r.AddMFun("c", "x", "three", entry);
  r.AddFunPkg(nullptr, nullptr);
  r.AddCFun("last", "", "loose after", entry);
  return r;
}

std::string row(const FunctionNode* n) {
  return n->name() + n->parms() + " | " + enableText(n->enableCode()) + " | " + n->description();
}

TEST(FunctionOutline, TheGroupsHoldEverySettingBuiltInAndPackageInOrder) {
  MemoryStates states;
  const Registry& registry = addOnRegistry();
  FunctionOutline outline(registry, states);
  ASSERT_EQ(outline.root().childCount(), 3);
  EXPECT_EQ(outline.root().child(3), nullptr);
  EXPECT_EQ(outline.root().child(-1), nullptr);

  const FunctionNode* settings = outline.group(FunctionOutline::kDefinedVariables);
  EXPECT_EQ(row(settings), "Defined Variables | x | ");
  ASSERT_EQ(settings->childCount(), 42);
  EXPECT_EQ(row(settings->child(0)), "X | x | independent plot variable");
  EXPECT_EQ(row(settings->child(18)), "Yshowgrid=off | x | supress horizontal grid lines");
  EXPECT_EQ(row(settings->child(27)), "N  | x | table variable");
  EXPECT_EQ(row(settings->child(41)), "Writeformat=\"FLT4\" | x | default data file format");

  const FunctionNode* builtins = outline.group(FunctionOutline::kBasicFunctions);
  ASSERT_EQ(builtins->childCount(), 20);
  EXPECT_EQ(row(builtins->child(12)), "read(filename[,fmt,cols,len,skip,intvl]) | x | read data");
  EXPECT_EQ(row(builtins->child(14)), "sprintf(format,n) | x | formated output");
  EXPECT_EQ(builtins->child(20), nullptr);

  // Packages become groups; functions registered outside one sit directly
  // under "Optional Functions"; together they keep the registration order.
  const FunctionNode* addOns = outline.group(FunctionOutline::kOptionalFunctions);
  EXPECT_FALSE(addOns->locked());
  std::vector<std::string> top;
  std::vector<int> slots;
  for (int i = 0; i < addOns->childCount(); ++i) {
    const FunctionNode* n = addOns->child(i);
    top.push_back(n->name());
    if (n->slot() >= 0) slots.push_back(n->slot());
    for (int j = 0; j < n->childCount(); ++j) slots.push_back(n->child(j)->slot());
  }
  EXPECT_EQ(top, (std::vector<std::string>{"max_", "linfit", "histogram", "FFT_", "SVD_", "file_",
                                           "SPICE_", "mathlib_", "ColorTable"}));
  ASSERT_EQ(slots.size(), registry.functions().size());
  for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], static_cast<int>(i));
  EXPECT_EQ(row(addOns->child(2)), "histogram(array,lo,hi,nbins) |   | accumulate histogram");
  EXPECT_EQ(row(addOns->child(3)), "FFT_ |   | Fourier transform routines");
}

TEST(FunctionOutline, AFreshUserHasEveryAddOnOffAndTheLockedRowsBeep) {
  MemoryStates states;
  FunctionOutline outline(addOnRegistry(), states);
  const FunctionNode* addOns = outline.group(FunctionOutline::kOptionalFunctions);
  EXPECT_EQ(addOns->enableCode(), kEnabledNone);
  for (int i = 0; i < addOns->childCount(); ++i) {
    EXPECT_EQ(addOns->child(i)->enableCode(), kEnabledNone) << addOns->child(i)->name();
    for (int j = 0; j < addOns->child(i)->childCount(); ++j)
      EXPECT_EQ(addOns->child(i)->child(j)->enableCode(), kEnabledNone);
  }

  FunctionNode* sin = outline.group(FunctionOutline::kBasicFunctions)->child(13);
  ASSERT_EQ(sin->name(), "sin");
  EXPECT_FALSE(outline.toggle(sin));
  EXPECT_FALSE(outline.toggle(outline.group(FunctionOutline::kDefinedVariables)));
  EXPECT_FALSE(outline.toggle(nullptr));
  EXPECT_EQ(sin->enableCode(), kEnableLocked);
  EXPECT_TRUE(states.writes.empty());
}

TEST(FunctionOutline, APartlyEnabledPackageSwitchesOffThenAllOn) {
  Registry registry = smallRegistry();
  MemoryStates states;
  states.stored = {{"a", true}, {"b", false}, {"c", true}};
  FunctionOutline outline(registry, states);
  FunctionNode* addOns = outline.group(FunctionOutline::kOptionalFunctions);
  ASSERT_EQ(addOns->childCount(), 3);
  FunctionNode* pkg = addOns->child(1);
  EXPECT_EQ(row(pkg), "pkg_ | - | three functions");
  EXPECT_EQ(row(addOns->child(2)), "last() |   | loose after");

  // Some on: the enabled ones go off, the last first.
  EXPECT_TRUE(outline.toggle(pkg));
  EXPECT_EQ(states.writes, (std::vector<std::string>{"c=off", "a=off"}));
  EXPECT_EQ(pkg->enableCode(), kEnabledNone);
  states.writes.clear();
  EXPECT_TRUE(outline.toggle(pkg));
  EXPECT_EQ(states.writes, (std::vector<std::string>{"c=on", "b=on", "a=on"}));
  EXPECT_EQ(pkg->enableCode(), kEnabledAll);
  EXPECT_EQ(addOns->enableCode(), kEnabledSome);

  // A leaf flips alone; a group counts a partly enabled package as on.
  EXPECT_TRUE(outline.toggle(outline.function("b")));
  EXPECT_FALSE(states.stored["b"]);
  EXPECT_TRUE(outline.toggle(outline.function("first")));
  EXPECT_TRUE(outline.toggle(outline.function("last")));
  EXPECT_EQ(pkg->enableCode(), kEnabledSome);
  EXPECT_EQ(addOns->enableCode(), kEnabledAll);
  EXPECT_STREQ(enableText(addOns->enableCode()), "\u221A");
  EXPECT_TRUE(outline.toggle(addOns));
  for (const char* name : {"first", "a", "b", "c", "last"}) EXPECT_FALSE(states.stored[name]);

  // A new outline reads what the old one stored.
  states.stored["c"] = true;
  FunctionOutline again(registry, states);
  EXPECT_EQ(again.function("c")->enableCode(), kEnabledAll);
  EXPECT_EQ(again.function("a")->enableCode(), kEnabledNone);
  EXPECT_EQ(again.function("nothing"), nullptr);
}

TEST(FunctionOutline, HelpIsNamedAfterThePackageOrFunctionWhereOneExists) {
  Registry registry = smallRegistry();
  MemoryStates states;
  std::vector<std::string> asked;
  FunctionOutline outline(registry, states, [&asked](const std::string& name) {
    asked.push_back(name);
    return name != "b.ov";
  });
  EXPECT_EQ(asked,
            (std::vector<std::string>{"pkg_.ov", "first.ov", "a.ov", "b.ov", "c.ov", "last.ov"}));
  EXPECT_EQ(outline.group(FunctionOutline::kOptionalFunctions)->child(1)->helpName(), "pkg_.ov");
  EXPECT_EQ(outline.function("a")->helpName(), "a.ov");
  EXPECT_EQ(outline.function("b")->helpName(), "");
  EXPECT_EQ(outline.group(FunctionOutline::kBasicFunctions)->child(0)->helpName(), "");
  FunctionOutline none(registry, states);
  EXPECT_EQ(none.function("a")->helpName(), "");
}

}  // namespace
}  // namespace orv
