#include "DanceHall.h"

#include <OGRE/Ogre.h>

#include <array>
#include <cmath>
#include <string>

namespace sim {

namespace {

using Ogre::ColourValue;
using Ogre::Vector3;

constexpr float kPi = 3.14159265f;
// OGRE's prefab cube is 100 units wide and its sphere 50 units in radius.
constexpr float kCubeSize = 100;
constexpr float kSphereRadius = 50;

// A lit material of one colour; with `vertexColours` the mesh's own colours are its diffuse colour.
void MakeMaterial(const std::string& name, const ColourValue& colour, bool vertexColours = false) {
    Ogre::Pass* pass =
        Ogre::MaterialManager::getSingleton().create(name, Ogre::RGN_DEFAULT)->getTechnique(0)->getPass(0);
    pass->setDiffuse(colour);
    pass->setAmbient(colour);
    pass->setSpecular(ColourValue(0.3f, 0.3f, 0.3f));
    pass->setShininess(20);
    if (vertexColours) {
        pass->setVertexColourTracking(Ogre::TVC_DIFFUSE | Ogre::TVC_AMBIENT);
    }
}

// Light that adds itself to what lies behind: the visible beams.
void MakeGlowMaterial(const std::string& name) {
    Ogre::Pass* pass =
        Ogre::MaterialManager::getSingleton().create(name, Ogre::RGN_DEFAULT)->getTechnique(0)->getPass(0);
    pass->setLightingEnabled(false);
    pass->setSceneBlending(Ogre::SBT_ADD);
    pass->setDepthWriteEnabled(false);
    pass->setCullingMode(Ogre::CULL_NONE);
    pass->setVertexColourTracking(Ogre::TVC_DIFFUSE);
}

Ogre::SceneNode* AddShape(Ogre::SceneManager& scene, Ogre::SceneNode& parent,
                          Ogre::SceneManager::PrefabType type, const std::string& material,
                          const Vector3& position, const Vector3& size) {
    Ogre::Entity* entity = scene.createEntity(type);
    entity->setMaterialName(material);
    Ogre::SceneNode* node = parent.createChildSceneNode(position);
    node->attachObject(entity);
    const float unit = type == Ogre::SceneManager::PT_CUBE ? kCubeSize : 2 * kSphereRadius;
    node->setScale(size / unit);
    return node;
}

// A colour that can live in a constant table (OGRE's ColourValue cannot).
struct Rgb {
    float r, g, b;
    ColourValue operator*(float k) const { return ColourValue(r * k, g * k, b * k); }
    operator ColourValue() const { return ColourValue(r, g, b); }
};

struct SpotLook {
    Rgb colour;
    float x;  // where it hangs, above the front of the floor
};
constexpr std::array<SpotLook, 4> kSpots = {{
    {Rgb{1.0f, 0.2f, 0.8f}, -9},
    {Rgb{0.2f, 0.8f, 1.0f}, -3},
    {Rgb{1.0f, 0.8f, 0.2f}, 3},
    {Rgb{0.3f, 1.0f, 0.4f}, 9},
}};
constexpr float kSpotHeight = 13;
constexpr float kSpotZ = 6;
constexpr float kSpotAngle = 24;  // degrees, the whole outer cone

struct DancerLook {
    Rgb clothes;
    float x;
    float z;
};
// Beside the Chamber, which covers the middle of the screen.
constexpr std::array<DancerLook, 6> kDancers = {{
    {Rgb{0.95f, 0.35f, 0.6f}, -13, 2},
    {Rgb{0.3f, 0.6f, 1.0f}, -10, 5},
    {Rgb{1.0f, 0.85f, 0.3f}, -9, 8},
    {Rgb{0.4f, 0.9f, 0.6f}, 9, 8},
    {Rgb{1.0f, 0.55f, 0.2f}, 10, 5},
    {Rgb{0.7f, 0.45f, 1.0f}, 13, 2},
}};

}  // namespace

DanceHall::DanceHall(Ogre::SceneManager& scene, Ogre::RenderTarget& target) : m_scene(scene) {
    m_scene.setAmbientLight(ColourValue(0.22f, 0.18f, 0.26f));
    Ogre::Camera* camera = m_scene.createCamera("HallCamera");
    camera->setNearClipDistance(0.5f);
    camera->setFarClipDistance(200);
    camera->setAutoAspectRatio(true);
    Ogre::SceneNode* eye = m_scene.getRootSceneNode()->createChildSceneNode(Vector3(0, 9, 21));
    eye->attachObject(camera);
    eye->lookAt(Vector3(0, 2, -3), Ogre::Node::TS_WORLD);
    Ogre::Viewport* viewport = target.addViewport(camera);
    viewport->setBackgroundColour(ColourValue(0.04f, 0.02f, 0.07f));
    viewport->setOverlaysEnabled(false);

    BuildRoom();
    BuildSpots();
    BuildDancers();
    Animate(0);
}

void DanceHall::BuildRoom() {
    MakeMaterial("Hall/Floor", ColourValue::White, true);
    MakeMaterial("Hall/Stage", ColourValue(0.45f, 0.12f, 0.1f));
    MakeMaterial("Hall/Wall", ColourValue(0.18f, 0.08f, 0.28f));
    MakeMaterial("Hall/Ball", ColourValue(0.85f, 0.85f, 0.95f));
    Ogre::MaterialManager::getSingleton()
        .getByName("Hall/Ball")
        ->getTechnique(0)
        ->getPass(0)
        ->setSelfIllumination(ColourValue(0.5f, 0.5f, 0.6f));

    // A floor of tiles in two colours with a lit one here and there; each tile is split into 3 x 3
    // quads so that the per-vertex lighting shows where a spot falls.
    constexpr int kColumns = 26;
    constexpr int kRows = 13;
    constexpr float kTile = 2;
    constexpr int kSplit = 3;
    Ogre::ManualObject* floor = m_scene.createManualObject("HallFloor");
    floor->begin("Hall/Floor", Ogre::RenderOperation::OT_TRIANGLE_LIST);
    Ogre::uint32 vertex = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const bool lit = (row * 7 + column * 3) % 11 == 0;
            const ColourValue colour = lit                       ? ColourValue(0.9f, 0.5f, 1.0f)
                                       : (row + column) % 2 == 0 ? ColourValue(0.55f, 0.5f, 0.6f)
                                                                 : ColourValue(0.2f, 0.16f, 0.26f);
            const float left = (static_cast<float>(column) - kColumns / 2.0f) * kTile;
            const float back = (static_cast<float>(row) - kRows / 2.0f) * kTile;
            for (int j = 0; j <= kSplit; ++j) {
                for (int i = 0; i <= kSplit; ++i) {
                    floor->position(left + kTile * static_cast<float>(i) / kSplit, 0,
                                    back + kTile * static_cast<float>(j) / kSplit);
                    floor->normal(Vector3::UNIT_Y);
                    floor->colour(colour);
                }
            }
            for (Ogre::uint32 j = 0; j < kSplit; ++j) {
                for (Ogre::uint32 i = 0; i < kSplit; ++i) {
                    const Ogre::uint32 corner = vertex + j * (kSplit + 1) + i;
                    floor->quad(corner, corner + kSplit + 1, corner + kSplit + 2, corner + 1);
                }
            }
            vertex += (kSplit + 1) * (kSplit + 1);
        }
    }
    floor->end();
    m_scene.getRootSceneNode()->createChildSceneNode()->attachObject(floor);

    Ogre::SceneNode& root = *m_scene.getRootSceneNode();
    AddShape(m_scene, root, Ogre::SceneManager::PT_CUBE, "Hall/Stage", Vector3(0, 0.6f, -10.5f),
             Vector3(26, 1.2f, 5));
    AddShape(m_scene, root, Ogre::SceneManager::PT_CUBE, "Hall/Wall", Vector3(0, 9, -13.2f),
             Vector3(60, 18, 0.4f));
    m_mirrorBall = AddShape(m_scene, root, Ogre::SceneManager::PT_SPHERE, "Hall/Ball", Vector3(0, 11, -4),
                            Vector3(1.6f, 1.6f, 1.6f));
    // A dim light from the front, so that what no spot reaches is still seen.
    Ogre::Light* fill = m_scene.createLight("HallFill");
    fill->setType(Ogre::Light::LT_DIRECTIONAL);
    fill->setDiffuseColour(ColourValue(0.25f, 0.22f, 0.3f));
    Ogre::SceneNode* fillNode = root.createChildSceneNode();
    fillNode->attachObject(fill);
    fillNode->setDirection(Vector3(0.2f, -1, -0.6f), Ogre::Node::TS_WORLD);
}

void DanceHall::BuildSpots() {
    MakeGlowMaterial("Hall/Beam");
    const float radius = std::tan(kSpotAngle / 2 * kPi / 180);
    constexpr int kSides = 24;
    for (std::size_t i = 0; i < kSpots.size(); ++i) {
        const SpotLook& look = kSpots[i];
        const std::string name = "HallSpot" + std::to_string(i);
        Ogre::Light* light = m_scene.createLight(name);
        light->setType(Ogre::Light::LT_SPOTLIGHT);
        light->setDiffuseColour(look.colour);
        light->setSpecularColour(look.colour);
        light->setSpotlightRange(Ogre::Degree(kSpotAngle * 0.6f), Ogre::Degree(kSpotAngle), 1);
        Ogre::SceneNode* node =
            m_scene.getRootSceneNode()->createChildSceneNode(Vector3(look.x, kSpotHeight, kSpotZ));
        node->attachObject(light);

        // The beam: a cone of unit length along the node's -Z, bright at the lamp, faint below.
        Ogre::ManualObject* cone = m_scene.createManualObject(name + "Beam");
        cone->begin("Hall/Beam", Ogre::RenderOperation::OT_TRIANGLE_LIST);
        cone->position(Vector3::ZERO);
        cone->colour(look.colour * 0.35f);
        for (int side = 0; side <= kSides; ++side) {
            const float angle = 2 * kPi * static_cast<float>(side) / kSides;
            cone->position(radius * std::cos(angle), radius * std::sin(angle), -1);
            cone->colour(look.colour * 0.06f);
        }
        for (Ogre::uint32 side = 1; side <= kSides; ++side) {
            cone->triangle(0, side, side + 1);
        }
        cone->end();
        Ogre::SceneNode* beam = node->createChildSceneNode();
        beam->attachObject(cone);
        m_spots.push_back({light, beam});
    }
}

void DanceHall::BuildDancers() {
    MakeMaterial("Hall/Skin", ColourValue(0.95f, 0.78f, 0.65f));
    MakeMaterial("Hall/Trousers", ColourValue(0.15f, 0.15f, 0.2f));
    Ogre::SceneNode& root = *m_scene.getRootSceneNode();
    for (std::size_t i = 0; i < kDancers.size(); ++i) {
        const DancerLook& look = kDancers[i];
        const std::string clothes = "Hall/Clothes" + std::to_string(i);
        MakeMaterial(clothes, look.clothes);
        Ogre::SceneNode* body = root.createChildSceneNode(Vector3(look.x, 0, look.z));
        for (const float side : {-0.2f, 0.2f}) {
            AddShape(m_scene, *body, Ogre::SceneManager::PT_CUBE, "Hall/Trousers", Vector3(side, 0.55f, 0),
                     Vector3(0.24f, 1.1f, 0.24f));
        }
        AddShape(m_scene, *body, Ogre::SceneManager::PT_SPHERE, clothes, Vector3(0, 1.55f, 0),
                 Vector3(0.75f, 1.1f, 0.5f));
        AddShape(m_scene, *body, Ogre::SceneManager::PT_SPHERE, "Hall/Skin", Vector3(0, 2.35f, 0),
                 Vector3(0.45f, 0.5f, 0.45f));
        std::array<Ogre::SceneNode*, 2> arms{};
        for (std::size_t side = 0; side < 2; ++side) {
            arms[side] = body->createChildSceneNode(Vector3(side == 0 ? -0.42f : 0.42f, 1.95f, 0));
            AddShape(m_scene, *arms[side], Ogre::SceneManager::PT_CUBE, clothes, Vector3(0, -0.45f, 0),
                     Vector3(0.16f, 0.9f, 0.16f));
        }
        m_dancers.push_back({body, arms[0], arms[1], look.x, look.z});
    }
}

void DanceHall::Animate(double seconds) {
    const auto t = static_cast<float>(seconds);
    for (std::size_t i = 0; i < m_spots.size(); ++i) {
        const float phase = static_cast<float>(i) * 1.7f;
        const Vector3 lamp(kSpots[i].x, kSpotHeight, kSpotZ);
        const Vector3 onFloor(kSpots[i].x * 1.2f + 4 * std::sin(0.7f * t + phase), 0,
                              3 + 5 * std::cos(0.9f * t + phase));
        Ogre::SceneNode* node = m_spots[i].light->getParentSceneNode();
        node->setDirection(onFloor - lamp, Ogre::Node::TS_WORLD);
        const float length = (onFloor - lamp).length();
        m_spots[i].beam->setScale(length, length, length);
    }
    for (std::size_t i = 0; i < m_dancers.size(); ++i) {
        const Dancer& dancer = m_dancers[i];
        const float beat = 2 * kPi * 2.0f * t + static_cast<float>(i);  // two steps a second
        dancer.body->setPosition(dancer.homeX + 0.4f * std::sin(0.5f * t + static_cast<float>(i)),
                                 0.2f * std::fabs(std::sin(beat / 2)), dancer.homeZ);
        dancer.body->setOrientation(Ogre::Quaternion(
            Ogre::Radian(0.6f * std::sin(0.8f * t + static_cast<float>(i))), Vector3::UNIT_Y));
        const float swing = 0.6f + 0.9f * std::sin(beat);
        dancer.leftArm->setOrientation(Ogre::Quaternion(Ogre::Radian(-swing), Vector3::UNIT_Z));
        dancer.rightArm->setOrientation(Ogre::Quaternion(Ogre::Radian(swing), Vector3::UNIT_Z));
    }
    m_mirrorBall->setOrientation(Ogre::Quaternion(Ogre::Radian(0.5f * t), Vector3::UNIT_Y));
}

}  // namespace sim
