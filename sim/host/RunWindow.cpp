#include <cstdio>
#include <iostream>
#include <memory>

#include "Runs.h"
#include "Screens.h"
#include "Session.h"

namespace sim {

namespace {

// Time does not run faster than this per frame, however long a frame took (a stalled window).
constexpr std::int64_t kLongestFrameMs = 250;

}  // namespace

int RunWindow(const Options& options) {
    std::string error;
    std::unique_ptr<WindowScreen> window = OpenWindowScreen(options.engine, error);
    if (!window) {
        std::cerr << "chamber-sim: " << error << "\n";
        return 2;
    }
    Transcript transcript(options.outDir + "/window-transcript.txt", &std::cout);
    if (!transcript.IsOpen()) {
        std::cerr << "chamber-sim: cannot write " << options.outDir << "/window-transcript.txt\n";
        return 2;
    }
    transcript.Line("# chamber-sim window, seed " + std::to_string(options.seed) + ", time zone " +
                    options.timeZone);
    {
        const std::unique_ptr<GameLink> link = MakeLink(options, transcript);
        if (!link) {
            return 2;
        }
        Session session(*link, transcript, window->ChamberParent());
        if (!session.Login(options.player)) {
            std::cerr << "chamber-sim: " << options.player << " cannot log in\n";
            return 2;
        }
        session.Open();
        session.Settle();

        int pictures = 0;
        bool pictureWanted = false;
        window->onHostKey = [&](HostKey key) {
            if (key == HostKey::SavePicture) {
                pictureWanted = true;
                return;
            }
            transcript.Line("[" + session.Stamp() + "] > jump " + std::to_string(options.jumpMs / 1000) +
                            "s (F5)");
            if (!session.Jump(options.jumpMs)) {
                transcript.Line(1, "! the network server keeps its own time: no jumps");
            }
        };
        double last = window->Seconds();
        while (!window->ShouldClose()) {
            window->PollEvents();
            if (session.Settle()) {
                window->Close();
            }
            const double now = window->Seconds();
            const auto elapsed = static_cast<std::int64_t>((now - last) * 1000);
            if (elapsed > 0) {
                session.Frame(std::min(elapsed, kLongestFrameMs));
                last = now;
            }
            window->DrawFrame();
            if (std::exchange(pictureWanted, false)) {
                char name[32];
                std::snprintf(name, sizeof name, "window-%02d.png", ++pictures);
                const bool written = WritePng(window->Capture(), options.outDir + "/" + name);
                transcript.Line(1, std::string(written ? "picture " : "! cannot write ") + name);
            }
            window->Present();
        }
    }
    return 0;
}

}  // namespace sim
