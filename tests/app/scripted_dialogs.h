// Dialog answers for the application tests: each question takes the next
// answer given, and is counted.
#pragma once

#include <QPrinter>
#include <deque>

#include "app/dialogs.h"

namespace orv::test {

class ScriptedDialogs : public app::Dialogs {
 public:
  bool confirmOverwrite(QWidget*, const QString& fileName) override {
    overwriteAsked.push_back(fileName);
    return take(overwriteAnswers, false);
  }
  app::SaveAnswer askToSave(QWidget*, const QString&) override {
    ++saveAsked;
    return take(saveAnswers, app::SaveAnswer::kCancel);
  }
  // A target with an empty path cancels.
  std::optional<app::SaveTarget> saveAs(QWidget*, const QString&, DocForm) override {
    ++saveAsAsked;
    app::SaveTarget target = take(saveTargets, app::SaveTarget());
    if (target.path.isEmpty()) return std::nullopt;
    return target;
  }
  QStringList openFiles(QWidget*) override { return {}; }
  bool confirmRevert(QWidget*, const QString&) override { return true; }
  void error(QWidget*, const QString&, const QString& text) override { errors.push_back(text); }
  std::optional<QFont> chooseFont(QWidget*, const QFont&, const QString&) override {
    return take(fonts, std::optional<QFont>());
  }
  // Prints to the PDF file [printTo] when it is set.
  bool print(QWidget*, QPrinter* printer) override {
    if (printTo.isEmpty()) return false;
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(printTo);
    return true;
  }

  void beep() override { ++beeps; }

  std::deque<bool> overwriteAnswers;
  std::deque<app::SaveAnswer> saveAnswers;
  std::deque<app::SaveTarget> saveTargets;
  std::deque<std::optional<QFont>> fonts;
  QString printTo;
  QStringList overwriteAsked;
  QStringList errors;
  int saveAsked = 0;
  int saveAsAsked = 0;
  int beeps = 0;

 private:
  template <typename T>
  static T take(std::deque<T>& answers, T fallback) {
    if (answers.empty()) return fallback;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace orv::test
