#include "ButtonLayout.h"

namespace torvan {

namespace {
// Win32 values, repeated here so this file needs no <windows.h>.
constexpr std::uint32_t kTypeMask = 0x1F;
constexpr std::uint32_t kPushButton = 0x00;
constexpr std::uint32_t kDefPushButton = 0x01;
constexpr std::uint32_t kOwnerDraw = 0x0B;
constexpr std::uint32_t kDlgcDefPushButton = 0x10;
constexpr std::uint32_t kDlgcUndefPushButton = 0x20;
}  // namespace

Color ButtonFaceColor(const ButtonState& state, const Color (&colors)[ButtonColorCount]) {
    if (state.Hot()) return colors[ColorHotFace];
    if (state.focused) return colors[ColorFocusFace];
    return colors[ColorRestFace];
}

CaptionColors ButtonCaptionColors(const ButtonState& state, const Color (&colors)[ButtonColorCount]) {
    if (state.Hot()) return {colors[ColorHotText], colors[ColorHotFace]};
    return {colors[ColorRestText], colors[ColorRestFace]};
}

int ChooseButtonImage(const ButtonState& state, bool hasRestImage) {
    if (state.Hot()) return 0;
    return hasRestImage ? 1 : 0;
}

Box LayoutImage(const Box& item, Box& caption, bool hasCaption, bool pressed, int imageWidth,
                int imageHeight) {
    Box image = item;
    if (hasCaption) {
        image.left = item.left + 3;
        caption.left += imageWidth + 3;
    } else {
        image.left += (item.Width() - imageWidth) / 2;
    }
    image.top += (item.Height() - imageHeight) / 2;
    if (pressed) {
        image.left += 1;
        image.top += 1;
    }
    image.right = image.left + imageWidth;
    image.bottom = image.top + imageHeight;
    return image;
}

Box CentreCaption(const Box& frame, const Box& measured) {
    Box centred = measured;
    centred.Offset((frame.Width() - measured.Width()) / 2, (frame.Height() - measured.Height()) / 2);
    return centred;
}

ButtonStyleChange ApplyButtonStyle(std::uint32_t requested, bool isDefault) {
    std::uint32_t type = requested & kTypeMask;
    if (type == kDefPushButton) isDefault = true;
    else if (type == kPushButton) isDefault = false;
    // Clearing bits 2 and 4 and setting 0x0B makes the low five bits 0x0B
    // whatever they were: the control never stops being owner-drawn.
    return {(requested & 0xFFFFFFEBu) | kOwnerDraw, isDefault};
}

std::uint32_t ButtonDialogCode(std::uint32_t defaultCode, bool isDefault) {
    return defaultCode | (isDefault ? kDlgcDefPushButton : kDlgcUndefPushButton);
}

HoverChange DecideHover(bool hover, bool leftButtonHeld, bool pointOverButton) {
    // A drag started elsewhere does not light the button up on its way in.
    if (leftButtonHeld && !hover) return HoverChange::None;
    if (pointOverButton) return hover ? HoverChange::None : HoverChange::Begin;
    return HoverChange::End;
}

}  // namespace torvan
