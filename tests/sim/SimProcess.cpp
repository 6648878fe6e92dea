#include "SimProcess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace sim::test {

std::string MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "chamber-test-XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

bool UpdatingGoldens() {
    const char* update = std::getenv("ODC_SIM_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

}  // namespace sim::test
