#include "gui/GuiResources.h"

#include "gui/GuiFonts.h"

namespace GUI::detail {

void ResourceProvider::loadRawDataContainer(const CEGUI::String& filename, CEGUI::RawDataContainer& output,
                                            const CEGUI::String& resourceGroup) {
    if (filename != kFontFile) {
        DefaultResourceProvider::loadRawDataContainer(filename, output, resourceGroup);
        return;
    }
    if (m_fontFile.empty()) {
        CEGUI::RawDataContainer file;
        DefaultResourceProvider::loadRawDataContainer(filename, file, resourceGroup);
        m_fontFile.assign(file.getDataPtr(), file.getDataPtr() + file.getSize());
        DefaultResourceProvider::unloadRawDataContainer(file);
    }
    output.setData(m_fontFile.data());
    output.setSize(m_fontFile.size());
}

void ResourceProvider::unloadRawDataContainer(CEGUI::RawDataContainer& data) {
    if (!m_fontFile.empty() && data.getDataPtr() == m_fontFile.data()) {
        // The shared copy stays; the container lets go of it.
        data.setData(nullptr);
        data.setSize(0);
        return;
    }
    DefaultResourceProvider::unloadRawDataContainer(data);
}

}  // namespace GUI::detail
