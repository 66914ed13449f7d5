#include "app/function_outline_model.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>

namespace orv::app {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

FunctionOutlineModel::FunctionOutlineModel(FunctionOutline& outline, QObject* parent)
    : QAbstractItemModel(parent), outline_(outline) {}

FunctionNode* FunctionOutlineModel::node(const QModelIndex& index) const {
  return index.isValid() ? static_cast<FunctionNode*>(index.internalPointer()) : nullptr;
}

QModelIndex FunctionOutlineModel::indexOf(const FunctionNode* node, int column) const {
  if (!node || !node->parent()) return {};
  return createIndex(node->row(), column, const_cast<FunctionNode*>(node));
}

QModelIndex FunctionOutlineModel::index(int row, int column, const QModelIndex& parent) const {
  const FunctionNode* owner = parent.isValid() ? node(parent) : &outline_.root();
  FunctionNode* child = owner->child(row);
  if (!child || column < 0 || column >= kColumns) return {};
  return createIndex(row, column, child);
}

QModelIndex FunctionOutlineModel::parent(const QModelIndex& index) const {
  const FunctionNode* n = node(index);
  return n ? indexOf(n->parent()) : QModelIndex();
}

int FunctionOutlineModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != kName) return 0;
  const FunctionNode* owner = parent.isValid() ? node(parent) : &outline_.root();
  return owner->childCount();
}

int FunctionOutlineModel::columnCount(const QModelIndex&) const { return kColumns; }

QVariant FunctionOutlineModel::data(const QModelIndex& index, int role) const {
  const FunctionNode* n = node(index);
  if (!n) return {};
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      switch (column) {
        case kName:
          return text(n->name());
        case kParms:
          return text(n->parms());
        case kEnable:
          return QString::fromUtf8(enableText(n->enableCode()));
        case kDescription:
          return text(n->description());
      }
      return {};
    case Qt::EditRole:
      // The call form as it is written in a worksheet, for copying.
      return column == kName ? text(n->name() + n->parms()) : QVariant();
    case Qt::ToolTipRole:
      if (column == kEnable && n->locked()) return tr("Always defined");
      if (column == kEnable) return tr("Click to switch on or off for the next calculation");
      if (!n->helpName().empty()) return tr("Double-click for help");
      return {};
    case Qt::TextAlignmentRole:
      return column == kEnable ? QVariant(Qt::AlignCenter) : QVariant();
    case Qt::FontRole:
      if (column == kEnable) {
        QFont bold = QGuiApplication::font();
        bold.setBold(true);
        return bold;
      }
      return {};
    case Qt::ForegroundRole:
      if (column == kEnable && n->locked())
        return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
      return {};
  }
  return {};
}

QVariant FunctionOutlineModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kName:
      return tr("Name");
    case kParms:
      return tr("Parameters");
    case kEnable:
      return tr("Enabled");
    case kDescription:
      return tr("Description");
  }
  return {};
}

Qt::ItemFlags FunctionOutlineModel::flags(const QModelIndex& index) const {
  const FunctionNode* n = node(index);
  if (!n) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kName && n->childCount() == 0) f |= Qt::ItemIsEditable;
  return f;
}

bool FunctionOutlineModel::toggle(const QModelIndex& index) {
  if (!outline_.toggle(node(index))) return false;
  enableColumnChanged(&outline_.root());
  return true;
}

void FunctionOutlineModel::enableColumnChanged(const FunctionNode* parent) {
  if (parent->childCount() == 0) return;
  emit dataChanged(index(0, kEnable, indexOf(parent)),
                   index(parent->childCount() - 1, kEnable, indexOf(parent)), {Qt::DisplayRole});
  for (int i = 0; i < parent->childCount(); ++i) enableColumnChanged(parent->child(i));
}

}  // namespace orv::app
