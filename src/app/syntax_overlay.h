// The syntax colours of a worksheet window, as a display overlay: they are
// no part of the document, so colouring never enters the undo history, never
// marks the document modified, and plain text stays plain.
//
// A whole-text colouring (after a run, or when colouring is switched on)
// stores each block's runs, so a `~` comment over several lines stays blue;
// an edited block is coloured again from its own text alone.
#pragma once

#include <QSyntaxHighlighter>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "doc/color_run.h"
#include "doc/stxcolor.h"

namespace orv::app {

class SyntaxOverlay : public QSyntaxHighlighter {
  Q_OBJECT

 public:
  // [addOnNames] gives the enabled add-on function names, which colour brown
  // with the language's own words; they are asked for at each colourAll.
  SyntaxOverlay(QTextDocument* document, std::function<std::vector<std::string>()> addOnNames);

  // Colours the whole text.
  void colourAll();
  // Colouring on or off; off shows the whole text black.
  void setColouring(bool on);
  bool colouring() const { return on_; }

  // The colour of a style, as on screen and in saved files.
  static QColor colourOf(int style);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  void apply(const std::vector<ColorRun>& runs);

  const SyntaxWords& words();

  std::function<std::vector<std::string>()> addOnNames_;
  std::optional<SyntaxWords> words_;
  bool on_ = true;
  bool whole_ = false;  // colourAll is applying stored runs
};

}  // namespace orv::app
