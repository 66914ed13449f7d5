#include "session/function_outline.h"

#include "lang/addons.h"
#include "lang/setting_names.h"
#include "lang/tokens.h"

namespace orv {

const char* enableText(int code) {
  switch (code) {
    case kEnabledAll:
      return "\u221A";
    case kEnabledSome:
      return "-";
    case kEnableLocked:
      return "x";
    default:
      return " ";
  }
}

FunctionNode::FunctionNode(std::string name, std::string parms, std::string description)
    : name_(std::move(name)), parms_(std::move(parms)), description_(std::move(description)) {}

FunctionNode* FunctionNode::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

FunctionNode* FunctionNode::add(std::unique_ptr<FunctionNode> child) {
  child->parent_ = this;
  child->row_ = childCount();
  children_.push_back(std::move(child));
  return children_.back().get();
}

int FunctionNode::enableCode() const {
  if (locked_) return kEnableLocked;
  if (children_.empty()) return slot_ >= 0 && enabled_ ? kEnabledAll : kEnabledNone;
  int on = 0;
  for (const auto& c : children_) on += c->enableCode() > kEnabledNone;
  if (on == childCount()) return kEnabledAll;
  return on > 0 ? kEnabledSome : kEnabledNone;
}

FunctionOutline::FunctionOutline(const Registry& registry, EnableStates& states,
                                 const std::function<bool(const std::string&)>& hasHelp)
    : states_(states), root_("", "", "") {
  auto helpOf = [&hasHelp](FunctionNode* node) {
    const std::string help = node->name() + ".ov";
    if (hasHelp && hasHelp(help)) node->helpName_ = help;
  };
  auto locked = [](FunctionNode* node) {
    node->enabled_ = true;
    node->locked_ = true;
    return node;
  };

  FunctionNode* settings =
      locked(root_.add(std::make_unique<FunctionNode>("Defined Variables", "", "")));
  // ORDER SETTINGS
  for (const SettingEntry& s : kSettings)
    locked(settings->add(std::make_unique<FunctionNode>(s.name, s.suffix, s.description)));

  FunctionNode* builtins =
      locked(root_.add(std::make_unique<FunctionNode>("Basic Functions", "", "")));
  // ORDER TOKENS
  for (const BuiltinEntry& b : kBuiltins)
    locked(builtins->add(
        std::make_unique<FunctionNode>(b.name, std::string("(") + b.parms + ")", b.description)));

  FunctionNode* addOns = root_.add(std::make_unique<FunctionNode>("Optional Functions", "", ""));
  // A package's group goes in with its first function, so groups and the
  // functions registered outside a package keep the order of registration.
  std::vector<std::unique_ptr<FunctionNode>> pending;
  std::vector<FunctionNode*> packages;
  for (const AddOnPackage& p : registry.packages()) {
    pending.push_back(
        std::make_unique<FunctionNode>(p.prefix, "", p.description ? p.description : ""));
    packages.push_back(pending.back().get());
    helpOf(packages.back());
  }
  const auto& funs = registry.functions();
  for (std::size_t i = 0; i < funs.size(); ++i) {
    const AddOnFunction& f = funs[i];
    FunctionNode* parent = addOns;
    const auto pkg = static_cast<std::size_t>(f.package);
    if (f.package >= 0 && pkg < packages.size()) {
      if (pending[pkg]) addOns->add(std::move(pending[pkg]));
      parent = packages[pkg];
    }
    FunctionNode* leaf = parent->add(std::make_unique<FunctionNode>(
        f.name, std::string("(") + f.parmlist + ")", f.description ? f.description : ""));
    leaf->slot_ = static_cast<int>(i);
    leaf->enabled_ = states_.enabled(f.name);
    helpOf(leaf);
  }
}

FunctionNode* FunctionOutline::function(const std::string& name) const {
  FunctionNode* addOns = group(kOptionalFunctions);
  for (int i = 0; i < addOns->childCount(); ++i) {
    FunctionNode* n = addOns->child(i);
    if (n->slot() >= 0 && n->name() == name) return n;
    for (int j = 0; j < n->childCount(); ++j)
      if (n->child(j)->name() == name) return n->child(j);
  }
  return nullptr;
}

void FunctionOutline::flip(FunctionNode* leaf) {
  leaf->enabled_ = !leaf->enabled_;
  states_.setEnabled(leaf->name(), leaf->enabled_);
}

bool FunctionOutline::toggle(FunctionNode* node) {
  if (!node || node->locked()) return false;
  if (node->slot() >= 0) {
    flip(node);
    return true;
  }
  // Children whose state matches the group's (some on: the enabled ones;
  // none on: all of them) are toggled, from the last to the first.
  const bool anyOn = node->enableCode() != kEnabledNone;
  for (int i = node->childCount() - 1; i >= 0; --i) {
    FunctionNode* c = node->child(i);
    if ((c->enableCode() != kEnabledNone) == anyOn) toggle(c);
  }
  return true;
}

}  // namespace orv
