// The function browser: a floating window with the outline of the setting
// variables, the built-in functions and the add-on packages. A click in the
// Enabled column switches an add-on function (or a whole group) for the next
// run of every document; a double-click opens the help worksheet of a
// package or function. The groups' expanded states are kept in the user
// defaults.
#pragma once

#include <QWidget>
#include <memory>

class QModelIndex;
class QSettings;
class QTreeView;

namespace orv {
class FunctionOutline;
class StoredEnableStates;
}  // namespace orv

namespace orv::app {

class Application;
class FunctionOutlineModel;

class FunctionBrowser : public QWidget {
  Q_OBJECT

 public:
  explicit FunctionBrowser(Application& app, QWidget* parent = nullptr);
  ~FunctionBrowser() override;

  QTreeView* view() const { return view_; }
  FunctionOutlineModel* model() const { return model_; }

  // Switches the row of [index]; a locked row beeps and changes nothing.
  // The open worksheets recolour the add-on names.
  void toggle(const QModelIndex& index);
  // Opens the help worksheet of [index]'s row; false when it has none.
  bool openHelp(const QModelIndex& index);

 private:
  void restoreExpanded();
  void fitColumns();

  Application& app_;
  std::unique_ptr<QSettings> store_;
  std::unique_ptr<StoredEnableStates> states_;
  std::unique_ptr<FunctionOutline> outline_;
  FunctionOutlineModel* model_;
  QTreeView* view_;
};

// The resource of the help worksheet [helpName] of a package or function.
QString functionHelpResource(const QString& helpName);

}  // namespace orv::app
