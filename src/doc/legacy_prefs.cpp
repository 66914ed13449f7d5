#include "doc/legacy_prefs.h"

#include <bit>
#include <cstdlib>

namespace orv {

namespace {

constexpr std::size_t kPrefSize = 32;
constexpr std::size_t kLabelHeader = 12;

int32_t decimalOrZero(const std::string& text) {
  long v = std::strtol(text.c_str(), nullptr, 10);
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

}  // namespace

bool GetResPrefs(const ResourceFile& res, DocPrefs* prefs) {
  std::optional<std::string_view> found = res.get(fourCharCode("PRef"), 128);
  if (!found) return false;
  // A short resource reads as if padded with zeros.
  std::string r(*found);
  if (r.size() < kPrefSize) r.resize(kPrefSize, '\0');
  auto byte = [&](std::size_t i) { return static_cast<uint8_t>(r[i]); };
  auto word = [&](std::size_t i) { return int32_t(readBigEndian16(r, i)); };

  DocPrefs& p = *prefs;
  p.hidegrid = (byte(1) & 0x02) ? 0 : 1;
  p.logaxes = byte(1) & 0x70;
  p.boxaxis = (byte(1) & 0x80) ? 1 : 0;
  p.stxdisable = (byte(2) & 0x03) == 0 ? 1 : 0;
  p.printasis = (byte(2) & 0x08) ? 1 : 0;
  p.places = byte(3);
  p.writefmt = byte(4) <= 5 ? byte(4) : 0;
  if (byte(5) <= 2) p.numfmt = byte(5);  // an unknown format keeps the one in force
  p.deg = word(10) != 0 ? 1 : 0;
  p.twwidth = word(16);
  p.twheight = word(18);
  p.twleft = word(20);
  p.twtop = 1000 - word(22);
  p.pwwidth = word(24);
  p.pwheight = word(26);
  p.pwleft = word(28);
  p.pwtop = 1000 - word(30);
  GetResFonts(res, prefs);
  return true;
}

void GetResFonts(const ResourceFile& res, DocPrefs* prefs) {
  prefs->tfontName.clear();
  prefs->pfontName.clear();
  prefs->tfontSize = prefs->pfontSize = 0;
  prefs->tabWidth = -1;
  std::optional<std::string_view> list = res.get(fourCharCode("STR#"), 129);
  if (!list) return;
  std::string s;
  if (GetIndexedSTR(*list, 1, &s)) prefs->tfontName = s;
  prefs->tfontSize = GetIndexedSTR(*list, 2, &s) ? decimalOrZero(s) : 0;
  if (GetIndexedSTR(*list, 3, &s)) prefs->pfontName = s;
  prefs->pfontSize = GetIndexedSTR(*list, 4, &s) ? decimalOrZero(s) : 0;
  int32_t tab = GetIndexedSTR(*list, 5, &s) ? decimalOrZero(s) : 0;
  prefs->tabWidth = tab < 0 || tab > 900 ? 36 : tab;
}

bool GetResLabels(const ResourceFile& res, std::vector<LegacyLabel>* labels) {
  std::optional<std::string_view> found = res.get(fourCharCode("LBLS"), 128);
  if (!found) return false;
  std::string_view r = *found;
  for (std::size_t at = 0; at + kLabelHeader <= r.size();) {
    std::size_t n = readBigEndian16(r, at + 10);
    if (n > r.size() - at - kLabelHeader) break;
    LegacyLabel label;
    label.origin.x = std::bit_cast<float>(readBigEndian32(r, at));
    label.origin.y = std::bit_cast<float>(readBigEndian32(r, at + 4));
    label.positionOnly = (static_cast<uint8_t>(r[at + 9]) & 0x80) != 0;
    label.text = std::string(r.substr(at + kLabelHeader, n));
    labels->push_back(std::move(label));
    at += kLabelHeader + n;
  }
  return true;
}

}  // namespace orv
