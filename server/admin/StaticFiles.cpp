#include "StaticFiles.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "Router.h"

namespace admin {

namespace {

constexpr std::pair<std::string_view, const char*> kContentTypes[] = {
    {".html", "text/html; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".mjs", "text/javascript; charset=utf-8"},
    {".json", "application/json"},
    {".txt", "text/plain; charset=utf-8"},
    {".svg", "image/svg+xml"},
    {".png", "image/png"},
    {".ico", "image/x-icon"},
    {".woff2", "font/woff2"},
    {".map", "application/json"},
};

}  // namespace

const char* ContentTypeOf(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    for (const auto& [name, type] : kContentTypes) {
        if (extension == name) {
            return type;
        }
    }
    return "application/octet-stream";
}

StaticFiles::StaticFiles(std::filesystem::path root) : m_root(std::move(root)) {}

Response StaticFiles::Serve(const std::string& path) const {
    const auto missing = [] { return Text(404, "not found"); };
    std::filesystem::path relative;
    std::istringstream segments(path);
    for (std::string segment; std::getline(segments, segment, '/');) {
        // Nothing leaves the folder, and hidden files stay hidden.
        if (segment.empty() || segment == ".") {
            continue;
        }
        if (segment.front() == '.' || segment.find('\\') != std::string::npos) {
            return missing();
        }
        relative /= segment;
    }
    std::error_code error;
    const std::filesystem::path root = std::filesystem::canonical(m_root, error);
    if (error) {
        return missing();
    }
    std::filesystem::path file = std::filesystem::canonical(root / relative, error);
    if (!error && std::filesystem::is_directory(file, error)) {
        file = std::filesystem::canonical(file / "index.html", error);
    }
    // A link inside the folder may not lead out of it.
    const auto [rootEnd, fileAt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
    if (error || rootEnd != root.end() || !std::filesystem::is_regular_file(file, error) ||
        std::filesystem::file_size(file, error) > kMaxFileBytes || error) {
        return missing();
    }
    std::ifstream in(file, std::ios::binary);
    std::string body{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        return missing();
    }
    return {200, ContentTypeOf(file), std::move(body), {}, {}, {}};
}

}  // namespace admin
