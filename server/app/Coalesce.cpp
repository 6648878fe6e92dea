#include "Coalesce.h"

#include <unordered_set>

#include "param/ChamberMessages.h"

namespace server {

std::vector<bool> StillShown(const std::vector<Update>& updates) {
    std::vector<bool> shown(updates.size(), true);
    bool tableWithClock = false;
    bool table = false;
    bool fullList = false;
    std::unordered_set<int> entries;
    // From the newest back: a message is stale when a later one already replaces it.
    for (std::size_t i = updates.size(); i-- > 0;) {
        const Update& update = updates[i];
        switch (update.id) {
            case ChamberMsg::kJobTableWithClock:
                shown[i] = !tableWithClock;
                tableWithClock = table = true;
                break;
            case ChamberMsg::kJobTable:
                shown[i] = !table;
                table = true;
                break;
            case ChamberMsg::kApplicationList:
                shown[i] = !fullList;
                fullList = true;
                break;
            case ChamberMsg::kApplicationUpdate:
                shown[i] = !fullList;
                break;
            case ChamberMsg::kApplicationEntry:
                shown[i] = !fullList && entries.insert(update.entryKey).second;
                break;
            default:
                break;
        }
    }
    return shown;
}

}  // namespace server
