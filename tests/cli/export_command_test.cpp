// `orvanel export` end to end: the HTML page stands alone and is well formed,
// the Markdown page links its plot file.
#include <gtest/gtest.h>

#include <cctype>

#include "command_fixture.h"

namespace orv::cli::test {
namespace {

constexpr char kSheet[] =
    "~ <script>alert(1)</script> & \"quotes\" ~\n"
    "x = 2 -- a <b>bold</b> comment\n"
    "x=\n"
    "plot sin(t), t, 0, 10\n";

// Whether every element of [html] that opens also closes, in order; the
// elements HTML leaves open (meta) and those closed by "/>" aside. [what]
// gets the first element out of place.
bool tagsBalance(const std::string& html, std::string* what) {
  std::vector<std::string> open;
  auto nameChar = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '-';
  };
  for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    std::size_t i = at + 1;
    const bool closing = i < html.size() && html[i] == '/';
    if (closing) ++i;
    if (i >= html.size() || !std::isalpha(static_cast<unsigned char>(html[i]))) continue;
    const std::size_t start = i;
    while (i < html.size() && nameChar(html[i])) ++i;
    const std::string name = html.substr(start, i - start);
    const std::size_t end = html.find('>', i);
    if (end == std::string::npos) break;
    const bool selfClosing = end > i && html[end - 1] == '/';
    if (name == "meta" || selfClosing) continue;
    if (!closing) {
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      *what = "</" + name + "> where " + (open.empty() ? "nothing" : open.back()) + " is open";
      return false;
    } else {
      open.pop_back();
    }
  }
  *what = open.empty() ? "" : open.back() + " left open";
  return open.empty();
}

// The references of [html] to anything outside it: attributes naming a
// source (data: URIs and fragments aside), CSS url() and @import.
std::vector<std::string> externalReferences(const std::string& html) {
  std::vector<std::string> found;
  for (const std::string key : {"src", "href", "action", "data"}) {
    for (std::size_t at = html.find(key); at != std::string::npos; at = html.find(key, at + 1)) {
      std::size_t i = at + key.size();
      while (i < html.size() && std::isspace(static_cast<unsigned char>(html[i]))) ++i;
      if (i >= html.size() || html[i] != '=') continue;
      ++i;
      while (i < html.size() && std::isspace(static_cast<unsigned char>(html[i]))) ++i;
      if (i >= html.size() || html[i] != '"') continue;
      const std::size_t end = html.find('"', i + 1);
      const std::string value = html.substr(i + 1, end == std::string::npos ? 0 : end - i - 1);
      if (key == "href" && (value.rfind("data:", 0) == 0 || value.rfind("#", 0) == 0)) continue;
      found.push_back(html.substr(at, 60));
    }
  }
  for (const char* css : {"url(", "@import"})
    for (std::size_t at = html.find(css); at != std::string::npos; at = html.find(css, at + 1))
      found.push_back(html.substr(at, 60));
  return found;
}

using ExportCommandTest = CommandTest;

TEST_F(ExportCommandTest, HtmlStandsAloneWithColoursResultsAndThePlot) {
  std::string sheet = write("sheet.txt", kSheet);
  ChildResult r = run({"export", sheet, "-o", path("page.html")});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::string html = read("page.html");
  std::string what;
  EXPECT_TRUE(tagsBalance(html, &what)) << what;
  EXPECT_EQ(externalReferences(html), std::vector<std::string>());
  EXPECT_NE(html.find("x:<span class=\"result\">2.00</span>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;quotes&quot;"),
            std::string::npos);
  EXPECT_NE(html.find("<span class=\"comment\">-- a &lt;b&gt;bold&lt;/b&gt; comment</span>"),
            std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<?xml"), std::string::npos);
  EXPECT_NE(html.find("<svg"), std::string::npos);
  EXPECT_NE(html.find("<p class=\"status\">\xE2\x88\x9A</p>"), std::string::npos);
  EXPECT_EQ(read("sheet.txt"), kSheet);
}

TEST_F(ExportCommandTest, TheExamplePlotWithItsImageStaysInsideThePage) {
  ChildResult r = run({"export", ORVANEL_EXAMPLES_DIR "/plotting.ov", "-o", path("plotting.html")});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::string html = read("plotting.html");
  std::string what;
  EXPECT_TRUE(tagsBalance(html, &what)) << what;
  EXPECT_EQ(externalReferences(html), std::vector<std::string>());
  EXPECT_NE(html.find("href=\"data:image/png;base64,"), std::string::npos);
}

TEST_F(ExportCommandTest, MarkdownFencesTheTextAndLinksThePlotFileBesideIt) {
  std::string sheet = write("sheet.txt", std::string("~ ```code``` ~\r\n") + kSheet);
  ChildResult r = run({"export", sheet, "-o", path("out/report.md")});
  EXPECT_EQ(r.exitStatus, 2);  // the folder does not exist
  EXPECT_EQ(r.err, "orvanel: " + path("out/report.svg") + ": No such file or directory\n");

  r = run({"export", sheet, "-o", path("report.md")});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::string md = read("report.md");
  EXPECT_EQ(md.rfind("# sheet.txt\n\n````text\n~ ```code``` ~\n~ <script>", 0), 0u) << md;
  EXPECT_NE(md.find("x:2.00\nplot sin(t), t, 0, 10\n````\n"), std::string::npos) << md;
  EXPECT_NE(md.find("![The plot page](<report.svg>)"), std::string::npos) << md;
  EXPECT_NE(read("report.svg").find("<svg"), std::string::npos);
  for (const std::string& entry : tmp_.entries())
    EXPECT_NE(entry[0], '.') << "a temporary file is left: " << entry;
}

TEST_F(ExportCommandTest, AFailedRunStillWritesThePageWithItsFault) {
  std::string sheet = write("sheet.txt", "x = 1\ny = sqrt(-1)\ny=\n");
  ChildResult r = run({"export", sheet, "-o", path("page.html")});
  EXPECT_EQ(r.exitStatus, 1);
  const std::string fault = sheet + ":3:3: sqrt() argument range error";
  EXPECT_EQ(r.err, fault + "\n");
  EXPECT_NE(read("page.html").find("<p class=\"status failed\">" + fault + "</p>"),
            std::string::npos);
  EXPECT_EQ(read("page.html").find("<svg"), std::string::npos);

  EXPECT_EQ(run({"export", sheet}).exitStatus, 2);
  EXPECT_EQ(run({"export", sheet, "-o", path("page.pdf")}).exitStatus, 2);
}

}  // namespace
}  // namespace orv::cli::test
