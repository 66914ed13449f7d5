#include "app/function_browser.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/function_outline_model.h"
#include "app/worksheet_window.h"
#include "frontend/function_states.h"
#include "frontend/user_defaults.h"

namespace orv::app {

namespace {

// The name cell's editor: the call form, selectable and copyable, never changed.
class ReadOnlyNameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setReadOnly(true);
    return editor;
  }
  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
};

constexpr FunctionOutline::Group kGroups[] = {FunctionOutline::kDefinedVariables,
                                              FunctionOutline::kBasicFunctions,
                                              FunctionOutline::kOptionalFunctions};

}  // namespace

QString functionHelpResource(const QString& helpName) { return ":/help/functions/" + helpName; }

FunctionBrowser::FunctionBrowser(Application& app, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      app_(app),
      store_(userStore()),
      states_(std::make_unique<StoredEnableStates>(*store_)),
      outline_(
          std::make_unique<FunctionOutline>(app.registry(), *states_, [](const std::string& help) {
            return QFile::exists(functionHelpResource(QString::fromStdString(help)));
          })) {
  setObjectName("FuncPanel");
  setWindowTitle(tr("Function Browser"));
  model_ = new FunctionOutlineModel(*outline_, this);
  view_ = new QTreeView(this);
  view_->setObjectName("outlineV");
  view_->setModel(model_);
  view_->setItemDelegateForColumn(FunctionOutlineModel::kName, new ReadOnlyNameDelegate(view_));
  view_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  view_->setExpandsOnDoubleClick(false);
  view_->setUniformRowHeights(true);
  view_->setAlternatingRowColors(true);
  view_->setAllColumnsShowFocus(true);
  view_->header()->setStretchLastSection(true);
  view_->header()->setSectionsMovable(false);
  auto* hint = new QLabel(
      tr("A click under Enabled switches a function or package for the next calculation; "
         "a double-click opens its help."),
      this);
  hint->setWordWrap(true);
  hint->setContentsMargins(8, 4, 8, 6);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 1);
  layout->addWidget(hint);
  fitColumns();
  resize(view_->header()->sectionPosition(FunctionOutlineModel::kDescription) + 260, 520);
  restoreExpanded();

  connect(view_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() == FunctionOutlineModel::kEnable) toggle(index);
  });
  connect(view_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.column() == FunctionOutlineModel::kEnable) return;
    if (!openHelp(index) && model_->hasChildren(index.siblingAtColumn(0)))
      view_->setExpanded(index.siblingAtColumn(0), !view_->isExpanded(index.siblingAtColumn(0)));
  });
  auto shortcut = [this](const QKeySequence& key, auto action) {
    auto* s = new QShortcut(key, view_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(s, &QShortcut::activated, this, action);
  };
  shortcut(Qt::Key_Space, [this] { toggle(view_->currentIndex()); });
  shortcut(Qt::Key_Return, [this] { openHelp(view_->currentIndex()); });
  shortcut(QKeySequence::Copy, [this] {
    const QModelIndex current = view_->currentIndex().siblingAtColumn(0);
    if (current.isValid())
      QApplication::clipboard()->setText(current.data(Qt::EditRole).toString());
  });
  // Each group's state is kept as the user changes it, so that a quit with
  // the window open keeps it too.
  auto keep = [this](const QModelIndex& index, bool expanded) {
    if (index.parent().isValid()) return;
    storeExpanded(*store_, kGroups[index.row()], expanded);
  };
  connect(view_, &QTreeView::expanded, this, [keep](const QModelIndex& i) { keep(i, true); });
  connect(view_, &QTreeView::collapsed, this, [keep](const QModelIndex& i) { keep(i, false); });
}

FunctionBrowser::~FunctionBrowser() {
  // The view and the model go before the outline they show.
  delete view_;
  delete model_;
}

void FunctionBrowser::restoreExpanded() {
  for (FunctionOutline::Group g : kGroups)
    view_->setExpanded(model_->indexOf(outline_->group(g)), readExpanded(*store_, g));
}

// Widths that show every name and call form whole; the description takes
// the rest.
void FunctionBrowser::fitColumns() {
  const QFontMetrics metrics = view_->fontMetrics();
  int name = metrics.horizontalAdvance(model_->headerData(0, Qt::Horizontal).toString());
  int parms = metrics.horizontalAdvance(model_->headerData(1, Qt::Horizontal).toString());
  std::function<void(const FunctionNode*, int)> measure = [&](const FunctionNode* n, int depth) {
    for (int i = 0; i < n->childCount(); ++i) {
      const FunctionNode* c = n->child(i);
      name = std::max(name, depth * view_->indentation() +
                                metrics.horizontalAdvance(QString::fromStdString(c->name())));
      parms = std::max(parms, metrics.horizontalAdvance(QString::fromStdString(c->parms())));
      measure(c, depth + 1);
    }
  };
  measure(&outline_->root(), 1);
  const int pad = 3 * metrics.averageCharWidth();
  view_->setColumnWidth(FunctionOutlineModel::kName, name + pad);
  view_->setColumnWidth(FunctionOutlineModel::kParms, parms + pad);
  view_->setColumnWidth(
      FunctionOutlineModel::kEnable,
      metrics.horizontalAdvance(model_->headerData(2, Qt::Horizontal).toString()) + pad);
}

void FunctionBrowser::toggle(const QModelIndex& index) {
  if (!index.isValid()) return;
  if (!model_->toggle(index)) {
    app_.dialogs().beep();
    return;
  }
  // A command-line run started now reads the file.
  store_->sync();
  for (WorksheetWindow* w : app_.windows()) w->recolour();
}

bool FunctionBrowser::openHelp(const QModelIndex& index) {
  const FunctionNode* node = model_->node(index);
  if (!node || node->helpName().empty()) return false;
  return app_.showFunctionHelp(QString::fromStdString(node->helpName()),
                               QString::fromStdString(node->name())) != nullptr;
}

}  // namespace orv::app
