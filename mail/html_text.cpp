#include "mail/html_text.h"

#include <gumbo.h>

#include <algorithm>
#include <vector>

namespace mail {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The HTML parser's cost grows with the square of the nesting and its tree is
// many times the page in memory, so a hostile page is read only as far as a
// sane one would go: this deep, and this many tags.
constexpr std::size_t kMaxNesting = 256;
constexpr std::size_t kMaxTags = 50000;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string LowerName(std::string_view text, std::size_t at) {
  std::string name;
  for (; at < text.size() && (IsLetter(text[at]) || (text[at] >= '0' && text[at] <= '9')); ++at)
    name += static_cast<char>(text[at] >= 'A' && text[at] <= 'Z' ? text[at] - 'A' + 'a' : text[at]);
  return name;
}

// Elements that hold nothing, or whose end the parser supplies by itself, nest no deeper.
bool NestsNoDeeper(const std::string& name) {
  static constexpr std::string_view kNames[] = {
      "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param", "source", "track", "wbr",
      "p", "li", "dt", "dd", "td", "th", "tr", "thead", "tbody", "tfoot", "option", "optgroup", "colgroup"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

bool IsRawText(const std::string& name) {
  return name == "script" || name == "style" || name == "textarea" || name == "title";
}

// How much of the page to parse: all of it, unless its tags nest deeper or
// number more than a page meant to be read does. A rough reading of the tags
// alone: an end tag closes the innermost open element of its name, as the
// parser's would, and one that closes nothing counts for nothing.
std::size_t ReadablePrefix(std::string_view html) {
  html = html.substr(0, kMaxRenderedHtml);
  std::vector<std::string> open;
  std::size_t tags = 0;
  for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
    if (html.substr(at, 4) == "<!--") {
      at = html.find("-->", at + 4);
      if (at == std::string_view::npos) break;
      continue;
    }
    const bool closing = at + 1 < html.size() && html[at + 1] == '/';
    std::string name = LowerName(html, at + (closing ? 2 : 1));
    if (name.empty()) continue;
    if (++tags > kMaxTags) return at;
    const std::size_t end = html.find('>', at);
    if (end == std::string_view::npos) break;
    if (closing) {
      if (const auto match = std::find(open.rbegin(), open.rend(), name); match != open.rend())
        open.erase(std::next(match).base(), open.end());
    } else if (IsRawText(name)) {
      // Its text is no markup: on to its end tag.
      const std::size_t close = html.find("</", end);
      if (close == std::string_view::npos) break;
      at = close + 1;
    } else if (!NestsNoDeeper(name) && html[end - 1] != '/') {
      if (open.size() == kMaxNesting) return at;
      open.push_back(std::move(name));
    }
  }
  return html.size();
}

// Collects text with the whitespace of HTML: runs of blanks become one, line
// breaks come only from the structure, at most one empty line in a row.
class PlainTextWriter {
 public:
  void Text(std::string_view text) {
    for (const char c : text) {
      if (IsSpace(c)) {
        pendingSpace_ = !lineEmpty_;
        continue;
      }
      Put(c);
    }
  }

  // Kept as it stands: blanks stay, line feeds break lines.
  void Preformatted(std::string_view text) {
    for (const char c : text) {
      if (c == '\n') LineBreak(true);
      else if (c != '\r') Put(c);
    }
  }

  // Written as one piece after a blank, whatever it holds.
  void Word(std::string_view word) {
    pendingSpace_ = !lineEmpty_;
    for (const char c : word) Put(c);
  }

  // `forced` breaks even an empty line, as <br> does.
  void LineBreak(bool forced = false) {
    if (out_.empty()) return;
    pendingBreaks_ = forced ? pendingBreaks_ + 1 : std::max(pendingBreaks_, 1);
    lineEmpty_ = true;
    pendingSpace_ = false;
  }

  void ParagraphBreak() {
    LineBreak();
    if (!out_.empty()) pendingBreaks_ = std::max(pendingBreaks_, 2);
  }

  void CellSeparator() {
    if (lineEmpty_) return;
    Put('\t');
    pendingSpace_ = false;
  }

  std::size_t Size() const { return out_.size(); }
  std::string_view Since(std::size_t at) const { return std::string_view(out_).substr(std::min(at, out_.size())); }

  // A non-breaking space kept its place among the collapsed blanks; in plain text it is a blank.
  std::string Take() {
    if (!out_.empty()) out_ += "\r\n";
    std::string text;
    text.reserve(out_.size());
    for (std::size_t at = 0; at < out_.size(); ++at) {
      const bool nonBreaking = out_[at] == '\xC2' && at + 1 < out_.size() && out_[at + 1] == '\xA0';
      text += nonBreaking ? ' ' : out_[at];
      at += nonBreaking ? 1 : 0;
    }
    return text;
  }

 private:
  void Put(char c) {
    if (pendingBreaks_ > 0) {
      for (int i = 0; i < std::min(pendingBreaks_, 2); ++i) out_ += "\r\n";
      pendingBreaks_ = 0;
    } else if (pendingSpace_ && c != '\t') {
      out_ += ' ';
    }
    pendingSpace_ = false;
    lineEmpty_ = false;
    out_ += c;
  }

  std::string out_;
  int pendingBreaks_ = 0;
  bool pendingSpace_ = false;
  bool lineEmpty_ = true;
};

bool IsOneOf(GumboTag tag, std::initializer_list<GumboTag> tags) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

bool IsHidden(GumboTag tag) {
  return IsOneOf(tag, {GUMBO_TAG_HEAD, GUMBO_TAG_SCRIPT, GUMBO_TAG_STYLE, GUMBO_TAG_TITLE, GUMBO_TAG_TEMPLATE,
                       GUMBO_TAG_NOSCRIPT, GUMBO_TAG_OBJECT, GUMBO_TAG_IFRAME});
}

bool IsParagraph(GumboTag tag) {
  return IsOneOf(tag, {GUMBO_TAG_P, GUMBO_TAG_H1, GUMBO_TAG_H2, GUMBO_TAG_H3, GUMBO_TAG_H4, GUMBO_TAG_H5, GUMBO_TAG_H6,
                       GUMBO_TAG_BLOCKQUOTE, GUMBO_TAG_PRE, GUMBO_TAG_TABLE, GUMBO_TAG_UL, GUMBO_TAG_OL, GUMBO_TAG_DL});
}

bool IsBlock(GumboTag tag) {
  return IsParagraph(tag) ||
         IsOneOf(tag, {GUMBO_TAG_DIV, GUMBO_TAG_LI, GUMBO_TAG_TR, GUMBO_TAG_DT, GUMBO_TAG_DD, GUMBO_TAG_HR,
                       GUMBO_TAG_CAPTION, GUMBO_TAG_CENTER, GUMBO_TAG_SECTION, GUMBO_TAG_ARTICLE, GUMBO_TAG_HEADER,
                       GUMBO_TAG_FOOTER, GUMBO_TAG_NAV, GUMBO_TAG_ASIDE, GUMBO_TAG_MAIN, GUMBO_TAG_FIGURE,
                       GUMBO_TAG_FIGCAPTION, GUMBO_TAG_ADDRESS, GUMBO_TAG_FORM, GUMBO_TAG_FIELDSET,
                       GUMBO_TAG_DETAILS, GUMBO_TAG_SUMMARY, GUMBO_TAG_LEGEND, GUMBO_TAG_BODY});
}

std::string_view Attribute(const GumboElement& element, const char* name) {
  const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
  return attribute ? std::string_view(attribute->value) : std::string_view();
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The address a link shows after its text: none for an anchor within the
// page, for script, or where the text says the address already.
bool ShowsAddress(std::string_view href, std::string_view linkText) {
  if (href.empty() || href.front() == '#' || href.starts_with("javascript:")) return false;
  std::string_view bare = href;
  if (bare.starts_with("mailto:")) bare.remove_prefix(7);
  linkText = Trimmed(linkText);
  return linkText != href && linkText != bare;
}

const GumboVector& Children(const GumboNode* node) {
  return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
}

// Walks the tree without recursion: deeply nested markup must not exhaust the stack.
class Renderer {
 public:
  std::string Render(const GumboNode* root) {
    Visit(root);
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      const GumboVector& children = Children(frame.node);
      if (frame.next < children.length) {
        Visit(static_cast<const GumboNode*>(children.data[frame.next++]));
        continue;
      }
      Leave(frame);
      stack_.pop_back();
    }
    return writer_.Take();
  }

 private:
  struct Frame {
    const GumboNode* node;
    unsigned next = 0;
    std::size_t textStart = 0;  // where the element's text began, for a link
  };

  void Visit(const GumboNode* node) {
    switch (node->type) {
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_CDATA:
        preformatted_ > 0 ? writer_.Preformatted(node->v.text.text) : writer_.Text(node->v.text.text);
        return;
      case GUMBO_NODE_WHITESPACE:
        if (preformatted_ > 0) writer_.Preformatted(node->v.text.text);
        else writer_.Text(" ");
        return;
      case GUMBO_NODE_DOCUMENT:
      case GUMBO_NODE_ELEMENT:
        return Enter(node);
      default:
        return;  // comments, templates
    }
  }

  void Enter(const GumboNode* node) {
    if (node->type == GUMBO_NODE_ELEMENT) {
      const GumboElement& element = node->v.element;
      const GumboTag tag = element.tag;
      if (IsHidden(tag)) return;
      if (tag == GUMBO_TAG_BR) return writer_.LineBreak(true);
      if (tag == GUMBO_TAG_IMG) return writer_.Text(Attribute(element, "alt"));
      if (IsParagraph(tag)) writer_.ParagraphBreak();
      else if (IsBlock(tag)) writer_.LineBreak();
      if (tag == GUMBO_TAG_LI) {
        writer_.Word("-");
        writer_.Text(" ");
      }
      if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) writer_.CellSeparator();
      if (tag == GUMBO_TAG_PRE) ++preformatted_;
    }
    stack_.push_back({node, 0, writer_.Size()});
  }

  void Leave(const Frame& frame) {
    if (frame.node->type != GUMBO_NODE_ELEMENT) return;
    const GumboElement& element = frame.node->v.element;
    const GumboTag tag = element.tag;
    if (tag == GUMBO_TAG_PRE) --preformatted_;
    if (tag == GUMBO_TAG_A) {
      const std::string_view href = Trimmed(Attribute(element, "href"));
      if (ShowsAddress(href, writer_.Since(frame.textStart))) writer_.Word("<" + std::string(href) + ">");
    }
    if (IsParagraph(tag)) writer_.ParagraphBreak();
    else if (IsBlock(tag)) writer_.LineBreak();
  }

  PlainTextWriter writer_;
  std::vector<Frame> stack_;
  int preformatted_ = 0;
};

}  // namespace

std::string CharsetNamedInHtml(std::string_view html) {
  std::string head(html.substr(0, 4096));
  for (char& c : head) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  for (std::size_t at = head.find("<meta"); at != std::string::npos; at = head.find("<meta", at + 1)) {
    const std::size_t end = head.find('>', at);
    const std::size_t key = head.find("charset=", at);
    if (key == std::string::npos || key > end) continue;
    std::size_t from = key + 8;
    if (from < head.size() && (head[from] == '"' || head[from] == '\'')) ++from;
    std::size_t to = from;
    while (to < head.size() && (IsLetter(head[to]) || (head[to] >= '0' && head[to] <= '9') || head[to] == '-' ||
                                head[to] == '_' || head[to] == '.' || head[to] == ':'))
      ++to;
    return std::string(html.substr(from, to - from));
  }
  return {};
}

std::string HtmlToPlainText(std::string_view utf8Html) {
  utf8Html = utf8Html.substr(0, ReadablePrefix(utf8Html));
  GumboOptions options = kGumboDefaultOptions;
  options.max_errors = 0;  // the errors are of no use here, and a hostile page makes millions
  GumboOutput* output = gumbo_parse_with_options(&options, utf8Html.data(), utf8Html.size());
  std::string text = Renderer().Render(output->document);
  gumbo_destroy_output(&options, output);
  return text;
}

}  // namespace mail
