#include "OgreScreens.h"

namespace sim {

OgreStack::OgreStack(const OgreEngine::Settings& settings)
    : engine(settings), hall(engine.Scene(), engine.Target()), gui(engine.Target()) {}

void OgreStack::DrawFrame(double sceneSeconds) {
    hall.Animate(sceneSeconds);
    engine.BeginFrame();
    gui.Draw();
}

OgrePictures::OgrePictures(int width, int height) : m_stack({width, height, false, false, "chamber-sim"}) {}

void OgrePictures::DrawFrame() {
    m_stack.DrawFrame(kSceneStep * m_frames++);
}

Picture OgrePictures::Capture() {
    Picture picture = m_stack.engine.Capture();
    m_stack.engine.EndFrame();
    return picture;
}

OgreWindow::OgreWindow(int width, int height, const std::string& title)
    : m_stack({width, height, true, true, title}),
      m_input(m_stack.engine.XDisplay(), m_stack.engine.XWindow(), m_stack.engine.XDeleteAtom()) {}

}  // namespace sim
