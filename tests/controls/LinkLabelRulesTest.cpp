// The hyperlink label's rules: which text is the address, how the label
// shrinks to its text for each alignment, and the browser
// command made from the one registered for web pages.
#include <gtest/gtest.h>

#include "LinkLabelRules.h"

using namespace torvan;

namespace {

bool GbkLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

std::string Compose(const std::string& registered, const std::string& address, size_t buffer = 520) {
    std::string command = "untouched";
    if (!ComposeBrowserCommand(registered, address, buffer, &GbkLead, command)) return "<refused>";
    return command;
}

}  // namespace

TEST(LinkTexts, EmptyTargetTakesTheTextAndEmptyTextShowsTheTarget) {
    LinkTexts fromText = ResolveLinkTexts("", "www.torvan.example");
    EXPECT_EQ(fromText.target, "www.torvan.example");
    EXPECT_FALSE(fromText.captionChanged);

    LinkTexts fromTarget = ResolveLinkTexts("http://a.example/", "");
    EXPECT_EQ(fromTarget.caption, "http://a.example/");
    EXPECT_TRUE(fromTarget.captionChanged);

    LinkTexts both = ResolveLinkTexts("http://a.example/", "notice");
    EXPECT_EQ(both.target, "http://a.example/");
    EXPECT_EQ(both.caption, "notice");
    EXPECT_FALSE(both.captionChanged);

    EXPECT_FALSE(ResolveLinkTexts("", "").captionChanged);  // nothing to set
}

TEST(FitLinkBox, KeepsTheEdgeOrCentreTheAlignmentNames) {
    const Box window = {10, 20, 110, 40};  // 100 x 20
    Box left = FitLinkBox(window, 30, 8, 0);
    EXPECT_EQ(left, (Box{10, 20, 40, 28}));

    Box centre = FitLinkBox(window, 30, 8, kStaticCenter);
    EXPECT_EQ(centre, (Box{45, 20, 75, 28}));
    EXPECT_EQ(centre.left + centre.right, window.left + window.right);

    Box right = FitLinkBox(window, 30, 8, kStaticRight);
    EXPECT_EQ(right, (Box{80, 20, 110, 28}));

    // Vertical centring shrinks both ends by half the slack, rounded toward
    // zero: 20 - 9 = 11 leaves 5 at each end, so one pixel more height.
    Box middle = FitLinkBox(window, 30, 9, kStaticCenterImage | kStaticCenter);
    EXPECT_EQ(middle.top, 25);
    EXPECT_EQ(middle.bottom, 35);
    // Odd horizontal slack: 100 - 31 = 69, 34 off each side.
    Box odd = FitLinkBox(window, 31, 8, kStaticCenter);
    EXPECT_EQ(odd.left, 44);
    EXPECT_EQ(odd.right, 76);
}

TEST(FitLinkBox, ATextWiderThanTheLabelGrowsItOnTheFreeSide) {
    const Box window = {10, 0, 50, 10};
    EXPECT_EQ(FitLinkBox(window, 60, 10, 0).right, 70);
    EXPECT_EQ(FitLinkBox(window, 60, 10, kStaticRight).left, -10);
    Box centre = FitLinkBox(window, 60, 10, kStaticCenter);
    EXPECT_EQ(centre.left, 0);
    EXPECT_EQ(centre.right, 60);
}

TEST(BrowserCommand, PlaceholderFormsAreCutAndTheAddressAppended) {
    const std::string url = "http://www.torvan.example/";
    EXPECT_EQ(Compose("\"C:\\Browser\\b.exe\" \"%1\"", url), "\"C:\\Browser\\b.exe\"  " + url);
    EXPECT_EQ(Compose("C:\\b.exe -url %1 -new", url), "C:\\b.exe -url  " + url);
    EXPECT_EQ(Compose("C:\\b.exe", url), "C:\\b.exe " + url);
    // The quoted form is preferred even when a plain one comes first.
    EXPECT_EQ(Compose("b.exe %1x \"%1\"", url), "b.exe %1x  " + url);
}

TEST(BrowserCommand, AQuotedPlaceholderIsNotFoundInsideADoubleByteCharacter) {
    // 0x81 0x22 is one GBK character whose trail byte is a quote: the real
    // quoted placeholder is the one after it.
    const std::string registered = std::string("b.exe \x81") + "\"%1\" \"%1\"";
    EXPECT_EQ(Compose(registered, "u"), std::string("b.exe \x81") + "\"%1\"  u");
}

TEST(BrowserCommand, ACommandThatWouldNotFitIsRefused) {
    const std::string registered(500, 'b');
    std::string address(18, 'a');  // 500 + 1 + 18 = 519 bytes, plus the zero: 520
    EXPECT_EQ(Compose(registered, address), registered + " " + address);
    address += 'a';
    EXPECT_EQ(Compose(registered, address), "<refused>");
    std::string command = "kept";
    EXPECT_FALSE(ComposeBrowserCommand(registered, address, 520, &GbkLead, command));
    EXPECT_EQ(command, "kept");
}
