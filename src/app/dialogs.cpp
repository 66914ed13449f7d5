#include "app/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace orv::app {

namespace {

const QString kRtfFilter = QObject::tr("Orvanel worksheet (RTF) (*.ov)");
const QString kPlainFilter = QObject::tr("Plain text (*)");

}  // namespace

bool Dialogs::confirmOverwrite(QWidget* parent, const QString& fileName) {
  QMessageBox box(QMessageBox::Warning, "Write File Already Exists", fileName,
                  QMessageBox::NoButton, parent);
  QPushButton* overwrite = box.addButton("Overwrite", QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton("Cancel", QMessageBox::RejectRole);
  box.setDefaultButton(overwrite);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == overwrite;
}

SaveAnswer Dialogs::askToSave(QWidget* parent, const QString& displayName) {
  QMessageBox box(QMessageBox::Warning, "Orvanel",
                  QObject::tr("Do you want to save the changes to \"%1\"?").arg(displayName),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
  box.setInformativeText(QObject::tr("Your changes are lost if you don't save them."));
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveAnswer::kSave;
    case QMessageBox::Discard:
      return SaveAnswer::kDiscard;
    default:
      return SaveAnswer::kCancel;
  }
}

std::optional<SaveTarget> Dialogs::saveAs(QWidget* parent, const QString& suggested, DocForm form) {
  QFileDialog dialog(parent, QObject::tr("Save As"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kRtfFilter, kPlainFilter});
  dialog.selectNameFilter(form == DocForm::kPlain ? kPlainFilter : kRtfFilter);
  dialog.setDefaultSuffix(form == DocForm::kPlain ? QString() : "ov");
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
    dialog.setDefaultSuffix(f == kRtfFilter ? "ov" : QString());
  });
  dialog.selectFile(suggested);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  SaveTarget target;
  target.path = dialog.selectedFiles().first();
  target.form = dialog.selectedNameFilter() == kPlainFilter ? DocForm::kPlain : DocForm::kRtf;
  return target;
}

QStringList Dialogs::openFiles(QWidget* parent) {
  return QFileDialog::getOpenFileNames(
      parent, QObject::tr("Open"), QString(),
      QObject::tr("Orvanel worksheets (*.ov);;RTF (*.rtf);;Text (*.txt);;All files (*)"));
}

bool Dialogs::confirmRevert(QWidget* parent, const QString& displayName) {
  return QMessageBox::question(
             parent, "Orvanel",
             QObject::tr("Revert \"%1\" to the saved version? Your changes are lost.")
                 .arg(displayName)) == QMessageBox::Yes;
}

void Dialogs::error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::critical(parent, title, text);
}

std::optional<QFont> Dialogs::chooseFont(QWidget* parent, const QFont& initial,
                                         const QString& title) {
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, initial, parent, title);
  if (!ok) return std::nullopt;
  return font;
}

bool Dialogs::print(QWidget* parent, QPrinter* printer) {
  QPrintDialog dialog(printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

void Dialogs::beep() { QApplication::beep(); }

}  // namespace orv::app
