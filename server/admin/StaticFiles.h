// The files of one folder served over HTTP: a path is normalised, may not leave the folder or name
// a hidden file, a folder answers with its index.html (never a listing), and each file goes with
// the content type of its extension.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace admin {

struct Response;

class StaticFiles {
public:
    explicit StaticFiles(std::filesystem::path root);

    // The file that a request path names (already percent-decoded), or 404.
    Response Serve(const std::string& path) const;

    // The largest file served; larger ones answer 404 too.
    static constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

private:
    std::filesystem::path m_root;
};

// The content type of a file name's extension; application/octet-stream for unknown ones.
const char* ContentTypeOf(const std::filesystem::path& file);

}  // namespace admin
