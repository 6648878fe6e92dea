// The host's 3D scene under the Chamber: a dance hall made of OGRE's own primitives and meshes
// built in code (no media files): a tiled floor, a stage before a back wall, a mirror ball,
// coloured spot lights that sweep the floor with visible beams, and dancing figures.
#pragma once

#include <vector>

namespace Ogre {
class Light;
class RenderTarget;
class SceneManager;
class SceneNode;
}  // namespace Ogre

namespace sim {

class DanceHall {
public:
    // Builds the scene in `scene` and shows it through a camera on the whole of `target`.
    DanceHall(Ogre::SceneManager& scene, Ogre::RenderTarget& target);

    // Poses the lights and the dancers as they are `seconds` into the music.
    void Animate(double seconds);

private:
    struct Spot {
        Ogre::Light* light;
        Ogre::SceneNode* beam;
    };
    struct Dancer {
        Ogre::SceneNode* body;
        Ogre::SceneNode* leftArm;
        Ogre::SceneNode* rightArm;
        float homeX;
        float homeZ;
    };

    void BuildRoom();
    void BuildSpots();
    void BuildDancers();

    Ogre::SceneManager& m_scene;
    Ogre::SceneNode* m_mirrorBall = nullptr;
    std::vector<Spot> m_spots;
    std::vector<Dancer> m_dancers;
};

}  // namespace sim
