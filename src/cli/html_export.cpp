#include "cli/html_export.h"

#include <algorithm>

#include "base/macroman.h"

namespace orv::cli {

namespace {

// The worksheet text with line ends as LF, in UTF-8.
std::string plainText(std::u16string_view text) {
  std::u16string lf;
  lf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r') {
      lf += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != u'\n') {
      lf += u'\n';
    }
  }
  return utf16ToUtf8(lf);
}

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

const char* classOf(int style) {
  switch (style) {
    case kStyleRed:
      return "result";
    case kStyleBlue:
      return "comment";
    case kStyleBrown:
      return "word";
    case kStyleGreen:
      return "green";
    default:
      return nullptr;
  }
}

// The text with each colour run in a span of its class.
std::string colouredText(const SheetPage& page) {
  std::u16string_view text = page.text;
  std::string out;
  std::size_t pos = 0;
  auto plain = [&](std::size_t to) {
    if (to > pos) out += escapeHtml(plainText(text.substr(pos, to - pos)));
    pos = std::max(pos, to);
  };
  for (const ColorRun& run : page.runs) {
    if (run.pos < pos || run.pos >= text.size()) continue;
    plain(run.pos);
    std::size_t end = std::min(text.size(), run.pos + run.len);
    const char* cls = classOf(run.style);
    if (cls) out += std::string("<span class=\"") + cls + "\">";
    plain(end);
    if (cls) out += "</span>";
  }
  plain(text.size());
  return out;
}

// The SVG document without its XML declaration and document type, to stand
// inside HTML.
std::string inlineSvg(const std::string& svg) {
  std::size_t start = svg.find("<svg");
  return start == std::string::npos ? std::string() : svg.substr(start);
}

// A code fence longer than any run of backticks in [text].
std::string fenceFor(std::string_view text) {
  std::size_t longest = 0, run = 0;
  for (char c : text) {
    run = c == '`' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return std::string(std::max<std::size_t>(3, longest + 1), '`');
}

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:2em;color:#000;background:#fff}\n"
    "pre.sheet{font-family:monospace;tab-size:8;white-space:pre-wrap;padding:1em;"
    "border:1px solid #ccc;background:#fafafa}\n"
    ".comment{color:#0000FF}\n"
    ".word{color:#996633}\n"
    ".green{color:#008000}\n"
    ".result{color:#FF0000;font-weight:bold}\n"
    ".status{font-family:monospace}\n"
    ".status.failed{color:#FF0000}\n"
    ".plot svg{max-width:100%;height:auto;border:1px solid #ccc}\n";

}  // namespace

std::string htmlPage(const SheetPage& page) {
  const std::string title = escapeHtml(page.title);
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
      "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n<h1>" + title + "</h1>\n";
  out += "<pre class=\"sheet\">" + colouredText(page) + "</pre>\n";
  out += std::string("<p class=\"status") + (page.failed ? " failed" : "") + "\">" +
         escapeHtml(page.status) + "</p>\n";
  if (std::string svg = inlineSvg(page.svg); !svg.empty())
    out += "<figure class=\"plot\">\n" + svg + "\n</figure>\n";
  out += "</body>\n</html>\n";
  return out;
}

std::string markdownPage(const SheetPage& page, const std::string& plotLink) {
  const std::string text = plainText(page.text);
  const std::string fence = fenceFor(text);
  std::string out = "# " + page.title + "\n\n" + fence + "text\n" + text;
  if (!text.empty() && text.back() != '\n') out += '\n';
  out += fence + "\n\n";
  if (!page.status.empty()) out += (page.failed ? "Failed: `" : "Status: `") + page.status + "`\n";
  if (!page.svg.empty()) out += "\n![The plot page](<" + plotLink + ">)\n";
  return out;
}

}  // namespace orv::cli
