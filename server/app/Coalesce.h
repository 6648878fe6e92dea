// Which of the Chamber's table and list messages queued for the watchers in one tick still need to
// go out: a later message that shows the same record, or a whole table or list that replaces it,
// makes an earlier one stale.
#pragma once

#include <vector>

namespace server {

// A queued table or list message: its id and, for one application's entry, its applyId.
struct Update {
    int id = 0;
    int entryKey = 0;
};

// Whether each update, in the order queued, is still to be sent: the last job table of each kind
// (one with the clock replaces both kinds, one without only its own), the last complete
// application list, and of the entries and merged lists only those after it, each entry only
// as it stands last.
std::vector<bool> StillShown(const std::vector<Update>& updates);

}  // namespace server
