// The Chamber's widget tree: every panel as a table of widgets (kind, full name, geometry, record
// field, parent, image), walked by one builder in the order of the rows. Positions x, y are
// fractions of the parent's size; width and height are pixels of the 800 x 600 layout.
#include <span>

#include "chamber/CGuiDanceChamberInternal.h"
#include "text/GuiFormat.h"

using namespace Chamber;
using GUI::WidgetKind;

namespace {

constexpr auto kStaticImage = WidgetKind::StaticImage;
constexpr auto kImageButton = WidgetKind::ImageButton;
constexpr auto kButton = WidgetKind::Button;
constexpr auto kEditBox = WidgetKind::EditBox;
constexpr auto kChineseEditBox = WidgetKind::ChineseEditBox;
constexpr auto kMessageBox = WidgetKind::MessageBox;

constexpr const char16_t* kImageSet = u"ChamberBackground";
constexpr const char16_t* kIniFile = u".\\ChamberIni.ini";

// What the builder does with a widget besides creating, attaching and imaging it.
enum RowFlags : unsigned {
    kListed = 1,       // a text field of a detail panel: gets the text font at the end
    kOnTopAtOnce = 2,  // a detail panel's container: always on top right after its creation
    kOnTopHidden = 4,  // a dialog's or the help page's frame: always on top, then hidden
    kHidden = 8,
};

template <class Record>
struct Row {
    WidgetKind kind;
    const char16_t* name;  // the full name; in a card's rows a format taking the card index
    float x, y, width, height;
    Widget Record::*field;
    Widget Record::*parent;  // null: the panel's outer parent
    const char16_t* image;   // null: none
    unsigned flags = 0;
};

// The one font of every text the screen writes: size, colour, shadow, face.
void GiveTextFont(Widget widget) {
    widget->FontCreate(15, 0x5A5A5A, 0xFFFFFF, u"NewType:2", -1, -1);
}

// The tables keep their columns.
// clang-format off

// ---------------------------------------------------------------------------------------------
// The hall.

using C = GuiCommon;
constexpr Row<C> kHallRows[] = {
    // kind         name                                  x         y        w    h    field              parent            image
    {kStaticImage,  u"Chamber/m_GuiCommon.SIContain",     0,        0,       800, 600, &C::SIContain,     nullptr,          nullptr},
    {kMessageBox,   u"Chamber/m_GuiCommon.m_pMsgbox",     0,        0,       800, 600, &C::m_pMsgbox,     &C::SIContain,    nullptr},
    {kStaticImage,  u"Chamber/m_GuiCommon.SIBackground",  0,        0,       800, 600, &C::SIBackground,  &C::SIContain,    u"ImageMain"},
    {kStaticImage,  u"Chamber/m_GuiCommon.SIServerTimer", 0.02f,    0.1f,    150, 25,  &C::SIServerTimer, &C::SIBackground, nullptr, kHidden},
    {kImageButton,  u"Chamber/m_GuiCommon.IBSystemExit",  0.83625f, 0.0216f, 109, 31,  &C::IBSystemExit,  &C::SIBackground, u"systemExit"},
};

// The fifteen nation slots, a pyramid of 1, 2, 4 and 8: the button and its caption.
struct NationSlot {
    const char16_t* name;
    float buttonX, buttonY;
    float captionX, captionY;
};
constexpr NationSlot kNationSlotTable[kNationSlots] = {
    // name                                     button x  button y caption x  caption y
    {u"Chamber/m_GuiCommon.ArryIBNations[0]",  0.4625f,  0.111f,  0.46f,    0.28f},
    {u"Chamber/m_GuiCommon.ArryIBNations[1]",  0.3425f,  0.27f,   0.33125f, 0.4383f},
    {u"Chamber/m_GuiCommon.ArryIBNations[2]",  0.585f,   0.27f,   0.57375f, 0.4383f},
    {u"Chamber/m_GuiCommon.ArryIBNations[3]",  0.2725f,  0.5116f, 0.26125f, 0.6816f},
    {u"Chamber/m_GuiCommon.ArryIBNations[4]",  0.3975f,  0.5116f, 0.385f,   0.6816f},
    {u"Chamber/m_GuiCommon.ArryIBNations[5]",  0.52375f, 0.5116f, 0.51125f, 0.6816f},
    {u"Chamber/m_GuiCommon.ArryIBNations[6]",  0.6525f,  0.5116f, 0.64f,    0.6816f},
    {u"Chamber/m_GuiCommon.ArryIBNations[7]",  0.07375f, 0.755f,  0.06375f, 0.9316f},
    {u"Chamber/m_GuiCommon.ArryIBNations[8]",  0.18375f, 0.755f,  0.17375f, 0.9316f},
    {u"Chamber/m_GuiCommon.ArryIBNations[9]",  0.29375f, 0.755f,  0.28375f, 0.9316f},
    {u"Chamber/m_GuiCommon.ArryIBNations[10]", 0.40375f, 0.755f,  0.39375f, 0.9316f},
    {u"Chamber/m_GuiCommon.ArryIBNations[11]", 0.51375f, 0.755f,  0.50375f, 0.9316f},
    {u"Chamber/m_GuiCommon.ArryIBNations[12]", 0.62375f, 0.755f,  0.61375f, 0.9316f},
    {u"Chamber/m_GuiCommon.ArryIBNations[13]", 0.73375f, 0.755f,  0.72375f, 0.9316f},
    {u"Chamber/m_GuiCommon.ArryIBNations[14]", 0.8437f,  0.755f,  0.8337f,  0.9316f},
};
constexpr float kNationButtonWidth = 60, kNationButtonHeight = 78;
constexpr const char16_t* kIconName = u"Chamber/m_GuiCommon.ArryIBNationsInco[%d]";
constexpr const char16_t* kCaptionName = u"Chamber/m_GuiCommon.ArryIBNationsButton[%d]";
// Captions are drawn a little left of their slot's x.
constexpr double kCaptionShift = 0.025;

// ---------------------------------------------------------------------------------------------
// The four detail panels share one frame: a 687 x 474 container at (0.1, 0.1) of the hall.

using D = GuiJobDetail;
constexpr Row<D> kJobDetailRows[] = {
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIContain",       0.1f,    0.1f,    687, 474, &D::SIContain,       nullptr,       u"JobDetail", kOnTopAtOnce},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobName",       0.4876f, 0.1118f, 134, 22,  &D::SIJobName,       &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIUserName",      0.4936f, 0.1624f, 134, 22,  &D::SIUserName,      &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobUserNum",    0.4876f, 0.5517f, 286, 22,  &D::SIJobUserNum,    &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobData",       0.4876f, 0.6033f, 286, 22,  &D::SIJobData,       &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobPower",      0.4876f, 0.6544f, 280, 22,  &D::SIJobPower,      &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobPrice",      0.775f,  0.1118f, 100, 22,  &D::SIJobPrice,      &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobDesc",       0.4876f, 0.2112f, 280, 44,  &D::SIJobDesc,       &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobTimes",      0.4876f, 0.3516f, 280, 22,  &D::SIJobTimes,      &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobConditions", 0.4876f, 0.4012f, 280, 62,  &D::SIJobConditions, &D::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetail.SIJobPControl",   0.4876f, 0.7261f, 280, 50,  &D::SIJobPControl,   &D::SIContain, nullptr, kListed},
    {kButton,      u"Chamber/m_GuiJobDetail.SIUserVotes",     0.4992f, 0.8649f, 87,  27,  &D::SIUserVotes,     &D::SIContain, u"OtherVotes"},
    {kButton,      u"Chamber/m_GuiJobDetail.SIRequest",       0.6462f, 0.8649f, 87,  27,  &D::SIRequest,       &D::SIContain, u"JobJoin"},
    {kImageButton, u"Chamber/m_GuiJobDetail.SIExit",          0.7933f, 0.8649f, 87,  27,  &D::SIExit,          &D::SIContain, u"Exit"},
};

using H = GuiJobDetailHas;
constexpr Row<H> kJobDetailHasRows[] = {
    {kStaticImage, u"Chamber/m_GuiJobDetailHas.SIContain",       0.1f,    0.1f,    687, 474, &H::SIContain,       nullptr,       u"JobDetailed", kOnTopAtOnce},
    {kStaticImage, u"Chamber/m_GuiJobDetailHas.SIJobName",       0.4992f, 0.123f,  134, 22,  &H::SIJobName,       &H::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetailHas.SIUserName",      0.4992f, 0.1846f, 134, 22,  &H::SIUserName,      &H::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetailHas.SIJobTime",       0.4992f, 0.2416f, 286, 22,  &H::SIJobTime,       &H::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetailHas.SIJobKingdom",    0.4992f, 0.3059f, 286, 22,  &H::SIJobKingdom,    &H::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetailHas.SIJobAward",      0.4992f, 0.3713f, 286, 22,  &H::SIJobAward,      &H::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobDetailHas.SIJobPower",      0.4992f, 0.4378f, 280, 22,  &H::SIJobPower,      &H::SIContain, nullptr, kListed},
    {kImageButton, u"Chamber/m_GuiJobDetailHas.SIUserVotes",     0.4992f, 0.8649f, 87,  27,  &H::SIUserVotes,     &H::SIContain, u"OtherVotes"},
    {kImageButton, u"Chamber/m_GuiJobDetailHas.SINoSendMessage", 0.3522f, 0.8649f, 87,  27,  &H::SINoSendMessage, &H::SIContain, u"NoSendMessage"},
    {kButton,      u"Chamber/m_GuiJobDetailHas.SIExitJob",       0.6462f, 0.8649f, 87,  27,  &H::SIExitJob,       &H::SIContain, u"RequestOppose"},
    {kImageButton, u"Chamber/m_GuiJobDetailHas.SIExit",          0.7933f, 0.8649f, 87,  27,  &H::SIExit,          &H::SIContain, u"Exit"},
};

// The vote list: its frame and voting-period line, four cards, then its close button.
using V = GuiJobVotes;
constexpr Row<V> kJobVotesHeadRows[] = {
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIContain",   0.1f,    0.1f,    687, 474, &V::SIContain,   nullptr,       u"JobJoinDetail", kOnTopAtOnce},
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIStartTime", 0.2518f, 0.1012f, 342, 22,  &V::SIStartTime, &V::SIContain, nullptr},
};
constexpr Row<V> kJobVotesTailRows[] = {
    {kImageButton, u"Chamber/m_GuiJobVotes.SIExit",      0.7933f, 0.8649f, 87,  27,  &V::SIExit,      &V::SIContain, u"Exit"},
};

// One card; its frame is created at (0, 0) and then moved to its place.
using K = VoteCard;
constexpr Row<K> kVoteCardRows[] = {
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIArryMain%d",         0,        0,       303, 161, &K::SIArryMain,         nullptr,        nullptr},
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIJobName%d",          0.55125f, 0.0544f, 125, 22,  &K::SIJobName,          &K::SIArryMain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIUserName%d",         0.55125f, 0.254f,  125, 22,  &K::SIUserName,         &K::SIArryMain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIJlinVotes%d",        0.3267f,  0.738f,  50,  22,  &K::SIJlinVotes,        &K::SIArryMain, nullptr},
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIOpposeVotes%d",      0.7887f,  0.738f,  50,  22,  &K::SIOpposeVotes,      &K::SIArryMain, nullptr},
    {kImageButton, u"Chamber/m_GuiJobVotes.SIExitJob%d",          0.1567f,  0.8571f, 40,  22,  &K::SIExitJob,          &K::SIArryMain, u"UserSupport"},
    {kImageButton, u"Chamber/m_GuiJobVotes.SIExitJobOppose%d",    0.6187f,  0.8571f, 40,  22,  &K::SIExitJobOppose,    &K::SIArryMain, u"UserSupport"},
    {kImageButton, u"Chamber/m_GuiJobVotes.SIExitJobALL%d",       0.3267f,  0.8571f, 40,  22,  &K::SIExitJobALL,       &K::SIArryMain, u"UserOppose"},
    {kImageButton, u"Chamber/m_GuiJobVotes.SIExitJobOpposeALL%d", 0.7787f,  0.8571f, 40,  22,  &K::SIExitJobOpposeALL, &K::SIArryMain, u"UserOppose"},
    {kStaticImage, u"Chamber/m_GuiJobVotes.SIArryKingdom%d",      0.55125f, 0.4472f, 125, 22,  &K::SIArryKingdom,      &K::SIArryMain, nullptr, kListed},
};
struct CardPosition {
    float x, y;
};
constexpr CardPosition kCardPositions[kVoteCards] = {{0.056f, 0.1561f}, {0.5021f, 0.1561f}, {0.056f, 0.504f}, {0.5021f, 0.504f}};

using E = GuiExitJobVotes;
constexpr Row<E> kExitJobVotesRows[] = {
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIContain",           0.1f,    0.1f,    687, 474, &E::SIContain,           nullptr,       u"JobExitDetail", kOnTopAtOnce},
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIJobName",           0.4612f, 0.1691f, 134, 22,  &E::SIJobName,           &E::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIUserName",          0.4612f, 0.2218f, 134, 22,  &E::SIUserName,          &E::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIJobTime",           0.4112f, 0.4641f, 286, 22,  &E::SIJobTime,           &E::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIJobEndTime",        0.4112f, 0.5151f, 280, 22,  &E::SIJobEndTime,        &E::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIJobActionUserName", 0.5267f, 0.4052f, 125, 22,  &E::SIJobActionUserName, &E::SIContain, nullptr, kListed},
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIJlinVotes",         0.4949f, 0.289f,  68,  22,  &E::SIJlinVotes,         &E::SIContain, nullptr},
    {kStaticImage, u"Chamber/m_GuiExitJobVotes.SIOpposeVotes",       0.701f,  0.289f,  68,  22,  &E::SIOpposeVotes,       &E::SIContain, nullptr},
    {kImageButton, u"Chamber/m_GuiExitJobVotes.SIExitJob",           0.4381f, 0.3396f, 65,  22,  &E::SIExitJob,           &E::SIContain, u"JobOpposeSupport"},
    {kImageButton, u"Chamber/m_GuiExitJobVotes.SIExitJobOppose",     0.6448f, 0.3396f, 65,  22,  &E::SIExitJobOppose,     &E::SIContain, u"JobOpposeOppose"},
    {kImageButton, u"Chamber/m_GuiExitJobVotes.SIExitJobAll",        0.5365f, 0.3396f, 40,  22,  &E::SIExitJobAll,        &E::SIContain, u"UserOppose"},
    {kImageButton, u"Chamber/m_GuiExitJobVotes.SIExitJobOpposeAll",  0.7432f, 0.3396f, 40,  22,  &E::SIExitJobOpposeAll,  &E::SIContain, u"UserOppose"},
    {kImageButton, u"Chamber/m_GuiExitJobVotes.SINoSendMessage",     0.6462f, 0.8649f, 87,  27,  &E::SINoSendMessage,     &E::SIContain, u"NoSendMessage"},
    {kImageButton, u"Chamber/m_GuiExitJobVotes.SIExit",              0.7933f, 0.8649f, 87,  27,  &E::SIExit,              &E::SIContain, u"Exit"},
};

// ---------------------------------------------------------------------------------------------
// The two dialogs share one frame: a full-screen container, a 313 x 219 body and three buttons.

using G = GuiDialog;
constexpr Row<G> kChangeNameRows[] = {
    {kStaticImage,    u"Chamber/m_GuiToolsChangeName.SIContain", 0,       0,      800, 600, &G::SIContain, nullptr,       nullptr, kOnTopHidden},
    {kStaticImage,    u"Chamber/m_GuiToolsChangeName.SIMain",    0.3f,    0.3f,   313, 219, &G::SIMain,    &G::SIContain, u"ChangeNameMain"},
    {kChineseEditBox, u"Chamber/m_GuiToolsChangeName.SICurName", 0.366f,  0.5f,   0,   0,   &G::SICurName, &G::SIMain,    nullptr},
    {kImageButton,    u"Chamber/m_GuiToolsChangeName.IBClose",   0.8634f, 0.031f, 24,  24,  &G::IBClose,   &G::SIMain,    u"ChangeNameClose"},
    {kImageButton,    u"Chamber/m_GuiToolsChangeName.IBConfirm", 0.2285f, 0.863f, 70,  26,  &G::IBConfirm, &G::SIMain,    u"ChangeNameConfirm"},
    {kImageButton,    u"Chamber/m_GuiToolsChangeName.IBCancel",  0.546f,  0.863f, 70,  26,  &G::IBCancel,  &G::SIMain,    u"ChangeNameCancel"},
};
// The name box: its size comes from the ini file; one line of at most 70 units, not masked.
struct ChineseEditBoxSettings {
    const char16_t* section;
    const char16_t* key;
    int lines, maxLength;
    bool password;
    unsigned fontColour;
};
constexpr ChineseEditBoxSettings kNameBox = {u"Common", u"ChangeNameCurName", 1, 70, false, 0xFFFFF7};

constexpr Row<G> kManyVotesRows[] = {
    {kStaticImage, u"Chamber/m_GuiManyVotes.SIContain", -0.1f,   -0.1f,   800, 600, &G::SIContain, nullptr,       nullptr, kOnTopHidden},
    {kStaticImage, u"Chamber/m_GuiManyVotes.SIMain",    0.3f,    0.3f,    313, 219, &G::SIMain,    &G::SIContain, u"UserAllVotesMain"},
    // The one widget whose full name has no "Chamber/" prefix.
    {kEditBox,     u"m_GuiManyVotes.SICurName",         0.5643f, 0.4109f, 103, 22,  &G::SICurName, &G::SIMain,    nullptr},
    {kImageButton, u"Chamber/m_GuiManyVotes.IBClose",   0.8634f, 0.031f,  24,  24,  &G::IBClose,   &G::SIMain,    u"ChangeNameClose"},
    {kImageButton, u"Chamber/m_GuiManyVotes.IBConfirm", 0.2285f, 0.863f,  70,  26,  &G::IBConfirm, &G::SIMain,    u"ChangeNameConfirm"},
    {kImageButton, u"Chamber/m_GuiManyVotes.IBCancel",  0.546f,  0.863f,  70,  26,  &G::IBCancel,  &G::SIMain,    u"ChangeNameCancel"},
};

using U = GuiUserHelp;
constexpr Row<U> kUserHelpRows[] = {
    {kImageButton, u"Chamber/m_GuiUserHelp.SIHelpClick", 0.7302f, 0.017f,  80,  35,  &U::SIHelpClick, nullptr,        u"UserHelpClick"},
    {kStaticImage, u"Chamber/m_GuiUserHelp.SIHelpMain",  0,       0,       800, 600, &U::SIHelpMain,  nullptr,        u"UserHelpMain", kOnTopHidden},
    {kImageButton, u"Chamber/m_GuiUserHelp.SIHelpClose", 0.835f,  0.0633f, 24,  24,  &U::SIHelpClose, &U::SIHelpMain, u"UserHelpClose"},
};

// clang-format on

// Walks widget tables: creates each row's widget, keeps it in the row's field, attaches it to its
// parent and gives it its image, then applies the row's flags.
class LayoutBuilder {
public:
    LayoutBuilder(GUICreate& tree, std::vector<Widget>& textWidgets)
        : m_tree(tree), m_textWidgets(textWidgets) {}

    template <class Record>
    void Build(Record& record, std::span<const Row<Record>> rows, Widget outerParent, int cardIndex = -1) {
        for (const Row<Record>& row : rows) {
            const CString name = cardIndex < 0 ? CString(row.name) : GuiFormat(row.name, cardIndex);
            Widget widget = Create(row.kind, name, row.x, row.y, row.width, row.height);
            record.*row.field = widget;
            if (row.flags & kOnTopAtOnce) widget->SetAlwaysOnTop(true);
            if (Widget parent = row.parent ? record.*row.parent : outerParent)
                parent->AddChildWindow(widget->IsChild());
            if (row.image) widget->SetImageFromImageSet(kImageSet, row.image);
            if (row.kind == kChineseEditBox)
                static_cast<GuiEditBox*>(widget)->SetFontColor(kNameBox.fontColour);
            if (row.flags & kListed) m_textWidgets.push_back(widget);
            if (row.flags & kOnTopHidden) widget->SetAlwaysOnTop(true);
            if (row.flags & (kOnTopHidden | kHidden)) widget->Hide();
        }
    }

    Widget Create(WidgetKind kind, const CString& name, float x, float y, float width, float height) {
        switch (kind) {
            case kStaticImage:
                return m_tree.AddStaticImageGui(name, x, y, width, height);
            case kImageButton:
                return m_tree.AddImageButtonGui(name, x, y, width, height);
            case kButton:
                return m_tree.AddButtonGui(name, x, y, width, height);
            case kEditBox:
                return m_tree.AddEditboxGui(name, x, y, width, height);
            case kMessageBox:
                return m_tree.AddMsgBoxGui(name, x, y, width, height);
            case kChineseEditBox:
                return m_tree.AddChineseEditboxGui(name, kNameBox.section, kNameBox.key, kIniFile,
                                                   kNameBox.lines, kNameBox.maxLength, kNameBox.password, x,
                                                   y);
        }
        return nullptr;
    }

private:
    GUICreate& m_tree;
    std::vector<Widget>& m_textWidgets;
};

}  // namespace

int CGuiDanceChamberInternal::Create(void* root) {
    if (m_created) return -1;
    m_root = root;
    SetRootPointer(root);
    CreateImagesetGui(kImageSet, kImageSet, kIniFile, 1);
    BuildHall();
    BuildPanels();
    for (Widget widget : m_textWidgets)
        GiveTextFont(widget);
    m_created = true;
    RegisterClickGroups();
    return 0;
}

void CGuiDanceChamberInternal::BuildHall() {
    LayoutBuilder builder(*this, m_textWidgets);
    builder.Build<GuiCommon>(m_GuiCommon, kHallRows, nullptr);
    for (int i = 0; i < kNationSlots; ++i) {
        const NationSlot& slot = kNationSlotTable[i];
        m_GuiCommon.ArryIBNations[i] =
            AddImageButtonGui(slot.name, slot.buttonX, slot.buttonY, kNationButtonWidth, kNationButtonHeight);
    }
    Widget background = m_GuiCommon.SIBackground;
    for (int i = 0; i < kNationSlots; ++i) {
        Widget button = m_GuiCommon.ArryIBNations[i];
        button->SetID(i + 1);  // the job id of the slot
        button->SetImageFromImageSet(kImageSet, u"JobUser", u"JobUser", u"JobUser");
        background->AddChildWindow(button->IsChild());

        Widget icon = AddStaticImageGui(GuiFormat(kIconName, i), 0.7166f, 0.782f, 17, 17);
        m_GuiCommon.ArryIBNationsInco[i] = icon;
        button->AddChildWindow(icon->IsChild());
        icon->SetImageFromImageSet(kImageSet, u"JobIncoNULL");

        Widget caption = AddStaticImageGui(GuiFormat(kCaptionName, i), 0, -0.1f, 110, 44);
        m_GuiCommon.ArryIBNationsButton[i] = caption;
        background->AddChildWindow(caption->IsChild());
        GiveTextFont(caption);
    }
    for (int i = 0; i < kNationSlots; ++i) {
        m_GuiCommon.ArryIBNationsButton[i]->SetPosition(kNationSlotTable[i].captionX,
                                                        kNationSlotTable[i].captionY);
    }
    for (Widget caption : m_GuiCommon.ArryIBNationsButton) {
        const double x = caption->GetXPosition().d_scale;
        caption->SetXPosition(static_cast<float>(x - kCaptionShift), 0);
    }
}

void CGuiDanceChamberInternal::BuildPanels() {
    LayoutBuilder builder(*this, m_textWidgets);
    Widget background = m_GuiCommon.SIBackground;

    builder.Build<GuiJobDetail>(m_GuiJobDetail, kJobDetailRows, background);
    m_GuiJobDetail.SIContain->Hide();
    builder.Build<GuiJobDetailHas>(m_GuiJobDetailHas, kJobDetailHasRows, background);
    m_GuiJobDetailHas.SIContain->Hide();

    builder.Build<GuiJobVotes>(m_GuiJobVotes, kJobVotesHeadRows, background);
    for (int r = 0; r < kVoteCards; ++r) {
        VoteCard& card = m_GuiJobVotes.cards[r];
        builder.Build<VoteCard>(card, kVoteCardRows, m_GuiJobVotes.SIContain, r);
        card.SIArryMain->SetPosition(kCardPositions[r].x, kCardPositions[r].y);
    }
    builder.Build<GuiJobVotes>(m_GuiJobVotes, kJobVotesTailRows, background);
    m_GuiJobVotes.SIContain->Hide();

    builder.Build<GuiExitJobVotes>(m_GuiExitJobVotes, kExitJobVotesRows, background);
    m_GuiExitJobVotes.SIContain->Hide();

    builder.Build<GuiDialog>(m_GuiToolsChangeName, kChangeNameRows, background);
    builder.Build<GuiDialog>(m_GuiManyVotes, kManyVotesRows, background);
    builder.Build<GuiUserHelp>(m_GuiUserHelp, kUserHelpRows, background);
}

void CGuiDanceChamberInternal::RegisterClickGroups() {
    for (Widget button : m_GuiCommon.ArryIBNations) {
        button->SetEventClick(kGroupNations);
        button->SetEvenRightHandClick(kGroupNations);
    }
    const Widget panelButtons[] = {
        m_GuiJobDetail.SIRequest,
        m_GuiJobDetailHas.SIExitJob,
        m_GuiJobDetailHas.SINoSendMessage,
        m_GuiExitJobVotes.SINoSendMessage,
        m_GuiJobDetailHas.SIUserVotes,
        m_GuiJobDetail.SIUserVotes,
        m_GuiJobDetail.SIExit,
        m_GuiJobDetailHas.SIExit,
        m_GuiExitJobVotes.SIExitJob,
        m_GuiExitJobVotes.SIExitJobOppose,
        m_GuiExitJobVotes.SIExitJobOpposeAll,
        m_GuiExitJobVotes.SIExitJobAll,
        m_GuiExitJobVotes.SIExit,
        m_GuiJobVotes.SIExit,
    };
    for (Widget button : panelButtons)
        button->SetEventClick(kGroupPanels);
    for (const VoteCard& card : m_GuiJobVotes.cards) {
        for (Widget button :
             {card.SIExitJob, card.SIExitJobOppose, card.SIExitJobALL, card.SIExitJobOpposeALL}) {
            button->SetEventClick(kGroupVoteCards);
        }
    }
    for (Widget button :
         {m_GuiToolsChangeName.IBClose, m_GuiToolsChangeName.IBConfirm, m_GuiToolsChangeName.IBCancel}) {
        button->SetEventClick(kGroupMuteDialog);
    }
    for (Widget button : {m_GuiCommon.IBSystemExit, m_GuiUserHelp.SIHelpClose, m_GuiUserHelp.SIHelpClick}) {
        button->SetEventClick(kGroupExitHelp);
    }
    for (Widget button : {m_GuiManyVotes.IBClose, m_GuiManyVotes.IBConfirm, m_GuiManyVotes.IBCancel}) {
        button->SetEventClick(kGroupManyVotes);
    }
}
