// Files of the toolkit: paths given by the screen (".\ChamberIni.ini") resolved against the asset
// folder, image sets read from ini files, and widget sizes listed in them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "text/CString.h"

namespace GUI::detail {

// A CEGUI resource group with no folder: file names given with it are used as they are.
inline constexpr const char* kAbsolutePathGroup = "odc_absolute";

// "\" and "/" both separate folders; a relative path is taken from the asset folder.
std::string ResolveAssetPath(const CString& path);

// The CEGUI name of an image of a registered set.
std::string ImageName(const CString& set, const CString& image);

// Registers image set `set` from section `texture` of an ini file (see GUICreate::CreateImagesetGui).
int RegisterImageset(const CString& set, const CString& texture, const CString& iniFile);
// Forgets every registered set (their images die with CEGUI's system).
void ForgetImagesets();
// Changes whenever images are defined or forgotten: an image name resolved earlier may resolve
// differently now.
std::uint64_t ImageDefinitions();

struct PixelSize {
    float width;
    float height;
};
// "width,height" under `key` in `section` of the ini file; null when missing or malformed.
std::optional<PixelSize> ReadSize(const CString& iniFile, const CString& section, const CString& key);

}  // namespace GUI::detail
