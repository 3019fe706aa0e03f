#include "ButtonLayout.h"

#include <gtest/gtest.h>

namespace torvan {
namespace {

Color kColors[ButtonColorCount] = {
    MakeColor(1, 0, 0),  // hot face
    MakeColor(2, 0, 0),  // hot text
    MakeColor(3, 0, 0),  // rest face
    MakeColor(4, 0, 0),  // rest text
    MakeColor(5, 0, 0),  // focus face
    MakeColor(6, 0, 0),  // focus text
};

ButtonState State(bool hover, bool pressed, bool focused) {
    ButtonState s;
    s.hover = hover;
    s.pressed = pressed;
    s.focused = focused;
    return s;
}

TEST(ButtonColours, FaceByState) {
    EXPECT_EQ(ButtonFaceColor(State(false, false, false), kColors), kColors[ColorRestFace]);
    EXPECT_EQ(ButtonFaceColor(State(false, false, true), kColors), kColors[ColorFocusFace]);
    EXPECT_EQ(ButtonFaceColor(State(true, false, false), kColors), kColors[ColorHotFace]);
    EXPECT_EQ(ButtonFaceColor(State(false, true, false), kColors), kColors[ColorHotFace]);
    // Hot wins over focused.
    EXPECT_EQ(ButtonFaceColor(State(true, false, true), kColors), kColors[ColorHotFace]);
}

TEST(ButtonColours, CaptionByStateNeverUsesTheFocusSlots) {
    for (bool focused : {false, true}) {
        CaptionColors rest = ButtonCaptionColors(State(false, false, focused), kColors);
        EXPECT_EQ(rest.text, kColors[ColorRestText]);
        EXPECT_EQ(rest.background, kColors[ColorRestFace]);
        CaptionColors pressed = ButtonCaptionColors(State(false, true, focused), kColors);
        EXPECT_EQ(pressed.text, kColors[ColorHotText]);
        EXPECT_EQ(pressed.background, kColors[ColorHotFace]);
    }
    EXPECT_EQ(ButtonCaptionColors(State(true, false, false), kColors).text, kColors[ColorHotText]);
}

TEST(ButtonImages, HotWhileHotRestOtherwiseHotWhenNoRest) {
    EXPECT_EQ(ChooseButtonImage(State(true, false, false), true), 0);
    EXPECT_EQ(ChooseButtonImage(State(false, true, false), true), 0);
    EXPECT_EQ(ChooseButtonImage(State(false, false, false), true), 1);
    EXPECT_EQ(ChooseButtonImage(State(false, false, true), true), 1);
    EXPECT_EQ(ChooseButtonImage(State(false, false, false), false), 0);
}

TEST(ButtonLayout, ImageBesideACaption) {
    Box item{0, 0, 100, 30};
    Box caption = item;
    Box image = LayoutImage(item, caption, true, false, 16, 14);
    EXPECT_EQ(image, (Box{3, 8, 19, 22}));
    EXPECT_EQ(caption, (Box{19, 0, 100, 30}));  // image width + 3 to the right

    caption = item;
    image = LayoutImage(item, caption, true, true, 16, 14);
    EXPECT_EQ(image, (Box{4, 9, 20, 23}));       // pressed: one pixel right and down
    EXPECT_EQ(caption, (Box{19, 0, 100, 30}));   // the caption moves later, on its own
}

TEST(ButtonLayout, ImageAloneIsCentredWithTruncatedHalves) {
    Box item{0, 0, 101, 30};
    Box caption = item;
    Box image = LayoutImage(item, caption, false, false, 13, 13);
    EXPECT_EQ(image.left, 44);  // (101 - 13) / 2
    EXPECT_EQ(image.top, 8);    // (30 - 13) / 2 = 8.5
    EXPECT_EQ(caption, item);

    // An image wider than the button overhangs both sides evenly (toward zero).
    Box narrow{10, 0, 20, 10};
    image = LayoutImage(narrow, caption, false, false, 16, 13);
    EXPECT_EQ(image.left, 7);  // 10 + (10 - 16) / 2 = 10 - 3
    EXPECT_EQ(image.top, -1);  // (10 - 13) / 2 = -1
}

TEST(ButtonLayout, CaptionCentredInItsFrame) {
    Box frame{19, 0, 100, 30};
    Box measured{19, 0, 49, 13};  // DT_CALCRECT keeps left and top
    EXPECT_EQ(CentreCaption(frame, measured), (Box{44, 8, 74, 21}));  // (81-30)/2, (30-13)/2
}

TEST(ButtonStyle, DefaultFlagFollowsThePushButtonTypes) {
    ButtonStyleChange c = ApplyButtonStyle(0x00010001 /* WS_TABSTOP | BS_DEFPUSHBUTTON */, false);
    EXPECT_TRUE(c.isDefault);
    EXPECT_EQ(c.style, 0x0001000Bu);
    c = ApplyButtonStyle(0x00010000 /* BS_PUSHBUTTON */, true);
    EXPECT_FALSE(c.isDefault);
    EXPECT_EQ(c.style, 0x0001000Bu);
    // Other types leave the flag alone.
    EXPECT_TRUE(ApplyButtonStyle(0x02 /* BS_CHECKBOX */, true).isDefault);
    EXPECT_FALSE(ApplyButtonStyle(0x0B /* BS_OWNERDRAW */, false).isDefault);
}

TEST(ButtonStyle, LowFiveBitsAlwaysBecomeOwnerDraw) {
    for (std::uint32_t type = 0; type < 0x20; ++type) {
        std::uint32_t requested = 0x50002000u | type;  // visible child, multiline
        std::uint32_t handed = ApplyButtonStyle(requested, false).style;
        EXPECT_EQ(handed & 0x1Fu, 0x0Bu) << "type " << type;
        EXPECT_EQ(handed & ~0x1Fu, requested & ~0x1Fu) << "type " << type;
    }
}

TEST(ButtonDialogCode, AddsTheDefaultOrUndefaultPushButtonBit) {
    EXPECT_EQ(ButtonDialogCode(0x2000 /* DLGC_BUTTON */, true), 0x2010u);
    EXPECT_EQ(ButtonDialogCode(0x2000, false), 0x2020u);
}

TEST(ButtonHover, MovesDecideTheHoverState) {
    EXPECT_EQ(DecideHover(false, false, true), HoverChange::Begin);
    EXPECT_EQ(DecideHover(true, false, true), HoverChange::None);
    EXPECT_EQ(DecideHover(true, false, false), HoverChange::End);
    // Dragged onto the button with the left button held: stays cold...
    EXPECT_EQ(DecideHover(false, true, true), HoverChange::None);
    // ...but one already hot stays hot while pressed, and cools when left.
    EXPECT_EQ(DecideHover(true, true, true), HoverChange::None);
    EXPECT_EQ(DecideHover(true, true, false), HoverChange::End);
}

}  // namespace
}  // namespace torvan
