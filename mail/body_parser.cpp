#include "mail/body_parser.h"

#include <algorithm>
#include <utility>

#include "mail/charsets.h"
#include "mail/file_decoders.h"
#include "mail/header_decoding.h"
#include "mail/header_parameters.h"
#include "mail/html_text.h"
#include "mail/mail_error.h"
#include "mail/message.h"
#include "mail/message_lines.h"
#include "mail/multipart_parts.h"
#include "mail/text_decoders.h"
#include "mail/text_utils.h"
#include "platform/cp1251.h"

namespace mail {

namespace {

// Multipart bodies nested deeper than this are not walked: every level reads
// the lines below it again, so thousands of levels would take quadratic time.
// The deeper content is kept whole, as one unnamed file of its raw lines.
constexpr int kMaxNesting = 100;
// A message's files beyond this many would cost more than their bytes (each
// is listed, named and typed): what follows is kept whole as one unnamed file.
constexpr std::size_t kMaxFiles = 10000;

bool IsFileEncoding(const std::string& encoding) {
  return encoding == "BASE64" || encoding == "X-UUENCODE" || encoding == "QUOTED-PRINTABLE";
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool IsBlankLine(std::string_view line) { return Trim(line).empty(); }

bool IsEndLine(std::string_view line) { return UpperAscii(Trim(line)) == "END"; }

// Lines up to, not including, the first empty one: a part's own header lines.
std::size_t HeaderEnd(HeaderLines lines) {
  std::size_t end = 0;
  while (end < lines.size() && !lines[end].empty()) ++end;
  return end;
}

// A quoted name loses its first and its last character.
std::string Unquote(std::string name) {
  if (!name.empty() && name.front() == '"') name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();
  return name;
}

// Lines joined with line breaks and cut again, so decoded breaks become lines.
// Lines that hold no break would come back as they are, so they stay.
Lines Recut(Lines lines) {
  const auto holdsBreak = [](std::string_view line) { return line.find_first_of("\r\n") != std::string_view::npos; };
  if (std::none_of(lines.begin(), lines.end(), holdsBreak)) return lines;
  const std::string joined = JoinLines(lines);
  lines = Lines();  // the joined text holds it all now
  return CutLines(joined);
}

// A file name from Content-Disposition's filename, else Content-Type's name.
std::optional<ParameterValue> NamedParameter(HeaderLines headers) {
  if (auto name = FindParameter(UnfoldedField("CONTENT-DISPOSITION:", headers), "FILENAME")) return name;
  return FindParameter(UnfoldedField("CONTENT-TYPE:", headers), "NAME");
}

// Blanks between two encoded words are no part of the text: a name folded
// over lines comes out as one.
std::string JoinEncodedWords(std::string_view text) {
  std::string joined;
  joined.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    joined += text[i];
    if (!joined.ends_with("?=")) continue;
    std::size_t next = i + 1;
    while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) ++next;
    if (next > i + 1 && text.substr(next).starts_with("=?")) i = next - 1;
  }
  return joined;
}

// An RFC 2231 name is in its own charset (the part's when it names none); any other may hold encoded words.
std::string DecodedName(const ParameterValue& name, const std::string& charset) {
  if (name.charset) return ConvertTextCharset(name.text, name.charset->empty() ? charset : *name.charset);
  return DecodeHeaderText(JoinEncodedWords(name.text), charset);
}

// What a reader of HTML-only mail sees: the page's text, in Windows-1251;
// nothing when the page could not be decoded. A page whose part names no
// charset may name its own.
Lines RenderedHtml(const std::optional<std::string>& html, const std::string& charset) {
  if (!html) return {};
  const std::string named = charset.empty() ? CharsetNamedInHtml(*html) : charset;
  const std::string utf8 = text::Cp1251ToUtf8(ConvertTextCharset(*html, named));
  return CutLines(text::Utf8ToCp1251(HtmlToPlainText(utf8)));
}

class BodyParser {
 public:
  BodyParser(ParseContext& context, TKelMsg& message) : context_(context), message_(message) {}

  void Parse(HeaderLines headers, Lines& body, const PartType& top);

 private:
  void ParsePlainText(Lines& body, const std::string& encoding);
  void ParseHtml(Lines& body, const std::string& encoding);
  void RenderHtmlPartIfNoText();
  void ExtractUuencodedFiles(Lines& body);
  void ParseSingleFile(HeaderLines headers, Lines& body, const std::string& encoding);
  void ParseMultipart(const PartType& top, const Lines& body);
  // The parts of one multipart body not walked yet.
  struct OpenMultipart {
    MultipartParts parts;
    int depth;  // 1 for the message's own multipart body
  };
  void ParsePart(const Lines& body, LineRange range, int depth, std::vector<OpenMultipart>& open);
  void KeepTheRest(const Lines& body, std::size_t first, std::size_t end, MultipartParts& topParts);
  void AddTextPart(Lines part, const PartType& type);
  void AddFilePart(LinesView part, const PartType& type, std::string name);
  void Decode(TAttachedFile& item, LinesView lines, const std::string& encoding);
  void Store(TAttachedFile& item, LinesView lines);
  std::string PartFileName(HeaderLines partHeaders, const std::string& partCharset) const;
  std::string NextUnnamedName(const std::string& mediaType);
  const std::string& CharsetOr(const std::string& partCharset) const {
    return partCharset.empty() ? message_.Charset : partCharset;
  }

  ParseContext& context_;
  TKelMsg& message_;
  int unnamedCount_ = 0;
  bool sawPlainTextPart_ = false;
  struct HtmlPart {
    std::size_t file;  // its index among the attached files
    std::string charset;
  };
  std::optional<HtmlPart> firstHtmlPart_;
};

void BodyParser::Parse(HeaderLines headers, Lines& body, const PartType& top) {
  const std::string& media = top.mediaType;
  const bool plainText = !top.hasContentType || Contains(media, "TEXT") || media == "MULTIPART/REPORT" ||
                         (Contains(media, "MESSAGE") && !top.boundary);
  if (media == "TEXT/HTML") {
    ParseHtml(body, top.encoding);
  } else if (plainText) {
    ParsePlainText(body, top.encoding);
  } else if (IsFileEncoding(top.encoding) || !(media.starts_with("MULTIPART/") || top.boundary)) {
    // A single part that is neither text nor multipart is one file, whatever its encoding.
    ParseSingleFile(headers, body, top.encoding);
  } else {
    ParseMultipart(top, body);
  }
}

void BodyParser::ParsePlainText(Lines& body, const std::string& encoding) {
  ExtractUuencodedFiles(body);
  if (encoding == "BASE64") DecodeBase64Lines(body, context_.EventPump());
  else if (encoding == "QUOTED-PRINTABLE") DecodeQPLines(body, context_.EventPump());
  ConvertLinesCharset(body, message_.Charset);
  message_.Text = Recut(std::move(body));
}

// The page is kept whole as a file; the text shown is its rendering.
void BodyParser::ParseHtml(Lines& body, const std::string& encoding) {
  TAttachedFile& item = message_.AttachedFiles.Add(NextUnnamedName("TEXT/HTML"));
  if (IsFileEncoding(encoding)) Decode(item, body, encoding);
  else Store(item, body);
  message_.Text = RenderedHtml(item.Data, message_.Charset);
}

// A multipart message with no plain text part reads as its first unnamed HTML part.
void BodyParser::RenderHtmlPartIfNoText() {
  if (sawPlainTextPart_ || !message_.Text.empty() || !firstHtmlPart_) return;
  const TAttachedFile& page = message_.AttachedFiles.Items(firstHtmlPart_->file);
  message_.Text = RenderedHtml(page.Data, firstHtmlPart_->charset);
}

// Each "begin" ... "end" block leaves the body and becomes a decoded file; a
// block without its "end" line is dropped with the rest of the body. Each
// search goes on from where the last block ended, and the blocks leave the
// body together in one walk at the end.
void BodyParser::ExtractUuencodedFiles(Lines& body) {
  std::vector<LineRange> blocks;
  std::size_t keptEnd = body.size();
  std::size_t next = 0;
  std::size_t begin = 0;
  std::string fileName;
  while (message_.AttachedFiles.Count() < kMaxFiles && FindUUBeginFrom(body, next, begin, fileName)) {
    Lines encoded;
    for (next = begin; next < body.size() && !IsEndLine(body[next]); ++next)
      if (!body[next].empty()) encoded.push_back(body[next]);
    if (next == body.size()) {
      keptEnd = begin;
      break;
    }
    blocks.push_back({begin, ++next});  // the "end" line goes too
    TAttachedFile& item = message_.AttachedFiles.Add(DecodeHeaderText(fileName, message_.Charset));
    item.EncodedLines = std::move(encoded);
    DecodeUUFile(context_, item);
  }
  std::size_t block = 0;
  body.Compact([&](std::size_t index, std::string_view line) -> std::optional<std::string_view> {
    while (block < blocks.size() && index >= blocks[block].last) ++block;
    if (index >= keptEnd || (block < blocks.size() && index >= blocks[block].first)) return std::nullopt;
    return line;
  });
}

void BodyParser::ParseSingleFile(HeaderLines headers, Lines& body, const std::string& encoding) {
  // The rest of the line after the key, as single files have always been
  // named; the parameter proper only where that finds nothing.
  std::string name;
  if (const auto at = FindHeaderLine("CONTENT-DISPOSITION:", headers)) {
    const std::string_view line = headers[*at];
    if (const auto key = UpperAscii(line).find("FILENAME="); key != std::string::npos)
      name = Unquote(std::string(Trim(line.substr(key + 9))));
  }
  if (!name.empty()) name = DecodeHeaderText(name, message_.Charset);
  else if (auto filename = FindParameter(UnfoldedField("CONTENT-DISPOSITION:", headers), "FILENAME"))
    name = DecodedName(*filename, message_.Charset);
  if (name.empty()) name = NextUnnamedName(message_.ContentType);
  TAttachedFile& item = message_.AttachedFiles.Add(name);
  if (!IsFileEncoding(encoding)) return Store(item, body);
  const std::size_t firstText = std::find_if_not(body.begin(), body.end(), IsBlankLine).Index();
  Decode(item, LinesView(body, firstText, body.size() - firstText), encoding);
}

// Depth first, in the order the parts stand: a nested multipart's parts are
// walked before the part after it. Every part is a range of the body's lines.
void BodyParser::ParseMultipart(const PartType& top, const Lines& body) {
  std::optional<MultipartParts> parts;
  if (top.boundary) parts = MultipartParts::Open(*top.boundary, body, {0, body.size()});
  if (!parts) throw MailError(context_.FormatError());
  std::vector<OpenMultipart> open = {{*std::move(parts), 1}};
  std::size_t topPartEnd = 0;  // where the top-level part being walked ends
  while (!open.empty()) {
    const std::optional<LineRange> part = open.back().parts.Next();
    if (!part) {
      open.pop_back();
      continue;
    }
    if (open.size() == 1) topPartEnd = part->last;
    if (message_.AttachedFiles.Count() >= kMaxFiles) {
      KeepTheRest(body, part->first - 1, topPartEnd, open.front().parts);
      break;
    }
    ParsePart(body, *part, open.back().depth, open);
  }
  RenderHtmlPartIfNoText();
}

// From the delimiter line at `first` to the end of the message's last part, as one file.
void BodyParser::KeepTheRest(const Lines& body, std::size_t first, std::size_t end, MultipartParts& topParts) {
  while (const std::optional<LineRange> part = topParts.Next()) end = part->last;
  Store(message_.AttachedFiles.Add(NextUnnamedName(message_.ContentType)), ViewOf(body, {first, end}));
}

void BodyParser::ParsePart(const Lines& body, LineRange range, int depth, std::vector<OpenMultipart>& open) {
  const LinesView part = ViewOf(body, range);
  const HeaderLines partHeaders = part.Sub(0, HeaderEnd(part));
  const PartType type = ReadPartType(partHeaders);
  if (type.boundary) {
    // A nested multipart: its parts are walked in its place. One too deep, or
    // one that cannot be split, is kept whole as a file, and the rest goes on.
    std::optional<MultipartParts> inner;
    if (depth < kMaxNesting) inner = MultipartParts::Open(*type.boundary, body, range);
    if (!inner) return Store(message_.AttachedFiles.Add(NextUnnamedName(type.mediaType)), part);
    open.push_back({*std::move(inner), depth + 1});
    return;
  }
  std::string name = PartFileName(partHeaders, type.charset);
  const bool isText = message_.Text.empty() &&
                      (type.mediaType == "TEXT/PLAIN" ||
                       (!IsFileEncoding(type.encoding) && name.empty() && type.mediaType != "TEXT/HTML"));
  sawPlainTextPart_ = sawPlainTextPart_ || type.mediaType == "TEXT/PLAIN";
  if (isText) return AddTextPart(body.Slice(range.first, range.last), type);
  if (type.mediaType == "TEXT/HTML" && name.empty() && !firstHtmlPart_)
    firstHtmlPart_ = HtmlPart{message_.AttachedFiles.Count(), CharsetOr(type.charset)};
  AddFilePart(part, type, std::move(name));
}

std::string BodyParser::PartFileName(HeaderLines partHeaders, const std::string& partCharset) const {
  if (std::optional<ParameterValue> named = NamedParameter(partHeaders))
    return DecodedName(*named, CharsetOr(partCharset));
  // Where no field names it as a parameter, a key anywhere in the headers still does.
  auto found = FindLineWith("FILENAME=", partHeaders);
  std::size_t keyLength = 9;
  if (!found) {
    found = FindLineWith("NAME=", partHeaders);
    keyLength = 5;
  }
  if (!found) return {};
  const auto [line, position] = *found;
  std::string_view value = partHeaders[line];
  value = value.substr(std::min(value.size(), position - 1 + keyLength), 127);
  value = Trim(value);
  value = value.substr(0, value.find(';'));
  const std::string name = Unquote(std::string(value));
  return name.empty() ? name : DecodeHeaderText(name, CharsetOr(partCharset));
}

void BodyParser::AddTextPart(Lines part, const PartType& type) {
  const std::size_t headerEnd = HeaderEnd(part);
  part.Keep(std::min(headerEnd + 1, part.size()), part.size());
  if (type.encoding == "BASE64") DecodeBase64Lines(part, context_.EventPump());
  else if (type.encoding == "QUOTED-PRINTABLE") DecodeQPLines(part, context_.EventPump());
  ConvertLinesCharset(part, CharsetOr(type.charset));
  message_.Text.Append(part);
}

void BodyParser::AddFilePart(LinesView part, const PartType& type, std::string name) {
  if (name.empty()) name = NextUnnamedName(type.mediaType);
  TAttachedFile& item = message_.AttachedFiles.Add(name);
  // The part's headers end at the first line that is blank; encoded content
  // may be preceded by more blank lines, other content keeps them.
  std::size_t cut = 0;
  while (cut < part.size() && !IsBlankLine(part[cut])) ++cut;
  if (cut < part.size()) {
    ++cut;
    if (IsFileEncoding(type.encoding))
      while (cut < part.size() && IsBlankLine(part[cut])) ++cut;
  }
  std::size_t end = part.size();
  if (IsFileEncoding(type.encoding)) return Decode(item, part.Sub(cut, end), type.encoding);
  // An empty last line is the line break before the next delimiter, not content;
  // a sender that put none before it leaves real content there.
  if (end > cut && part[end - 1].empty()) --end;
  Store(item, part.Sub(cut, end));
}

void BodyParser::Decode(TAttachedFile& item, LinesView lines, const std::string& encoding) {
  if (encoding == "BASE64") DecodeBase64File(context_, item, lines);
  else if (encoding == "QUOTED-PRINTABLE") DecodeQPFile(context_, item, lines);
  else DecodeUUFile(context_, item, lines);
}

// Content in no transfer encoding is kept as it stands, each line with its CR LF.
void BodyParser::Store(TAttachedFile& item, LinesView lines) { item.Data = JoinLines(lines); }

std::string BodyParser::NextUnnamedName(const std::string& mediaType) {
  return UnnamedPartName(context_.MimeDatabase(), ++unnamedCount_, mediaType);
}

}  // namespace

void ParseBody(ParseContext& context, TKelMsg& message, HeaderLines headers, Lines& body, const PartType& top) {
  BodyParser(context, message).Parse(headers, body, top);
}

std::optional<std::vector<Lines>> TrySplitMultipart(HeaderLines headers, Lines& lines) {
  const std::optional<std::string> boundary = BoundaryIn(RawContentTypeText(headers));
  if (!boundary) return std::nullopt;
  return SplitAtBoundary(*boundary, lines);
}

std::optional<std::vector<Lines>> SplitAtBoundary(const std::string& boundary, Lines& lines) {
  std::optional<MultipartParts> cursor = MultipartParts::Open(boundary, lines, {0, lines.size()});
  if (!cursor) return std::nullopt;
  std::vector<LineRange> bounds;
  while (const std::optional<LineRange> part = cursor->Next()) bounds.push_back(*part);
  const auto lineCount = [](const LineRange& range) { return range.last - range.first; };
  // The largest part keeps the buffer of `lines` itself, so a large attachment's
  // lines are never held twice.
  const std::size_t largest = static_cast<std::size_t>(
      std::max_element(bounds.begin(), bounds.end(), [&](auto& a, auto& b) { return lineCount(a) < lineCount(b); }) -
      bounds.begin());
  std::vector<Lines> parts(bounds.size());
  for (std::size_t i = 0; i < parts.size(); ++i)
    if (i != largest) parts[i] = lines.Slice(bounds[i].first, bounds[i].last);
  lines.Keep(bounds[largest].first, bounds[largest].last);
  parts[largest] = std::move(lines);
  return parts;
}

std::vector<Lines> SplitMultipart(const std::string& errorText, HeaderLines headers, Lines& lines) {
  std::optional<std::vector<Lines>> parts = TrySplitMultipart(headers, lines);
  if (!parts) throw MailError(errorText);
  return *std::move(parts);
}

std::optional<std::pair<std::size_t, std::size_t>> FindLineWith(std::string_view key, HeaderLines lines) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (const auto at = UpperAscii(lines[i]).find(key); at != std::string::npos) return std::pair(i, at + 1);
  return std::nullopt;
}

std::optional<std::size_t> FindLineContaining(std::string_view text, HeaderLines lines) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (Contains(lines[i], text)) return i;
  return std::nullopt;
}

}  // namespace mail
