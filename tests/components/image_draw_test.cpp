// Image components on a base: sizes from picture and zoom, the alpha convention, masks, stretching,
// flips, rotation, opaque sub-rectangles, hit tests, animation and its events, tiles, and the saved
// record.
#include <gtest/gtest.h>

#include "archive/stream.h"
#include "components/vobe_images.h"
#include "components/vobe_tile.h"
#include "framework/vobe_factory.h"
#include "image_test_util.h"
#include "platform/globals.h"

namespace vobe {
namespace {

using test::Px;
using test::Solid;
using test::VskBytes;

// A 4 x 2 picture: left half red, right half blue.
test::TFrameSpec Halves() {
    test::TFrameSpec f;
    f.Width = 4;
    f.Height = 2;
    f.Colour = [](int32_t x, int32_t) { return x < 2 ? 0x0000FF : 0xFF0000; };
    return f;
}

class ImageDraw : public test::TImageScene {
protected:
    ImageDraw() {
        Files["halves.vsk"] = VskBytes({Halves()});
        SavedDelta = FrameDelta;
    }
    ~ImageDraw() override { FrameDelta = SavedDelta; }
    TVobeImages* Images(const std::string& source, int32_t x, int32_t y) {
        auto* i = New<TVobeImages>();
        i->SetSource(source);
        i->SetLeft(x);
        i->SetTop(y);
        return i;
    }
    int32_t SavedDelta = 0;
};

TEST_F(ImageDraw, OpaqueBlendedAndAdditivePictures) {
    TVobeImages* i = Images("halves.vsk", 10, 5);
    EXPECT_EQ(i->Width, 4);
    EXPECT_EQ(i->Height, 2);
    EXPECT_EQ(i->GetOrigWidth(), 4);
    EXPECT_EQ(i->GetIndex(), 0);
    EXPECT_EQ(i->GetCount(), 1);
    DrawAll();
    EXPECT_EQ(At(10, 5), Px(0x0000FF));
    EXPECT_EQ(At(13, 6), Px(0xFF0000));
    EXPECT_EQ(At(14, 6), 0x202020u);
    EXPECT_EQ(At(10, 7), 0x202020u);

    i->SetAlpha(128); // (128 x s + 127 x d) >> 8 per channel
    DrawAll(0x202020);
    EXPECT_EQ(At(10, 5),
              (((128u * 255 + 127 * 0x20) >> 8) << 16) | (((127u * 0x20) >> 8) << 8) | ((127u * 0x20) >> 8));
    i->SetAlpha(256 + 64); // adds a quarter of the picture
    DrawAll(0x101010);
    EXPECT_EQ(At(10, 5), 0x4F1010u);
    for (int32_t a : {0, 512, -3}) {
        i->SetAlpha(a);
        DrawAll(0x101010);
        EXPECT_EQ(At(10, 5), 0x101010u) << a;
    }
}

// Stretched output blends even at 255: (255 x s) >> 8 makes a full channel one step darker.
constexpr uint32_t Red = 0xFE0000, Blue = 0x0000FE;

TEST_F(ImageDraw, ZoomFlipAndExplicitSize) {
    TVobeImages* i = Images("halves.vsk", 0, 0);
    i->SetZoomX(512);
    i->SetZoomY(512);
    i->Update();
    EXPECT_EQ(i->Width, 8);
    EXPECT_EQ(i->Height, 4);
    DrawAll();
    EXPECT_EQ(At(3, 3), Red);
    EXPECT_EQ(At(4, 0), Blue);
    EXPECT_EQ(At(8, 0), 0x202020u);

    // Mirrored, the anchor is the right edge.
    i->SetFlipH(true);
    i->SetLeft(7);
    i->Update();
    DrawAll();
    EXPECT_EQ(At(0, 0), Blue);
    EXPECT_EQ(At(7, 3), Red);

    // An explicit width stretches the picture: the zoom reads 0.
    i->SetFlipH(false);
    i->SetLeft(0);
    i->SetWidth(12);
    EXPECT_EQ(i->GetZoomX(), 0);
    i->Update();
    EXPECT_EQ(i->Width, 12);
    DrawAll();
    // 16.16 sampling: step trunc(4 / 12 x 65536) puts source column 1 at 6 as well.
    EXPECT_EQ(At(6, 0), Red);
    EXPECT_EQ(At(7, 0), Blue);
    EXPECT_EQ(At(11, 3), Blue);
    EXPECT_EQ(At(12, 0), 0x202020u);
}

TEST_F(ImageDraw, PosZoomedChildrenSitOnTheParentsPicture) {
    // The parent shows its 4-pixel picture 5 wide: 16.16 scale trunc(4 / 5 x 65536) = 52428.
    TVobeImages* parent = Images("halves.vsk", 10, 0);
    parent->SetZoomX(320);
    parent->Update();
    ASSERT_EQ(parent->Width, 5);
    auto* child = New<TVobeImages>(parent);
    child->SetSource("halves.vsk");
    child->SetLeft(1);
    child->SetZoomX(320);
    child->SetPosZoomed(true);
    child->Update();
    // Edges at 1 x 65536 / 52428 (rounded to the nearest) and 5 x 65536 / 52428 (rounded up): 1 and 7.
    EXPECT_EQ(child->GetScreenLeft(), 11);
    EXPECT_EQ(child->Width, 6);
    child->SetLeft(3);
    child->NeedsRebuild = true;
    child->Update();
    // 3 x 65536 / 52428 leaves more than half a step: the left edge rounds up to 4.
    EXPECT_EQ(child->GetScreenLeft(), 14);
    EXPECT_EQ(child->Width, 5);
}

TEST_F(ImageDraw, MasksBlendAndHitTest) {
    test::TFrameSpec f = Solid(4, 4, 0xFFFFFF);
    f.Mask = [](int32_t x, int32_t) { return x == 0 ? 0 : x == 1 ? 127 : 255; };
    Files["m.vsk"] = VskBytes({f});
    TVobeImages* i = Images("m.vsk", 2, 2);
    DrawAll(0);
    EXPECT_EQ(At(2, 2), 0u);        // mask 0
    EXPECT_EQ(At(3, 2), 0x7E7E7Eu); // ((255 - 127) x 0 + 127 x 255) >> 8
    EXPECT_EQ(At(4, 2), 0xFFFFFFu); // mask 255

    // The mask decides hits only with CaptureMask.
    const TAcceptSet all = AcceptSet({0, 2, 3, 4});
    EXPECT_EQ(S.Base0->HitTest({2, 2}, all), i);
    i->SetCaptureMask(true);
    EXPECT_EQ(S.Base0->HitTest({2, 2}, all), S.Base0);
    EXPECT_EQ(S.Base0->HitTest({3, 2}, all), S.Base0); // 127 is not above 127
    EXPECT_EQ(S.Base0->HitTest({4, 5}, all), i);
    i->SetFlipH(true);
    i->SetLeft(5); // mirrored, the anchor is the right edge: still at 2..5
    i->Update();
    EXPECT_EQ(S.Base0->HitTest({5, 2}, all), S.Base0); // column 0 of the picture is now on the right
    EXPECT_EQ(S.Base0->HitTest({2, 2}, all), i);
    i->SetIgnoreMouse(1);
    EXPECT_EQ(S.Base0->HitTest({2, 2}, all), S.Base0);
}

TEST_F(ImageDraw, RotationTurnsAroundTheOffset) {
    // A quarter turn clockwise around the top-left pixel: the 4 x 2 picture now runs downward, its
    // rows going left.
    TVobeImages* i = Images("halves.vsk", 20, 10);
    i->SetAngle(64);
    const TRect r = i->GetScreenRect();
    EXPECT_LE(r.Left, 19);
    EXPECT_GE(r.Bottom, 14);
    DrawAll();
    EXPECT_EQ(At(20, 10), Px(0x0000FF));
    EXPECT_EQ(At(20, 11), Px(0x0000FF));
    EXPECT_EQ(At(20, 12), Px(0xFF0000));
    EXPECT_EQ(At(20, 13), Px(0xFF0000));
    EXPECT_EQ(At(19, 13), Px(0xFF0000));
    EXPECT_EQ(At(21, 10), 0x202020u);
    EXPECT_EQ(At(20, 14), 0x202020u);
    // Hits are tested in the unrotated picture.
    const TAcceptSet all = AcceptSet({0, 2, 3, 4});
    EXPECT_EQ(S.Base0->HitTest({20, 13}, all), i);
    EXPECT_EQ(S.Base0->HitTest({22, 10}, all), S.Base0);
}

TEST_F(ImageDraw, OnlyTheOpaqueSubRectanglesAreDrawn) {
    TVobeImages* i = Images("halves.vsk", 0, 0);
    i->SetAlpha(300);
    // The frame reader hands these lists over with the picture; here they are set by hand.
    auto* pic = i->GetImage();
    pic->DrawRects = {TRect{0, 0, 1, 2}, TRect{3, 1, 4, 2}};
    DrawAll(0);
    EXPECT_NE(At(0, 0), 0u);
    EXPECT_EQ(At(1, 0), 0u);
    EXPECT_EQ(At(3, 0), 0u);
    EXPECT_NE(At(3, 1), 0u);
    i->SetFlipH(true); // mirrored: the pieces swap sides
    i->SetLeft(3);
    DrawAll(0);
    EXPECT_NE(At(3, 0), 0u);
    EXPECT_NE(At(3, 1), 0u);
    EXPECT_NE(At(0, 1), 0u);
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(1, 1), 0u);
    pic->DrawRects.clear();
}

TEST_F(ImageDraw, TwoFramesDropTheOvershootLongerFilmsCarryIt) {
    Files["two.vsk"] = VskBytes({Solid(1, 1, 1, 100), Solid(1, 1, 2, 100)});
    Files["three.vsk"] = VskBytes({Solid(1, 1, 1, 100), Solid(1, 1, 2, 100), Solid(1, 1, 3, 100)});
    FrameDelta = 60;
    TVobeImages* two = Images("two.vsk", 0, 0);
    TVobeImages* three = Images("three.vsk", 0, 0);
    two->Update();
    three->Update();
    EXPECT_EQ(two->GetIndex(), 0);
    two->Update();
    three->Update();
    EXPECT_EQ(two->GetIndex(), 1);
    EXPECT_EQ(two->Remaining, 100);
    EXPECT_EQ(three->GetIndex(), 1);
    EXPECT_EQ(three->Remaining, 80); // 100 - 20 carried over
    for (int n = 0; n < 2; ++n) three->Update();
    EXPECT_EQ(three->GetIndex(), 2);
    EXPECT_EQ(three->Remaining, 60);
    EXPECT_TRUE(three->GetPlaying());
}

TEST_F(ImageDraw, TheEndOfAFilmIsReportedOnceOrScrapsIt) {
    Files["two.vsk"] = VskBytes({Solid(1, 1, 1, 10), Solid(1, 1, 2, 10)});
    FrameDelta = 16;
    TVobeImages* i = Images("two.vsk", 0, 0);
    i->SetOnPlayEnd("end.vsb");
    for (int n = 0; n < 5; ++n) EXPECT_FALSE(i->Update());
    EXPECT_EQ(i->GetIndex(), 1);
    EXPECT_FALSE(i->GetPlaying());
    ASSERT_EQ(S.Events.Count(), 1);
    EXPECT_EQ(S.Events.Items(0)->Kind, PR_ONPLAYEND);
    S.Events.Clear();
    for (int n = 0; n < 3; ++n) i->Update();
    EXPECT_EQ(S.Events.Count(), 0);
    // Repeating films loop; the wait of the last frame is added to it.
    i->SetRepeat(true);
    i->SetIndex(0);
    EXPECT_TRUE(i->GetPlaying());
    i->Update();
    EXPECT_EQ(i->GetIndex(), 1);
    i->Update();
    EXPECT_EQ(i->GetIndex(), 0);
    // AutoScrap asks for deletion at the end.
    TVobeImages* j = Images("two.vsk", 0, 0);
    j->SetAutoScrap(true);
    bool gone = false;
    for (int n = 0; n < 4 && !gone; ++n) gone = j->Update();
    EXPECT_TRUE(gone);
}

TEST_F(ImageDraw, BrightnessOfAnimatedAndStillPictures) {
    Files["g.vsk"] = VskBytes({Solid(2, 2, 0x404040)});
    Files["g2.vsk"] = VskBytes({Solid(2, 2, 0x808080)});
    TVobeImages* i = Images("g.vsk", 0, 0);
    i->SetBrightness(128);
    DrawAll();
    EXPECT_EQ(At(0, 0), 0xC0C0C0u);
    i->SetBrightness(-128);
    DrawAll();
    EXPECT_EQ(At(1, 1), 0u);
    i->SetVisible(false);

    auto* still = New<TVobeImage>();
    still->SetSource("g2.vsk");
    still->SetBrightness(128); // 127 subtracted
    EXPECT_EQ(still->Width, 2);
    DrawAll(0xFFFFFF);
    EXPECT_EQ(At(0, 0), 0x010101u);
    EXPECT_EQ(still->GetCompoType(), ctNone);
}

TEST_F(ImageDraw, UnknownSourcesShowNothing) {
    TVobeImages* i = Images("halves.vsk", 0, 0);
    i->SetSource("readme.txt");
    EXPECT_EQ(i->Width, 0);
    EXPECT_EQ(i->GetIndex(), -1);
    EXPECT_EQ(i->GetCount(), 0);
    DrawAll();
    EXPECT_EQ(At(0, 0), 0x202020u);
    i->SetSource("absent.vsk"); // a missing picture: the transparent square
    EXPECT_EQ(i->Width, 8);
    DrawAll();
    EXPECT_EQ(At(0, 0), 0x202020u);
}

TEST_F(ImageDraw, TilesRepeatScrollAndSpace) {
    auto* t = New<TVobeTile>();
    t->SetSource("halves.vsk");
    t->SetBounds(0, 0, 10, 3);
    EXPECT_EQ(t->Width, 10); // never sized by the picture
    DrawAll();
    const uint32_t R = Px(0x0000FF), B = Px(0xFF0000), G = 0x202020;
    const uint32_t row[] = {R, R, B, B, R, R, B, B, R, R};
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(At(x, 2), row[x]) << x;
    EXPECT_EQ(At(10, 0), G);
    t->SetScrollX(1);
    DrawAll();
    EXPECT_EQ(At(0, 0), R);
    EXPECT_EQ(At(1, 0), B);
    t->SetScrollX(0);
    t->SetDistanceX(6); // a 2-pixel gap after each copy, drawn stretched
    DrawAll();
    const uint32_t spaced[] = {Red, Red, Blue, Blue, G, G, Red, Red, Blue, Blue};
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(At(x, 0), spaced[x]) << x;
    t->SetDistanceX(1); // below half the picture: edge to edge again
    DrawAll();
    EXPECT_EQ(At(4, 0), R);
}

TEST_F(ImageDraw, SavedImagesComeBackAtTheirFrame) {
    Files["three.vsk"] = VskBytes({Solid(1, 1, 1, 100), Solid(2, 1, 2, 100), Solid(3, 1, 3, 100)});
    TVobeImages* i = Images("three.vsk", 4, 5);
    i->SetIndex(2);
    i->SetRepeat(true);
    i->SetBrightness(10);
    TMemoryStream s;
    i->SaveToStream(s);
    s.SetPosition(0);
    auto* j = NewVobeObject<TVobeImages>(&S);
    j->LoadFromStream(s, VobeSaveVersion);
    EXPECT_EQ(s.GetPosition(), s.GetSize());
    EXPECT_EQ(j->GetSource(), "three.vsk");
    EXPECT_EQ(j->GetIndex(), 2);
    EXPECT_EQ(j->Remaining, i->Remaining);
    EXPECT_EQ(j->Width, 3);
    EXPECT_TRUE(j->GetRepeat());
    ASSERT_NE(j->GetImage(), nullptr);
    EXPECT_EQ(j->GetImage()->GetPixel(0, 0), Px(3) + 0x0A0A0Au);
}

} // namespace
} // namespace vobe
