#include "app/syntax_overlay.h"

#include <QTextDocument>

#include "base/macroman.h"

namespace orv::app {

namespace {

struct BlockRuns : QTextBlockUserData {
  std::vector<ColorRun> runs;  // positions within the block
};

}  // namespace

SyntaxOverlay::SyntaxOverlay(QTextDocument* document,
                             std::function<std::vector<std::string>()> addOnNames)
    : QSyntaxHighlighter(document), addOnNames_(std::move(addOnNames)) {}

const SyntaxWords& SyntaxOverlay::words() {
  if (!words_) words_.emplace(addOnNames_());
  return *words_;
}

QColor SyntaxOverlay::colourOf(int style) {
  switch (style) {
    case kStyleRed:
      return QColor(255, 0, 0);
    case kStyleGreen:
      return QColor(0, 255, 0);
    case kStyleBlue:
      return QColor(0, 0, 255);
    case kStyleBrown:
      return QColor(153, 102, 51);
    default:
      return QColor(0, 0, 0);
  }
}

void SyntaxOverlay::colourAll() {
  QTextDocument* doc = document();
  if (!doc) return;
  words_.reset();
  if (on_) {
    QString text = doc->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    const Colouring colouring = ColorSyntax(utf16ToBytes(text.toStdU16String()), words());
    std::size_t next = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
      auto* data = new BlockRuns;
      const std::size_t start = static_cast<std::size_t>(block.position());
      const std::size_t end = start + static_cast<std::size_t>(block.length());
      while (next < colouring.runs.size() &&
             colouring.runs[next].pos + colouring.runs[next].len <= start)
        ++next;
      for (std::size_t i = next; i < colouring.runs.size() && colouring.runs[i].pos < end; ++i) {
        const ColorRun& r = colouring.runs[i];
        const std::size_t from = std::max(r.pos, start), to = std::min(r.pos + r.len, end);
        data->runs.push_back({from - start, to - from, r.style});
      }
      block.setUserData(data);
    }
  }
  whole_ = true;
  rehighlight();
  whole_ = false;
}

void SyntaxOverlay::setColouring(bool on) {
  if (on == on_) return;
  on_ = on;
  colourAll();
}

void SyntaxOverlay::highlightBlock(const QString& text) {
  if (!on_) return;
  auto* data = static_cast<BlockRuns*>(currentBlockUserData());
  if (!whole_ || !data) {
    // An edited line: its own text, with its line end.
    const std::string bytes = utf16ToBytes((text + QLatin1Char('\n')).toStdU16String());
    auto* fresh = new BlockRuns;
    fresh->runs = ColorSyntaxLine(bytes, 0, words()).runs;
    setCurrentBlockUserData(fresh);
    data = fresh;
  }
  apply(data->runs);
}

void SyntaxOverlay::apply(const std::vector<ColorRun>& runs) {
  for (const ColorRun& r : runs) {
    if (r.style == kStyleBlack) continue;
    setFormat(static_cast<int>(r.pos), static_cast<int>(r.len), colourOf(r.style));
  }
}

}  // namespace orv::app
