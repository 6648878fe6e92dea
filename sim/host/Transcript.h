// The simulation's transcript: one line per event, written to a file and echoed to the console,
// so that a run can be watched and kept. Lines reach the file and the console at each Flush (the
// session flushes once per step of the host), not one by one.
#pragma once

#include <fstream>
#include <iosfwd>
#include <string>
#include <string_view>

namespace sim {

class Transcript {
public:
    // `echo` (may be null) receives every line too.
    Transcript(const std::string& path, std::ostream* echo);

    bool IsOpen() const { return m_file.is_open(); }
    void Line(std::string_view text);
    // Indented lines belong to the last action: 2 spaces per level.
    void Line(int level, std::string_view text);
    void Flush();

private:
    std::ofstream m_file;
    std::ostream* m_echo;
};

}  // namespace sim
