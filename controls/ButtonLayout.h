// The flat bitmap button's decisions, worked out without any window: where
// the image and the caption go, which colours and which image a state shows,
// how a dialog's style and dialog-code requests are answered, and what a
// mouse move does to the hover state.
#pragma once

#include <cstdint>

#include "ControlColor.h"

namespace torvan {

// Colour slots of the flat button, by index.
enum ButtonColorSlot : std::uint8_t {
    ColorHotFace = 0,    // face while hot (mouse over it, or pressed)
    ColorHotText = 1,    // caption while hot
    ColorRestFace = 2,   // face at rest without the focus
    ColorRestText = 3,   // caption when not hot
    ColorFocusFace = 4,  // face at rest with the focus
    ColorFocusText = 5,  // kept for callers; painting never reads it
    ButtonColorCount = 6
};

// What the last paint request said, plus the tracked hover.
struct ButtonState {
    bool hover = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;

    bool Hot() const { return hover || pressed; }
};

Color ButtonFaceColor(const ButtonState& state, const Color (&colors)[ButtonColorCount]);

struct CaptionColors {
    Color text;
    Color background;
};
CaptionColors ButtonCaptionColors(const ButtonState& state, const Color (&colors)[ButtonColorCount]);

// Index of the image record to show: 0 (hot) while hot, else 1 (rest) when
// there is a rest image, else the hot one serves at rest too.
int ChooseButtonImage(const ButtonState& state, bool hasRestImage);

// Places an image of imageWidth x imageHeight inside the item: 3 pixels from
// the left with a caption (whose box then starts right of the image plus 3
// pixels), centred without one; centred vertically; one pixel right and down
// while pressed. Right and bottom of the result are left + width, top + height.
Box LayoutImage(const Box& item, Box& caption, bool hasCaption, bool pressed, int imageWidth,
                int imageHeight);

// Centres a measured text box inside the frame it was measured in.
Box CentreCaption(const Box& frame, const Box& measured);

// BM_SETSTYLE: a default push-button type makes the button the default one,
// a plain push-button type makes it an ordinary one, other types leave it.
// The style handed on keeps every bit but the type, which stays owner-draw.
struct ButtonStyleChange {
    std::uint32_t style;  // what the control's own procedure receives
    bool isDefault;       // the button's default flag afterwards
};
ButtonStyleChange ApplyButtonStyle(std::uint32_t requested, bool isDefault);

// WM_GETDLGCODE: the control's own answer plus the default / non-default
// push-button bit, so the dialog moves the default look as for push buttons.
std::uint32_t ButtonDialogCode(std::uint32_t defaultCode, bool isDefault);

// What a mouse move over (or off) the button does to the hover state.
enum class HoverChange { None, Begin, End };
HoverChange DecideHover(bool hover, bool leftButtonHeld, bool pointOverButton);

}  // namespace torvan
