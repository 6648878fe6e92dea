#include <CEGUI/Exceptions.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "GuiRenderer.h"
#include "InteractiveWindow.h"
#include "Runs.h"
#include "Session.h"

namespace sim {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
// Time does not run faster than this per frame, however long a frame took (a stalled window).
constexpr std::int64_t kLongestFrameMs = 250;

}  // namespace

int RunWindow(const Options& options) {
    InteractiveWindow window(kWidth, kHeight, "chamber-sim");
    if (!window.Ok()) {
        std::cerr << "chamber-sim: " << window.Error() << "\n";
        return 2;
    }
    std::unique_ptr<GuiRenderer> renderer;
    try {
        renderer = std::make_unique<GuiRenderer>(kWidth, kHeight);
    } catch (const CEGUI::Exception& error) {
        std::cerr << "chamber-sim: " << error.getMessage().c_str() << "\n";
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
        Session session(*link, transcript);
        if (!session.Login(options.player)) {
            std::cerr << "chamber-sim: " << options.player << " cannot log in\n";
            return 2;
        }
        session.Open();
        session.Settle();

        int pictures = 0;
        bool pictureWanted = false;
        window.isHostKey = [](int key) { return key == GLFW_KEY_F5 || key == GLFW_KEY_F9; };
        window.onHostKey = [&](int key) {
            if (key == GLFW_KEY_F9) {
                pictureWanted = true;
                return;
            }
            transcript.Line("[" + session.Stamp() + "] > jump " + std::to_string(options.jumpMs / 1000) +
                            "s (F5)");
            if (!session.Jump(options.jumpMs)) {
                transcript.Line(1, "! the network server keeps its own time: no jumps");
            }
        };
        double last = window.Seconds();
        while (!window.ShouldClose()) {
            window.PollEvents();
            if (session.Settle()) {
                window.Close();
            }
            const double now = window.Seconds();
            const auto elapsed = static_cast<std::int64_t>((now - last) * 1000);
            if (elapsed > 0) {
                session.Frame(std::min(elapsed, kLongestFrameMs));
                last = now;
            }
            renderer->Draw();
            if (std::exchange(pictureWanted, false)) {
                char name[32];
                std::snprintf(name, sizeof name, "window-%02d.png", ++pictures);
                const bool written =
                    WritePng(CaptureFramebuffer(kWidth, kHeight), options.outDir + "/" + name);
                transcript.Line(1, std::string(written ? "picture " : "! cannot write ") + name);
            }
            window.SwapBuffers();
        }
    }
    renderer.reset();
    return 0;
}

}  // namespace sim
