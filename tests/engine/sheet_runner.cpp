#include "sheet_runner.h"

#include "doc/macroman.h"
#include "lang/large_stack.h"
#include "lang/memory_text.h"
#include "packages/registry.h"

namespace orv::test {

void RecordingHost::bugAlert(std::string_view text) { alerts.push_back(bytesToUtf8(text)); }

void RecordingHost::showText(const std::string& title, std::string_view text) {
  shown.push_back(title + "\n" + bytesToUtf8(text));
}

SheetResult runSheet(const std::string& utf8, const DocSettings& settings, bool enableAll,
                     const std::string& documentPath) {
  SheetResult r;
  runOnLargeStack([&] {
    RecordingHost host;
    Engine engine(host);
    engine.setSettings(settings);
    engine.setDocumentPath(documentPath);
    if (enableAll)
      for (std::size_t i = 0; i < engine.registry().functions().size(); ++i)
        engine.setAddOnEnabled(static_cast<int>(i), true);
    MemoryText text(utf8ToUtf16(utf8));
    RunOutcome out = engine.run(text);
    r.text = text.utf8();
    std::string status = bytesToUtf8(out.status);
    if (!status.empty() && status[0] == ' ') status.erase(0, 1);
    r.status = status;
    r.ok = out.ok;
    r.alerts = host.alerts;
    r.shown = host.shown;
    if (!out.ok) {
      const std::u16string& t = text.text();
      r.line = 1;
      r.column = 1;
      for (std::size_t i = 0; i < out.faultPos && i < t.size(); ++i) {
        if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') continue;
        if (t[i] == u'\n' || t[i] == u'\r') {
          ++r.line;
          r.column = 1;
        } else if (t[i] < 0xDC00 || t[i] > 0xDFFF) {
          ++r.column;
        }
      }
    }
  });
  return r;
}

std::string describe(const SheetResult& r) {
  std::string s = "status: ";
  if (!r.ok) s += std::to_string(r.line) + ":" + std::to_string(r.column) + ": ";
  s += r.status + "\n";
  for (const std::string& a : r.alerts) s += "alert: " + a + "\n";
  for (const std::string& d : r.shown) s += "shown: " + d + "\n";
  s += "----\n";
  s += r.text;
  return s;
}

}  // namespace orv::test
