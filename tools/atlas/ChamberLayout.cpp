#include "ChamberLayout.h"

#include <cmath>
#include <string_view>
#include <utility>

namespace atlas {
namespace {

constexpr std::uint32_t kPanelGrey = 0x5A5A5A;
constexpr std::uint32_t kYellow = 0xFFFF00;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kEditText = 0xFFFFF7;

const Box kScreen{0, 0, 800, 600};
// Every detail panel sits at the same place of the hall.
const Box kPanel = PlaceChild(kScreen, 0.1, 0.1, 687, 474);

// Button and caption positions of the fifteen posts, as fractions of the hall.
struct Slot {
    double buttonX, buttonY, captionX, captionY;
};
constexpr Slot kSlots[15] = {
    {0.4625, 0.111, 0.46, 0.28},       {0.3425, 0.27, 0.33125, 0.4383},   {0.585, 0.27, 0.57375, 0.4383},
    {0.2725, 0.5116, 0.26125, 0.6816}, {0.3975, 0.5116, 0.385, 0.6816},   {0.52375, 0.5116, 0.51125, 0.6816},
    {0.6525, 0.5116, 0.64, 0.6816},    {0.07375, 0.755, 0.06375, 0.9316}, {0.18375, 0.755, 0.17375, 0.9316},
    {0.29375, 0.755, 0.28375, 0.9316}, {0.40375, 0.755, 0.39375, 0.9316}, {0.51375, 0.755, 0.50375, 0.9316},
    {0.62375, 0.755, 0.61375, 0.9316}, {0.73375, 0.755, 0.72375, 0.9316}, {0.8437, 0.755, 0.8337, 0.9316},
};
// The screen shifts every caption left by this much after placing it.
constexpr double kCaptionShift = 0.025;

// What each slot shows in the hall: '-' a held post, 'O' a held post under impeachment, and a vacant
// post with no election ('N'), an election announced ('C') or voting under way ('V').
constexpr std::string_view kSlotStates = "-OCN-VNC-NV-ONC";

const char* StateIcon(char state) {
    switch (state) {
        case 'O':
            return "JobIncoOPVotes";
        case 'C':
            return "JobIncoChoose";
        case 'V':
            return "JobIncoVotes";
        default:
            return "JobIncoNULL";
    }
}

// A text set without a mode: one line from the box's top-left corner, cut off at its edge.
PlacedText NormalText(std::string utf8, const Box& box) {
    return {{{std::move(utf8), kPanelGrey}}, box, false, false, true, false};
}

// What the player typed into an edit box: one line, centred vertically, without a shadow.
PlacedText TypedText(std::string utf8, std::uint32_t rgb) {
    return {{{std::move(utf8), rgb}}, {}, false, true, false, false};
}

// A caption under a post: kingdom and holder, centred and wrapped.
PlacedText Caption(std::vector<TextLine> lines, const Box& box) {
    return {std::move(lines), box, true, false, true, true};
}

class SceneBuilder {
public:
    explicit SceneBuilder(std::string name) { m_scene.name = std::move(name); }

    SceneBuilder& Image(std::string image, const Box& box) {
        m_scene.items.emplace_back(PlacedImage{std::move(image), box});
        return *this;
    }
    // A text of the screen's panel font: dark grey with a white shadow, centred vertically.
    SceneBuilder& PanelText(const Box& box, std::string utf8) {
        return Text({{{std::move(utf8), kPanelGrey}}, box, false, true, true, true});
    }
    SceneBuilder& Text(PlacedText text) {
        m_scene.items.emplace_back(std::move(text));
        return *this;
    }
    Scene Build() { return std::move(m_scene); }

private:
    Scene m_scene;
};

void AddHall(SceneBuilder& scene) {
    scene.Image("ImageMain", kScreen);
    static const char* const kKingdoms[3] = {"星光王国", "月影王国", "极光舞蹈王国"};
    static const char* const kHolders[3] = {"舞动的风", "Lily", "旋转木马"};
    for (int i = 0; i < 15; ++i) {
        const Slot& slot = kSlots[i];
        const Box button = PlaceChild(kScreen, slot.buttonX, slot.buttonY, 60, 78);
        const char state = kSlotStates[static_cast<std::size_t>(i)];
        const bool vacant = state == 'N' || state == 'C' || state == 'V';
        scene.Image(vacant ? "JobUser" : "JobUnUser", button);
        if (state != '-') {
            scene.Image(StateIcon(state), PlaceChild(button, 0.7166, 0.782, 17, 17));
        }
        const Box caption = PlaceChild(kScreen, slot.captionX - kCaptionShift, slot.captionY, 110, 44);
        scene.Text(vacant ? Caption({}, caption)
                          : Caption({{kKingdoms[i % 3], kYellow}, {kHolders[i % 3], kWhite}}, caption));
    }
    scene.Image("systemExit", PlaceChild(kScreen, 0.83625, 0.0216, 109, 31));
    scene.Image("UserHelpClick", PlaceChild(kScreen, 0.7302, 0.017, 80, 35));
}

// A button along the bottom of a detail panel.
Box PanelButton(double fx) {
    return PlaceChild(kPanel, fx, 0.8649, 87, 27);
}

Scene HallScene() {
    SceneBuilder scene("hall");
    AddHall(scene);
    return scene.Build();
}

Scene VacantPostScene() {
    SceneBuilder scene("vacant-post");
    AddHall(scene);
    const auto field = [](double fx, double fy, int w, int h) { return PlaceChild(kPanel, fx, fy, w, h); };
    scene.Image("JobDetail", kPanel)
        .PanelText(field(0.4876, 0.1118, 134, 22), "宰相")
        .PanelText(field(0.4936, 0.1624, 134, 22), "(暂无)")
        .PanelText(field(0.4876, 0.5517, 286, 22), "共有 3 人参选。")
        .PanelText(field(0.4876, 0.6033, 286, 22), "2024-05-01 20:00:00")
        .PanelText(field(0.4876, 0.6544, 280, 22), "可禁言本王国玩家一小时")
        .PanelText(field(0.775, 0.1118, 100, 22), " 300 M 币")
        .PanelText(field(0.4876, 0.2112, 280, 44), "辅佐国王处理王国事务，主持每周的王国舞会与庆典活动。")
        .PanelText(field(0.4876, 0.3516, 280, 22), "该王国的所有国民每盘经验增加 20%")
        .PanelText(field(0.4876, 0.4012, 280, 62), "等级达到 30 级，加入王国满七天，魅力值不低于 5000。")
        .PanelText(field(0.4876, 0.7261, 280, 50), "管理王国公告，安排王国舞会的时间与曲目。")
        .Image("OtherVotes", PanelButton(0.4992))
        .Image("JobJoin", PanelButton(0.6462))
        .Image("Exit", PanelButton(0.7933));
    return scene.Build();
}

// Shows both the holder's mute button and the others' impeachment button, which the screen never
// shows together.
Scene HeldPostScene() {
    SceneBuilder scene("held-post");
    AddHall(scene);
    const auto field = [](double fy, int w) { return PlaceChild(kPanel, 0.4992, fy, w, 22); };
    scene.Image("JobDetailed", kPanel)
        .PanelText(field(0.123, 134), "宰相")
        .PanelText(field(0.1846, 134), "舞动的风")
        .PanelText(field(0.2416, 286), "2024-04-20 18:30:00")
        .PanelText(field(0.3059, 286), "星光王国")
        .PanelText(field(0.3713, 286), "该王国的所有国民每盘经验增加 20%")
        .PanelText(field(0.4378, 280), "可禁言本王国玩家一小时")
        .Image("NoSendMessage", PanelButton(0.3522))
        .Image("RequestOppose", PanelButton(0.6462))
        .Image("Exit", PanelButton(0.7933));
    return scene.Build();
}

void AddVoteCard(SceneBuilder& scene, const Box& card, const char* candidate, const char* kingdom, int agree,
                 int oppose) {
    const auto field = [&](double fy) { return PlaceChild(card, 0.55125, fy, 125, 22); };
    const bool filled = candidate != nullptr;
    // Counters keep the toolkit's default font, taken to be the panel grey.
    const auto counter = [&](double fx, int votes) {
        return NormalText(filled ? std::to_string(votes) : "", PlaceChild(card, fx, 0.738, 50, 22));
    };
    scene.PanelText(field(0.0544), filled ? "宰相" : "")
        .PanelText(field(0.254), filled ? candidate : "")
        .PanelText(field(0.4472), filled ? kingdom : "")
        .Text(counter(0.3267, agree))
        .Text(counter(0.7887, oppose));
    if (filled) {
        const auto button = [&](double fx) { return PlaceChild(card, fx, 0.8571, 40, 22); };
        scene.Image("UserSupport", button(0.1567))
            .Image("UserSupport", button(0.6187))
            .Image("UserOppose", button(0.3267))
            .Image("UserOppose", button(0.7787));
    }
}

void AddVoteList(SceneBuilder& scene) {
    scene.Image("JobJoinDetail", kPanel)
        .Text(NormalText("投票时间：2024-05-01 20:00:00 至 2024-05-02 20:00:00",
                         PlaceChild(kPanel, 0.2518, 0.1012, 342, 22)));
    const double cards[4][2] = {{0.056, 0.1561}, {0.5021, 0.1561}, {0.056, 0.504}, {0.5021, 0.504}};
    const char* const candidates[4] = {"舞动的风", "Lily", "旋转木马", nullptr};
    const char* const kingdoms[4] = {"星光王国", "月影王国", "极光舞蹈王国", nullptr};
    for (int r = 0; r < 4; ++r) {
        const Box card = PlaceChild(kPanel, cards[r][0], cards[r][1], 303, 161);
        AddVoteCard(scene, card, candidates[r], kingdoms[r], 128 - 40 * r, 7 + 3 * r);
    }
    scene.Image("Exit", PanelButton(0.7933));
}

Scene VoteListScene() {
    SceneBuilder scene("vote-list");
    AddHall(scene);
    AddVoteList(scene);
    return scene.Build();
}

Scene ImpeachmentScene() {
    SceneBuilder scene("impeachment");
    AddHall(scene);
    const auto at = [](double fx, double fy, int w) { return PlaceChild(kPanel, fx, fy, w, 22); };
    scene.Image("JobExitDetail", kPanel)
        .PanelText(at(0.4612, 0.1691, 134), "宰相")
        .PanelText(at(0.4612, 0.2218, 134), "舞动的风")
        .PanelText(at(0.4112, 0.4641, 286), "弹劾开始时间：2024-05-01 20:00:00")
        .PanelText(at(0.4112, 0.5151, 280), "弹劾结束时间：2024-05-02 20:00:00")
        .PanelText(at(0.5267, 0.4052, 125), "星光国王")
        .Text(NormalText("25", at(0.4949, 0.289, 68)))
        .Text(NormalText("8", at(0.701, 0.289, 68)))
        .Image("JobOpposeSupport", PlaceChild(kPanel, 0.4381, 0.3396, 65, 22))
        .Image("JobOpposeOppose", PlaceChild(kPanel, 0.6448, 0.3396, 65, 22))
        .Image("UserOppose", PlaceChild(kPanel, 0.5365, 0.3396, 40, 22))
        .Image("UserOppose", PlaceChild(kPanel, 0.7432, 0.3396, 40, 22))
        .Image("NoSendMessage", PanelButton(0.6462))
        .Image("Exit", PanelButton(0.7933));
    return scene.Build();
}

// Where a dialog's edit box sits on the dialog's background.
struct EditPlace {
    double fx, fy;
    int width, height;
};

// A dialog's background with its close, confirm and cancel buttons, and the text typed in its edit box.
void AddDialog(SceneBuilder& scene, const Box& container, const char* background, const EditPlace& edit,
               PlacedText typed) {
    const Box main = PlaceChild(container, 0.3, 0.3, 313, 219);
    typed.box = PlaceChild(main, edit.fx, edit.fy, edit.width, edit.height);
    scene.Image(background, main)
        .Image("ChangeNameClose", PlaceChild(main, 0.8634, 0.031, 24, 24))
        .Image("ChangeNameConfirm", PlaceChild(main, 0.2285, 0.863, 70, 26))
        .Image("ChangeNameCancel", PlaceChild(main, 0.546, 0.863, 70, 26))
        .Text(std::move(typed));
}

Scene MuteDialogScene() {
    SceneBuilder scene("mute-dialog");
    AddHall(scene);
    AddDialog(scene, kScreen, "ChangeNameMain", {0.366, 0.5, 150, 24}, TypedText("捣乱的玩家", kEditText));
    return scene.Build();
}

Scene ManyVotesScene() {
    SceneBuilder scene("many-votes");
    AddHall(scene);
    AddVoteList(scene);
    // The dialog opens inside the vote list, whose container is its parent then.
    AddDialog(scene, PlaceChild(kPanel, -0.1, -0.1, 800, 600), "UserAllVotesMain", {0.5643, 0.4109, 103, 22},
              TypedText("10", kPanelGrey));
    return scene.Build();
}

Scene HelpScene() {
    SceneBuilder scene("help");
    AddHall(scene);
    scene.Image("UserHelpMain", kScreen).Image("UserHelpClose", PlaceChild(kScreen, 0.835, 0.0633, 24, 24));
    return scene.Build();
}

}  // namespace

Box PlaceChild(const Box& parent, double fx, double fy, int width, int height) {
    return {parent.x + static_cast<int>(std::lround(fx * parent.width)),
            parent.y + static_cast<int>(std::lround(fy * parent.height)), width, height};
}

std::vector<Scene> ChamberScenes() {
    return {HallScene(),        VacantPostScene(), HeldPostScene(),  VoteListScene(),
            ImpeachmentScene(), MuteDialogScene(), ManyVotesScene(), HelpScene()};
}

}  // namespace atlas
