// The start-up shared by the fuzz targets that drive the screen: CEGUI's runtime is one per
// process, so it is started once, headless, before the first input; times are shown in UTC.
#include <cstdlib>
#include <ctime>

#include "gui/GuiRuntime.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "UTC", 1);
    tzset();
    GUI::Runtime::StartHeadless();
    return 0;
}
