#include "worksheet.h"

#include <sstream>

#include "base/macroman.h"
#include "lang/memory_text.h"
#include "packages/registry.h"
#include "session/engine_assembly.h"

namespace orv::test {

std::string SheetResult::operator[](const std::string& request) const {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line))
    if (line.size() > request.size() && line.compare(0, request.size(), request) == 0 &&
        line[request.size()] == ':')
      return line.substr(request.size() + 1);
  return "<no line " + request + ">";
}

Worksheet::Worksheet() : engine_(makeEngine(host)) { engine_->setStopRequest(&stop); }

Worksheet& Worksheet::settings(const DocSettings& s) {
  engine_->setSettings(s);
  return *this;
}

Worksheet& Worksheet::enableAddOns() {
  for (std::size_t i = 0; i < engine_->registry().functions().size(); ++i)
    engine_->setAddOnEnabled(static_cast<int>(i), true);
  return *this;
}

Worksheet& Worksheet::documentPath(const std::string& path) {
  engine_->setDocumentPath(path);
  return *this;
}

SheetResult Worksheet::run(const std::string& utf8, std::size_t stackBytes) {
  SheetResult r;
  MemoryText text(utf8ToUtf16(utf8));
  runOnLargeStack([&] { r.outcome = engine_->run(text); }, stackBytes);
  r.text = text.utf8();
  r.rawStatus = bytesToUtf8(r.outcome.status);
  r.status = r.rawStatus;
  if (!r.status.empty() && r.status[0] == ' ') r.status.erase(0, 1);
  r.ok = r.outcome.ok;
  r.alerts = host.alerts;
  r.shown = host.shown;
  if (!r.ok) {
    const std::u16string& t = text.text();
    r.line = 1;
    r.column = 1;
    for (std::size_t i = 0; i < r.outcome.faultPos && i < t.size(); ++i) {
      if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') continue;
      if (t[i] == u'\n' || t[i] == u'\r') {
        ++r.line;
        r.column = 1;
      } else if (t[i] < 0xDC00 || t[i] > 0xDFFF) {
        ++r.column;
      }
    }
  }
  return r;
}

SheetResult runSheet(const std::string& utf8, const DocSettings& settings, bool enableAll,
                     const std::string& documentPath) {
  Worksheet w;
  w.settings(settings);
  w.documentPath(documentPath);
  if (enableAll) w.enableAddOns();
  return w.run(utf8);
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
