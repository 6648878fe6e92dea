// The files that the end-to-end tests and their child processes leave.
#pragma once

#include <string>

#include "ChildProcess.h"

namespace sim::test {

using odc::ChildProcess;

// A new empty folder under the system's temporary folder.
std::string MakeTempDir();
std::string ReadText(const std::string& path);
bool FileExists(const std::string& path);
// True when ODC_SIM_UPDATE_GOLDEN=1: the tests write their golden files instead of comparing.
bool UpdatingGoldens();

}  // namespace sim::test
