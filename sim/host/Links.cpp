#include <asio/system_error.hpp>
#include <iostream>

#include "NetworkLink.h"
#include "Runs.h"

namespace sim {

std::unique_ptr<GameLink> MakeLink(const Options& options, Transcript& transcript) {
    if (options.connectHost.empty()) {
        return std::make_unique<LocalLink>(options.seed);
    }
    try {
        return std::make_unique<NetworkLink>(options.connectHost, options.connectPort, options.player,
                                             options.token, transcript);
    } catch (const asio::system_error& error) {
        std::cerr << "chamber-sim: cannot find " << options.connectHost << ": " << error.what() << "\n";
        return nullptr;
    }
}

}  // namespace sim
