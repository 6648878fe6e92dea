#include <boost/system/system_error.hpp>
#include <iostream>

#include "NetworkLink.h"
#include "Runs.h"

namespace sim {

std::unique_ptr<GameLink> MakeLink(const Options& options, Transcript& transcript) {
    if (options.connect.empty()) {
        return std::make_unique<LocalLink>(options.seed);
    }
    try {
        return std::make_unique<NetworkLink>(options.connect, options.player, options.token, transcript);
    } catch (const boost::system::system_error& error) {
        std::cerr << "chamber-sim: cannot find " << cli::ToText(options.connect) << ": " << error.what()
                  << "\n";
        return nullptr;
    }
}

}  // namespace sim
