// Every question the application asks goes through this seam, so tests can
// answer it. The default implementation shows Qt's dialogs.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

#include "doc/document.h"

class QPrinter;
class QWidget;

namespace orv::app {

enum class SaveAnswer { kSave, kDiscard, kCancel };

struct SaveTarget {
  QString path;
  DocForm form = DocForm::kRtf;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // "Write File Already Exists": true for "Overwrite", false for "Cancel".
  virtual bool confirmOverwrite(QWidget* parent, const QString& fileName);
  // The unsaved-changes question of a closing document.
  virtual SaveAnswer askToSave(QWidget* parent, const QString& displayName);
  // Save As: the file and the form; [form] preselects the form.
  virtual std::optional<SaveTarget> saveAs(QWidget* parent, const QString& suggested, DocForm form);
  virtual QStringList openFiles(QWidget* parent);
  virtual bool confirmRevert(QWidget* parent, const QString& displayName);
  virtual void error(QWidget* parent, const QString& title, const QString& text);
  virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial,
                                          const QString& title);
  // The print dialog; true to print on [printer].
  virtual bool print(QWidget* parent, QPrinter* printer);
  // The system beep: what the user asked for cannot be done.
  virtual void beep();
};

}  // namespace orv::app
