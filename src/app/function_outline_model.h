// The function outline as a Qt item model for the browser's tree view, four
// columns: the name, the call form, the enable switch and the description.
// A leaf's name can be opened in a read-only editor so that its call form
// can be selected and copied; nothing in the model is ever edited.
#pragma once

#include <QAbstractItemModel>

#include "session/function_outline.h"

namespace orv::app {

class FunctionOutlineModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Column { kName = 0, kParms = 1, kEnable = 2, kDescription = 3, kColumns = 4 };

  explicit FunctionOutlineModel(FunctionOutline& outline, QObject* parent = nullptr);

  FunctionOutline& outline() { return outline_; }
  // The node of [index], null for the root.
  FunctionNode* node(const QModelIndex& index) const;
  QModelIndex indexOf(const FunctionNode* node, int column = kName) const;

  // Toggles the node of [index]; false for a locked one. The enable column
  // of the whole outline shows the new states.
  bool toggle(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void enableColumnChanged(const FunctionNode* parent);

  FunctionOutline& outline_;
};

}  // namespace orv::app
