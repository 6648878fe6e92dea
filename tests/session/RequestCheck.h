// Checks a request packet the host receives against the message catalogue: its channel, its id,
// the header words of its image and exactly the records that id carries, in order, with their
// tags, widths and value ranges.
#pragma once

#include <string>

#include "param/CKParam.h"

namespace ChamberModel {

// What is wrong with the request (channel, message id, packet); empty when it is well-formed.
std::string CheckRequest(int channel, int messageId, const CKParam& packet);

}  // namespace ChamberModel
