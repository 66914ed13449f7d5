#include "app/worksheet_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "app/application.h"
#include "app/document_file.h"
#include "app/find_bar.h"
#include "app/plot_view.h"
#include "app/plot_window.h"
#include "app/stop_panel.h"
#include "app/syntax_overlay.h"
#include "app/worksheet_editor.h"
#include "base/macroman.h"
#include "frontend/user_defaults.h"
#include "render/qt_surface.h"

namespace orv::app {

namespace {

QString fromMacRoman(std::string_view bytes) { return QString::fromStdString(bytesToUtf8(bytes)); }

// The line end of [text] (its first one), and the text with every CR LF and
// CR turned into LF, as the text view holds it.
std::u16string lineEndOf(const std::u16string& text) {
  const std::size_t at = text.find_first_of(u"\r\n");
  if (at == std::u16string::npos || text[at] == u'\n') return u"\n";
  return at + 1 < text.size() && text[at + 1] == u'\n' ? u"\r\n" : u"\r";
}

std::u16string withLineEnds(const std::u16string& text, const std::u16string& end) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      out += end;
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

// The worksheet font: the document's, else the settings record's, else the
// default, with a fixed-pitch fallback for names the system doesn't have.
QFont documentFont(const Document& doc) {
  QString family = QString::fromStdU16String(doc.textFont);
  if (family.isEmpty()) family = fromMacRoman(doc.prefs.tfontName);
  if (family.isEmpty()) family = "Menlo";
  double points = doc.textFontHalfPoints > 0 ? doc.textFontHalfPoints / 2.0
                  : doc.prefs.tfontSize > 0  ? doc.prefs.tfontSize
                                             : 11;
  QFont font(family);
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(points);
  return font;
}

}  // namespace

WorksheetWindow::WorksheetWindow(Application& app, Document doc, const QString& displayName)
    : app_(app),
      host_(this),
      session_(std::make_unique<WorksheetSession>(host_)),
      displayName_(displayName) {
  setAttribute(Qt::WA_DeleteOnClose);
  session_->document() = std::move(doc);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  editor_ = new WorksheetEditor(central);
  status_ = new QLabel(central);
  status_->setObjectName("statline");
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setContentsMargins(6, 3, 6, 3);
  status_->setMinimumHeight(status_->fontMetrics().height() + 6);
  findBar_ = new FindBar(editor_, app_.dialogs(), central);
  layout->addWidget(editor_, 1);
  layout->addWidget(findBar_);
  layout->addWidget(status_);
  setCentralWidget(central);
  stopPanel_ = new StopPanel(this);
  plotWindow_ = std::make_unique<PlotWindow>(app_.dialogs());
  connect(plotWindow_.get(), &PlotWindow::plotFontRequested, this,
          &WorksheetWindow::changePlotFont);
  connect(plotWindow_->view(), &PlotView::labelsMoved, this, [this] {
    if (!running_) session_->document().slabels = plotWindow_->view()->labelPlaces();
  });
  overlay_ = new SyntaxOverlay(editor_->document(), [this] { return app_.enabledAddOnNames(); });

  buildMenus();
  applyDocumentToWindow();

  connect(editor_, &WorksheetEditor::runRequested, this, &WorksheetWindow::startRun);
  connect(stopPanel_, &StopPanel::stopPressed, this, &WorksheetWindow::stopRun);
  connect(editor_->document(), &QTextDocument::contentsChange, this,
          [this](int, int removed, int added) {
            if (replaying_ || (removed == 0 && added == 0)) return;
            setStatusText(QString());
            editor_->setExtraSelections({});
          });
  connect(editor_->document(), &QTextDocument::modificationChanged, this,
          &QWidget::setWindowModified);
  updateTitle();
  updateActions();
}

WorksheetWindow::~WorksheetWindow() { app_.forget(this); }

void WorksheetWindow::setFilePath(const QString& path) {
  filePath_ = path;
  if (!path.isEmpty()) displayName_ = QFileInfo(path).fileName();
  // A converted document's new name has no file behind it until it is saved.
  if (QFileInfo(path).isFile()) app_.noteRecentFile(path);
  const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
  session_->setDocumentPath(QFile::encodeName(absolute).toStdString());
  updateTitle();
}

QString WorksheetWindow::statusText() const { return status_->text(); }

void WorksheetWindow::setStatusText(const QString& text) { status_->setText(text); }

bool WorksheetWindow::isModified() const { return editor_->document()->isModified(); }

void WorksheetWindow::updateTitle() {
  setWindowTitle(displayName_ + "[*] \u2014 Orvanel");
  setWindowModified(isModified());
}

// ---------------------------------------------------------------------------
// The document in the window
// ---------------------------------------------------------------------------

void WorksheetWindow::applyDocumentToWindow() {
  Document& doc = session_->document();
  for (char16_t& c : doc.text)
    if (c == 0x01) c = u' ';
  if (doc.text.empty()) doc.text = u"\n";
  lineEnd_ = lineEndOf(doc.text);
  doc.text = withLineEnds(doc.text, u"\n");
  editor_->setFont(documentFont(doc));
  replaying_ = true;
  editor_->setPlainText(QString::fromStdU16String(doc.text));
  replaying_ = false;
  if (doc.tabWidth > 0) editor_->setTabStopDistance(doc.tabWidth * logicalDpiX() / 72.0);
  applyPlotFont();
  overlay_->setColouring(!doc.prefs.stxdisable);
  overlay_->colourAll();
  editor_->moveCursor(QTextCursor::Start);
  editor_->document()->setModified(false);

  const DocPrefs& p = doc.prefs;
  if (p.twwidth > 0 && p.twheight > 0) {
    // Frames are kept with y upwards from the bottom of the screen; a frame
    // from another screen layout is pulled back onto this one.
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const int height = screen ? screen->geometry().height() : 800;
    const int w = std::min(p.twwidth, area.width());
    const int h = std::min(p.twheight, area.height());
    const int x = std::clamp(p.twleft, area.left(), area.right() - w + 1);
    const int y = std::clamp(height - p.twtop, area.top(), area.bottom() - h + 1);
    resize(w, h);
    move(x, y);
  } else {
    resize(640, 600);
  }
}

void WorksheetWindow::keepFramesInDocument() {
  DocPrefs& p = session_->document().prefs;
  QScreen* screen = this->screen();
  const int height = screen ? screen->geometry().height() : 800;
  p.twleft = pos().x();
  p.twtop = height - pos().y();
  p.twwidth = width();
  p.twheight = this->height();
  if (plotPlaced_) {
    p.pwleft = plotWindow_->pos().x();
    p.pwtop = height - plotWindow_->pos().y();
    p.pwwidth = plotWindow_->width();
    p.pwheight = plotWindow_->height();
  }
}

void WorksheetWindow::recolour() {
  if (!session_->document().prefs.stxdisable) overlay_->colourAll();
}

// ---------------------------------------------------------------------------
// Runs
// ---------------------------------------------------------------------------

bool WorksheetWindow::startRun() {
  if (app_.busy()) {
    QApplication::beep();
    return false;
  }
  Document& doc = session_->document();
  doc.text = editor_->rawText();
  session_->setSettings(documentSettings(doc.prefs));
  session_->setAddOnsEnabled(app_.enabledAddOns());
  // The user's defaults for worksheets from strangers and the simulator.
  const std::unique_ptr<QSettings> store = userStore();
  session_->setSimulatorCommand(readSimulatorCommand(*store));
  const std::string& sheet = session_->documentPath();
  if (userSetting(*store, "ConfineFiles") == "true")
    session_->setConfinement(sheet.substr(0, sheet.empty() ? 0 : sheet.rfind('/')));
  else
    session_->setConfinement(std::nullopt);
  const QTextCursor cursor = editor_->textCursor();
  selectionStart_ = cursor.anchor();
  selectionEnd_ = cursor.position();
  editor_->setExtraSelections({});

  session_->setPageSpec(plotWindow_->pageSpec());
  plotWindow_->view()->setInteractive(false);
  running_ = true;
  app_.setBusy(true);
  QPointer<WorksheetWindow> self(this);
  const bool started = session_->start([self](const RunResult& result) {
    QMetaObject::invokeMethod(
        qApp,
        [self, result] {
          if (self) self->finishRun(result);
        },
        Qt::QueuedConnection);
  });
  if (!started) {
    running_ = false;
    app_.setBusy(false);
    app_.dialogs().error(this, "Orvanel",
                         tr("The calculation could not be started: no thread with a large "
                            "enough stack."));
    return false;
  }
  stopPanel_->showAtCorner();
  return true;
}

void WorksheetWindow::stopRun() {
  if (running_) session_->requestStop();
}

void WorksheetWindow::finishRun(const RunResult& result) {
  running_ = false;
  stopPanel_->hide();
  plotWindow_->view()->setInteractive(true);
  if (!result.completed) {
    app_.setBusy(false);
    app_.dialogs().error(this, "Orvanel", QString::fromStdString(result.error));
    return;
  }
  replayEdits(result);
  const Document& doc = session_->document();
  if (result.outcome.tabWidth > 0)
    editor_->setTabStopDistance(result.outcome.tabWidth * logicalDpiX() / 72.0);
  setStatusText(fromMacRoman(result.outcome.status));
  const int end = editor_->document()->characterCount() - 1;
  if (!result.outcome.ok) {
    showFault(result.outcome.faultPos, statusText());
  } else {
    QTextCursor cursor = editor_->textCursor();
    cursor.setPosition(std::clamp(selectionStart_, 0, end));
    cursor.setPosition(std::clamp(selectionEnd_, 0, end), QTextCursor::KeepAnchor);
    editor_->setTextCursor(cursor);
    editor_->ensureCursorVisible();
  }
  if (!doc.prefs.stxdisable) overlay_->colourAll();
  app_.plotAfterRun(this, result.outcome.showPlot);
  app_.setBusy(false);
  emit runFinished();
}

// The run's edits go into the text view as one undo step, none when the text
// came out as it went in.
void WorksheetWindow::replayEdits(const RunResult& result) {
  const std::u16string& after = session_->document().text;
  if (editor_->rawText() == after) return;
  replaying_ = true;
  QTextCursor cursor(editor_->document());
  cursor.beginEditBlock();
  for (const TextEdit& edit : result.edits) {
    cursor.setPosition(static_cast<int>(edit.pos));
    cursor.setPosition(static_cast<int>(edit.pos + edit.deleted), QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromStdU16String(edit.inserted));
  }
  if (editor_->rawText() != after) {
    // The view's text must end as the run's; should a replay ever miss,
    // the whole text is put in, still as one step.
    cursor.select(QTextCursor::Document);
    cursor.insertText(QString::fromStdU16String(after));
  }
  cursor.endEditBlock();
  replaying_ = false;
}

void WorksheetWindow::showFault(std::size_t pos, const QString& message) {
  setStatusText(message);
  const int end = editor_->document()->characterCount() - 1;
  QTextCursor cursor = editor_->textCursor();
  cursor.setPosition(std::clamp(static_cast<int>(pos), 0, end));
  editor_->setTextCursor(cursor);
  editor_->ensureCursorVisible();
  highlightLine(cursor.position());
}

// A passing highlight over the whole line of [pos].
void WorksheetWindow::highlightLine(int pos) {
  QTextEdit::ExtraSelection line;
  line.format.setBackground(QColor(255, 236, 110));
  line.format.setProperty(QTextFormat::FullWidthSelection, true);
  line.cursor = QTextCursor(editor_->document());
  line.cursor.setPosition(pos);
  line.cursor.clearSelection();
  editor_->setExtraSelections({line});
  QPointer<WorksheetEditor> editor(editor_);
  QTimer::singleShot(1200, this, [editor] {
    if (editor) editor->setExtraSelections({});
  });
}

// ---------------------------------------------------------------------------
// The plot window
// ---------------------------------------------------------------------------

void WorksheetWindow::showPlot() {
  if (!plotPlaced_) {
    // The first time: where the document's options line says, else beside
    // the worksheet, always on the screen.
    plotPlaced_ = true;
    const DocPrefs& p = session_->document().prefs;
    QScreen* screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const int height = screen ? screen->geometry().height() : 800;
    QRect frame(frameGeometry().right() + 8, frameGeometry().top(), plotWindow_->width(),
                plotWindow_->height());
    if (p.pwwidth > 0 && p.pwheight > 0)
      frame = QRect(p.pwleft, height - p.pwtop, p.pwwidth, p.pwheight);
    frame.setSize(frame.size().boundedTo(area.size()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    plotWindow_->resize(frame.size());
    plotWindow_->move(frame.topLeft());
  }
  plotWindow_->showPage(session_->plotPage(), "PLOT of " + displayName_);
  updateActions();
}

void WorksheetWindow::hidePlot() {
  plotWindow_->hide();
  updateActions();
}

void WorksheetWindow::applyPlotFont() {
  const DocPrefs& p = session_->document().prefs;
  const std::string family = p.pfontName.empty() ? "Helvetica" : bytesToUtf8(p.pfontName);
  plotWindow_->view()->setPlotFont(orv::plotFont(family, p.pfontSize > 0 ? p.pfontSize : 12));
}

// The chosen family and whole points become the document's plot font; the
// page is drawn again with it. The document is not marked modified.
void WorksheetWindow::changePlotFont() {
  DocPrefs& p = session_->document().prefs;
  QFont initial(QString::fromStdString(bytesToUtf8(p.pfontName)));
  initial.setPointSize(p.pfontSize > 0 ? p.pfontSize : 12);
  std::optional<QFont> chosen = app_.dialogs().chooseFont(this, initial, tr("Plot Font"));
  if (!chosen) return;
  p.pfontName = utf16ToBytes(chosen->family().toStdU16String()).substr(0, kFontNameMax);
  p.pfontSize = std::max(1, static_cast<int>(chosen->pointSizeF()));
  applyPlotFont();
}

// ---------------------------------------------------------------------------
// Saving, reverting, printing, closing
// ---------------------------------------------------------------------------

bool WorksheetWindow::save() {
  if (app_.busy()) return false;
  if (filePath_.isEmpty() || session_->document().forceSaveAs) return saveAs();
  return writeTo(filePath_, session_->document().form);
}

bool WorksheetWindow::saveAs() {
  if (app_.busy()) return false;
  Document& doc = session_->document();
  const QString suggested = filePath_.isEmpty() ? displayName_ + ".ov" : filePath_;
  std::optional<SaveTarget> target = app_.dialogs().saveAs(this, suggested, doc.form);
  if (!target || target->path.isEmpty()) return false;
  if (!writeTo(target->path, target->form)) return false;
  // Only a completed Save As confirms the new name.
  doc.forceSaveAs = false;
  doc.form = target->form;
  helpName_.clear();
  setFilePath(target->path);
  return true;
}

bool WorksheetWindow::writeTo(const QString& path, DocForm form) {
  Document& doc = session_->document();
  doc.text = editor_->rawText();
  keepFramesInDocument();
  if (form == DocForm::kPlain && doc.form != DocForm::kPlain) doc.plain = PlainText();
  // A plain-text file keeps the line ends it came with.
  if (form == DocForm::kPlain) doc.text = withLineEnds(doc.text, lineEnd_);
  const std::string bytes = session_->fileBytes(form);
  doc.text = editor_->rawText();
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size()) ||
      !file.commit()) {
    app_.dialogs().error(this, "Orvanel",
                         tr("\"%1\" could not be saved: %2").arg(path, file.errorString()));
    return false;
  }
  editor_->document()->setModified(false);
  return true;
}

bool WorksheetWindow::revert() {
  if (app_.busy() || filePath_.isEmpty()) return false;
  if (!app_.dialogs().confirmRevert(this, displayName_)) return false;
  Document doc;
  QString error;
  if (!readDocumentFile(filePath_, &doc, &error)) {
    app_.dialogs().error(this, "Orvanel", error);
    return false;
  }
  // The file's labels replace the document's, as everything else does.
  session_->document() = std::move(doc);
  applyDocumentToWindow();
  setStatusText(QString());
  updateFormatChecks();
  return true;
}

void WorksheetWindow::printDocument() {
  if (app_.busy()) return;
  QPrinter printer;
  if (!app_.dialogs().print(this, &printer)) return;
  // The colours are an overlay: the printed copy gets them as real formats.
  std::unique_ptr<QTextDocument> copy(editor_->document()->clone());
  copy->setDefaultFont(editor_->font());
  QTextBlock source = editor_->document()->begin();
  for (QTextBlock block = copy->begin(); block.isValid() && source.isValid();
       block = block.next(), source = source.next()) {
    for (const QTextLayout::FormatRange& range : source.layout()->formats()) {
      QTextCursor cursor(copy.get());
      cursor.setPosition(block.position() + range.start);
      cursor.setPosition(block.position() + range.start + range.length, QTextCursor::KeepAnchor);
      cursor.mergeCharFormat(range.format);
    }
  }
  copy->print(&printer);
}

bool WorksheetWindow::maybeClose() {
  if (running_ || app_.busy()) {
    QApplication::beep();
    return false;
  }
  if (!isModified()) return true;
  switch (app_.dialogs().askToSave(this, displayName_)) {
    case SaveAnswer::kSave:
      return save();
    case SaveAnswer::kDiscard:
      return true;
    case SaveAnswer::kCancel:
      return false;
  }
  return false;
}

void WorksheetWindow::closeEvent(QCloseEvent* event) {
  if (!maybeClose()) {
    event->ignore();
    return;
  }
  event->accept();
}

void WorksheetWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (stopPanel_->isVisible()) stopPanel_->showAtCorner();
}

// ---------------------------------------------------------------------------
// Menus
// ---------------------------------------------------------------------------

void WorksheetWindow::updateActions() {
  const bool busy = app_.busy();
  for (QAction* a : {newAction_, closeAction_, saveAction_, saveAsAction_, printAction_, runAction_,
                     colouringAction_, replaceAction_})
    a->setEnabled(!busy);
  revertAction_->setEnabled(!busy && !filePath_.isEmpty());
  printPlotAction_->setEnabled(!busy && plotWindow_->isVisible() && app_.plotDocument() == this);
  for (QActionGroup* g : {formatGroup_, placesGroup_, angleGroup_}) g->setEnabled(!busy);
  editor_->setReadOnly(busy);
}

void WorksheetWindow::updateFormatChecks() {
  const DocPrefs& p = session_->document().prefs;
  for (QAction* a : formatGroup_->actions()) a->setChecked(a->data().toInt() == p.numfmt);
  for (QAction* a : placesGroup_->actions()) a->setChecked(a->data().toInt() == p.places);
  angleGroup_->actions()[0]->setChecked(p.deg != 0);
  angleGroup_->actions()[1]->setChecked(p.deg == 0);
  colouringAction_->setChecked(!p.stxdisable);
}

// The settings take effect at the next run and reach the file with the next
// save; they don't mark the text modified.
void WorksheetWindow::setNumberFormat(int format) {
  session_->document().prefs.numfmt = static_cast<uint8_t>(format);
  updateFormatChecks();
}

void WorksheetWindow::setPlaces(int places) {
  session_->document().prefs.places = static_cast<uint8_t>(places);
  updateFormatChecks();
}

void WorksheetWindow::setDegrees(bool on) {
  session_->document().prefs.deg = on ? 1 : 0;
  updateFormatChecks();
}

void WorksheetWindow::setColouring(bool on) {
  session_->document().prefs.stxdisable = on ? 0 : 1;
  overlay_->setColouring(on);
  updateFormatChecks();
}

}  // namespace orv::app
