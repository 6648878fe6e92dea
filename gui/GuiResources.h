// The toolkit's resource provider: files are read as CEGUI's default provider reads them, except
// the font file, read once and shared by every size of the font. CEGUI's FreeType fonts otherwise
// each hold a whole copy of the file (5 MB for the toolkit's face).
#pragma once

#include <CEGUI/DefaultResourceProvider.h>

#include <vector>

namespace GUI::detail {

class ResourceProvider final : public CEGUI::DefaultResourceProvider {
public:
    void loadRawDataContainer(const CEGUI::String& filename, CEGUI::RawDataContainer& output,
                              const CEGUI::String& resourceGroup) override;
    void unloadRawDataContainer(CEGUI::RawDataContainer& data) override;

private:
    std::vector<CEGUI::uint8> m_fontFile;
};

}  // namespace GUI::detail
