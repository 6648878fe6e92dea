#include "CommandLine.h"

#include <sys/resource.h>

#include <charconv>
#include <iostream>

namespace cli {

std::optional<Endpoint> ParseEndpoint(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view port = text.substr(colon + 1);
    Endpoint endpoint;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), endpoint.port);
    if (port.empty() || error != std::errc() || end != port.data() + port.size()) {
        return std::nullopt;
    }
    std::string_view address = text.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    if (address.empty()) {
        return std::nullopt;
    }
    endpoint.host = address;
    return endpoint;
}

std::unique_ptr<CLI::App> NewApp(const std::string& description, const std::string& name) {
    auto app = std::make_unique<CLI::App>(description, name);
    app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    return app;
}

CLI::Option* AddEndpoint(CLI::App& app, const std::string& name, Endpoint& target, const std::string& help,
                         bool anyPort) {
    const CLI::Validator check(
        [anyPort](const std::string& text) -> std::string {
            const std::optional<Endpoint> endpoint = ParseEndpoint(text);
            if (!endpoint || (!anyPort && endpoint->port == 0)) {
                return "takes HOST:PORT" + std::string(anyPort ? "" : " with a port from 1 to 65535");
            }
            return {};
        },
        "");
    return app
        .add_option_function<std::string>(
            name, [&target](const std::string& text) { target = *ParseEndpoint(text); }, help)
        ->type_name("HOST:PORT")
        ->check(check);
}

std::optional<int> Parse(CLI::App& app, int argc, const char* const* argv) {
    try {
        app.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& error) {
        std::cerr << app.get_name() << ": " << error.what() << "\nRun with --help for the options.\n";
        return 2;
    }
}

void RaiseFileLimit() {
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
}

}  // namespace cli
