#include "gui/GuiAssets.h"

#include <CEGUI/BasicImage.h>
#include <CEGUI/Exceptions.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/System.h>
#include <CEGUI/Texture.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "gui/GuiRuntime.h"
#include "gui/GuiStrings.h"
#include "gui/IniFile.h"

namespace GUI::detail {

namespace {

// Sets registered so far; CEGUI has no notion of an image set of its own.
std::set<std::string>& RegisteredSets() {
    static std::set<std::string> sets;
    return sets;
}

std::uint64_t g_imageDefinitions = 0;

}  // namespace

std::string ResolveAssetPath(const CString& path) {
    std::string text = path.ToUtf8();
    std::replace(text.begin(), text.end(), '\\', '/');
    std::filesystem::path resolved(text);
    if (resolved.is_relative()) {
        resolved = std::filesystem::path(Runtime::AssetDir()) / resolved;
    }
    return resolved.lexically_normal().string();
}

std::string ImageName(const CString& set, const CString& image) {
    return set.ToUtf8() + "/" + image.ToUtf8();
}

int RegisterImageset(const CString& set, const CString& texture, const CString& iniFile) {
    const std::string setName = set.ToUtf8();
    if (RegisteredSets().contains(setName)) {
        return 0;
    }
    const std::string iniPath = ResolveAssetPath(iniFile);
    const auto ini = IniFile::Load(iniPath);
    const IniFile::Entries* entries = ini ? ini->Section(texture.ToUtf8()) : nullptr;
    const auto atlasFile = ini ? ini->Value(texture.ToUtf8(), "File") : std::nullopt;
    if (entries == nullptr || !atlasFile) {
        return -1;
    }
    const std::string atlasPath =
        (std::filesystem::path(iniPath).parent_path() / *atlasFile).lexically_normal().string();
    CEGUI::Renderer& renderer = *CEGUI::System::getSingleton().getRenderer();
    const CEGUI::String textureName = CeguiFromUtf8("ODC/Atlas/" + setName);
    CEGUI::Texture* atlas = nullptr;
    try {
        atlas = &renderer.createTexture(textureName, CeguiFromUtf8(atlasPath), kAbsolutePathGroup);
    } catch (const CEGUI::Exception&) {
        if (renderer.isTextureDefined(textureName)) {
            renderer.destroyTexture(textureName);
        }
        return -1;
    }
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    const std::string prefix = setName + '/';
    for (const IniFile::Entry& entry : *entries) {
        const auto area = ParseIntList(entry.value, 4);
        const CEGUI::String name = CeguiFromUtf8(prefix + entry.key);
        if (entry.key == "File" || !area || images.isDefined(name)) {
            continue;
        }
        auto& image = static_cast<CEGUI::BasicImage&>(images.create("BasicImage", name));
        image.setTexture(atlas);
        const auto& a = *area;
        image.setArea(CEGUI::Rectf(CEGUI::Vector2f(a[0], a[1]), CEGUI::Sizef(a[2], a[3])));
        image.setAutoScaled(CEGUI::ASM_Disabled);
    }
    RegisteredSets().insert(setName);
    ++g_imageDefinitions;
    return 0;
}

void ForgetImagesets() {
    RegisteredSets().clear();
    ++g_imageDefinitions;
}

std::uint64_t ImageDefinitions() {
    return g_imageDefinitions;
}

std::optional<PixelSize> ReadSize(const CString& iniFile, const CString& section, const CString& key) {
    const auto ini = IniFile::Load(ResolveAssetPath(iniFile));
    const auto value = ini ? ini->Value(section.ToUtf8(), key.ToUtf8()) : std::nullopt;
    const auto size = value ? ParseIntList(*value, 2) : std::nullopt;
    if (!size) {
        return std::nullopt;
    }
    return PixelSize{static_cast<float>((*size)[0]), static_cast<float>((*size)[1])};
}

}  // namespace GUI::detail
