#include "Transcript.h"

#include <ostream>

namespace sim {

Transcript::Transcript(const std::string& path, std::ostream* echo) : m_file(path), m_echo(echo) {}

void Transcript::Line(std::string_view text) {
    m_file << text << '\n';
    if (m_echo != nullptr) {
        *m_echo << text << '\n';
    }
}

void Transcript::Flush() {
    m_file.flush();
    if (m_echo != nullptr) {
        m_echo->flush();
    }
}

void Transcript::Line(int level, std::string_view text) {
    Line(std::string(static_cast<std::size_t>(2 * level), ' ') + std::string(text));
}

}  // namespace sim
