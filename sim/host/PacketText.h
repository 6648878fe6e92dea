// Chamber packets as readable text: the name of each message and each of its records, field by
// field, as the bytes carry them (for the transcript).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// "apply for a post", "job table with clock", ...; "message N" for an id outside the catalogue.
std::string MessageName(int id);
// One line per record in image order; the records of list entries (field ids 100 and above) are
// gathered into one line per entry. A damaged image gives one line that says so. At most
// kMostRecords records are written, and of each text at most kLongestText units: whatever a
// server sends, a message costs the transcript a bounded amount.
inline constexpr int kMostRecords = 256;
inline constexpr std::size_t kLongestText = 256;
std::vector<std::string> DescribePacket(int messageId, const char* image, int length);
// A text in double quotes, with line breaks, quotes and backslashes escaped.
std::string Quoted(std::string_view utf8);
// The same of a UTF-16 text, cut after kLongestText units (followed then by its length).
std::string QuotedText(std::u16string_view text);

}  // namespace sim
