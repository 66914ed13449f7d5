// The function browser's outline, apart from any window: under an invisible
// root, the locked group of setting variables, the locked group of built-in
// functions, and the group of add-on functions with one group per package
// (in registration order) and the functions registered outside a package.
// Each add-on function has an enable switch whose state is kept under the
// function's name; it decides whether the next run defines the function.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orv {

class Registry;

// Where the enabled state of each add-on function is kept, by its name.
class EnableStates {
 public:
  virtual ~EnableStates() = default;
  // The stored state; false when none was ever stored.
  virtual bool enabled(const std::string& name) const = 0;
  virtual void setEnabled(const std::string& name, bool on) = 0;
};

// The enable codes a node shows.
enum EnableCode : int {
  kEnabledNone = 0,  // a disabled function, or a group with nothing enabled
  kEnabledAll = 1,   // an enabled function, or a group whose children are all (partly) on
  kEnabledSome = 2,  // a group with some children enabled and some not
  kEnableLocked = 3  // a setting or built-in function: always defined
};

// The enable column's text of [code]: "√", "-", "x", or one blank.
const char* enableText(int code);

class FunctionNode {
 public:
  FunctionNode(std::string name, std::string parms, std::string description);
  FunctionNode(const FunctionNode&) = delete;
  FunctionNode& operator=(const FunctionNode&) = delete;

  const std::string& name() const { return name_; }
  // The call form shown after the name: "(array)", "=n", or empty.
  const std::string& parms() const { return parms_; }
  const std::string& description() const { return description_; }
  // The help worksheet's name ("max.ov"), empty when there is none.
  const std::string& helpName() const { return helpName_; }
  // The add-on function's registry slot, -1 for any other node.
  int slot() const { return slot_; }
  bool locked() const { return locked_; }
  int enableCode() const;

  int childCount() const { return static_cast<int>(children_.size()); }
  // The child at [index], null past the end.
  FunctionNode* child(int index) const;
  FunctionNode* parent() const { return parent_; }
  // The position among the parent's children.
  int row() const { return row_; }

 private:
  friend class FunctionOutline;
  FunctionNode* add(std::unique_ptr<FunctionNode> child);

  std::string name_, parms_, description_, helpName_;
  int slot_ = -1;
  bool enabled_ = false;
  bool locked_ = false;
  FunctionNode* parent_ = nullptr;
  int row_ = 0;
  std::vector<std::unique_ptr<FunctionNode>> children_;
};

class FunctionOutline {
 public:
  // The groups under the root, in their order.
  enum Group { kDefinedVariables = 0, kBasicFunctions = 1, kOptionalFunctions = 2 };

  // Builds the outline of [registry]'s functions, each enabled as [states]
  // holds it. [hasHelp] tells whether a help worksheet of a name exists;
  // none means no node has help.
  FunctionOutline(const Registry& registry, EnableStates& states,
                  const std::function<bool(const std::string&)>& hasHelp = {});

  const FunctionNode& root() const { return root_; }
  FunctionNode* group(Group g) const { return root_.child(g); }
  // The add-on function's leaf, or null.
  FunctionNode* function(const std::string& name) const;

  // Flips a function's switch and stores it; a group switches all its
  // functions off when any is on, else all on. A locked node changes
  // nothing and gives false: the caller sounds the beep.
  bool toggle(FunctionNode* node);

 private:
  void flip(FunctionNode* leaf);

  EnableStates& states_;
  FunctionNode root_;
};

}  // namespace orv
