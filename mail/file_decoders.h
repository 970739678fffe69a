// The file decoders: an attached file's EncodedLines become its Data, reported
// through the context's decode reports.
#pragma once

#include <cstddef>
#include <string>

#include "mail/attached_files.h"
#include "mail/lines.h"
#include "mail/parse_context.h"

namespace mail {

void DecodeBase64File(ParseContext& context, TAttachedFile& item);
void DecodeQPFile(ParseContext& context, TAttachedFile& item);
// Raises MailError(context.FormatError()) on a bad character, after the closing reports.
void DecodeUUFile(ParseContext& context, TAttachedFile& item);

// The same from lines read where they are instead of from EncodedLines, so a
// large part is never copied before it is decoded.
void DecodeBase64File(ParseContext& context, TAttachedFile& item, LinesView lines);
void DecodeQPFile(ParseContext& context, TAttachedFile& item, LinesView lines);
void DecodeUUFile(ParseContext& context, TAttachedFile& item, LinesView lines);

// The first uuencode "begin" line: its index and the file name it gives.
bool FindUUBegin(const Lines& lines, std::size_t& index, std::string& name);
// The same from line `from` on; `index` is the line count when there is none.
bool FindUUBeginFrom(const Lines& lines, std::size_t from, std::size_t& index, std::string& name);

}  // namespace mail
