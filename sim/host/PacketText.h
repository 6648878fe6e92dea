// Chamber packets as readable text: the name of each message and each of its records, field by
// field, as the bytes carry them (for the transcript).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// "apply for a post", "job table with clock", ...; "message N" for an id outside the catalogue.
std::string MessageName(int id);
// One line per record in image order; the records of list entries (field ids 100 and above) are
// gathered into one line per entry. A damaged image gives one line that says so.
std::vector<std::string> DescribePacket(int messageId, const char* image, int length);
// A text in double quotes, with line breaks, quotes and backslashes escaped.
std::string Quoted(std::string_view utf8);

}  // namespace sim
