// The picture cache: one load per request kind, missing and damaged files, spare items and their
// eviction, offsets of trimmed frames, reloading in place, and frame brightness.
#include <gtest/gtest.h>

#include "components/vask_man.h"
#include "image_test_util.h"

namespace vobe {
namespace {

using test::Px;
using test::Solid;
using test::VskBytes;

class PictureCache : public test::TImageScene {};

TEST_F(PictureCache, SharesOneItemPerRequestKind) {
    Files["a.vsk"] = VskBytes({Solid(3, 2, 0x0000FF, 40), Solid(3, 2, 0x00FF00, 0)});
    int h1, h2;
    TVaskItem* a = Cache.Acquire(&h1, "a.vsk", false, false);
    TVaskItem* b = Cache.Acquire(&h2, "A.VSK", false, false); // names ignore case
    TVaskItem* m = Cache.Acquire(&h1, "a.vsk", false, true);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, m);
    EXPECT_EQ(m->GetName(), "a.vsk?m");
    ASSERT_EQ(a->FrameCount(), 2);
    EXPECT_EQ(a->Width, 3);
    EXPECT_EQ(a->Height, 2);
    EXPECT_EQ(a->Frame(0)->Duration, 40);
    EXPECT_EQ(a->Frame(1)->Duration, 1); // a delay of 0 lasts 1 ms
    EXPECT_EQ(a->TotalDuration, 41);
    EXPECT_EQ(a->Frame(0)->Picture->BitCount(), 32);
    EXPECT_EQ(a->Frame(0)->Picture->GetPixel(2, 1), Px(0x0000FF));
    EXPECT_EQ(a->Frame(0)->Mask, nullptr);
    // Masks asked for on an opaque picture without key: fully opaque.
    ASSERT_NE(m->Frame(0)->Mask, nullptr);
    EXPECT_EQ(m->Frame(0)->Mask->GetPixel(1, 1), 255u);
    EXPECT_EQ(m->Frame(0)->MemorySize(), 3 * 2 * 4 + 3 * 2);

    Cache.Release(a, &h1);
    EXPECT_TRUE(Cache.Spare.empty()); // still held by h2
    Cache.Release(b, &h2);
    ASSERT_EQ(Cache.Spare.size(), 1u);
    EXPECT_EQ(Cache.Acquire(&h1, "a.vsk", false, false), a); // taken back from the spare list
    EXPECT_TRUE(Cache.Spare.empty());
}

TEST_F(PictureCache, MissingAndDamagedFilesShowATransparentSquare) {
    Files["bad.vsk"] = "Vask106 and then nothing";
    int h;
    for (const char* name : {"none.vsk", "bad.vsk"}) {
        for (bool masks : {false, true}) {
            TVaskItem* i = Cache.Acquire(&h, name, false, masks);
            ASSERT_EQ(i->FrameCount(), 1) << name;
            const TVaskItemFrame& f = *i->Frame(0);
            EXPECT_EQ(i->Width, 8);
            EXPECT_EQ(i->Height, 8);
            EXPECT_EQ(f.Key, 0);
            EXPECT_EQ(f.Picture->TransparentColor, 0);
            EXPECT_EQ(f.Picture->GetPixel(7, 7), 0u);
            if (masks) {
                ASSERT_NE(f.Mask, nullptr);
                EXPECT_EQ(f.Mask->GetPixel(3, 3), 0u);
            } else {
                EXPECT_EQ(f.Mask, nullptr);
            }
        }
    }
}

TEST_F(PictureCache, SpareItemsAreEvictedOldestFirstAboveTheLimit) {
    // 1000 x 1000 at 32 bits: 4,000,000 bytes each; the limit holds one, never two.
    for (const char* n : {"p1.vsk", "p2.vsk", "p3.vsk"}) Files[n] = VskBytes({Solid(1000, 1000, 0x112233)});
    Files["small.vsk"] = VskBytes({Solid(10, 10, 0x112233)});
    int h;
    TVaskItem* p1 = Cache.Acquire(&h, "p1.vsk", false, false);
    TVaskItem* p2 = Cache.Acquire(&h, "p2.vsk", false, false);
    TVaskItem* small = Cache.Acquire(&h, "small.vsk", false, false);
    Cache.Release(small, &h);
    Cache.Release(p1, &h);
    EXPECT_EQ(Cache.Count(), 3);
    EXPECT_EQ(Cache.SpareSize(), 4000000 + 400);
    Cache.Release(p2, &h); // 8,000,400 spare: the oldest go until one big picture is left
    EXPECT_EQ(Cache.Count(), 1);
    ASSERT_EQ(Cache.Spare.size(), 1u);
    EXPECT_EQ(Cache.Spare[0], p2);
    // The newest spare item stays even alone above the limit.
    TVaskItem* p3 = Cache.Acquire(&h, "p3.vsk", false, false);
    Cache.Release(p3, &h);
    EXPECT_EQ(Cache.Count(), 1);
    EXPECT_EQ(Cache.Find("p3.vsk"), p3);

    // Purge frees spare items of every request kind, never held ones.
    TVaskItem* held = Cache.Acquire(&h, "small.vsk", false, true);
    Cache.Purge("p3.vsk");
    Cache.Purge("small.vsk");
    EXPECT_EQ(Cache.Find("p3.vsk"), nullptr);
    EXPECT_EQ(Cache.Find("small.vsk?m"), held);
}

TEST_F(PictureCache, OffsetsAndMasksOfTrimmedFrames) {
    test::TFrameSpec f = Solid(6, 5, 0x00FF00);
    f.Mask = [](int32_t x, int32_t y) { return x >= 2 && x < 4 && y >= 1 && y < 4 ? 200 : 0; };
    Files["t.vsk"] = VskBytes({f});
    int h;
    TVaskItem* t = Cache.Acquire(&h, "t.vsk", true, false);
    EXPECT_EQ(t->GetName(), "t.vsk?t");
    const TVaskItemFrame& fr = *t->Frame(0);
    EXPECT_EQ(fr.OffsetX, 2);
    EXPECT_EQ(fr.OffsetY, 1);
    EXPECT_EQ(t->Width, 2);
    EXPECT_EQ(t->Height, 3);
    ASSERT_NE(fr.Mask, nullptr); // the frame's own mask comes along without asking
    EXPECT_EQ(fr.Mask->GetPixel(0, 0), 200u);
    TVaskItem* plain = Cache.Acquire(&h, "t.vsk", false, false);
    EXPECT_EQ(plain->Width, 6);
    EXPECT_EQ(plain->Frame(0)->OffsetX, 0);
}

TEST_F(PictureCache, ReloadsKeepTheFramesComponentsHold) {
    Files["r.vsk"] = VskBytes({Solid(4, 4, 0x0000FF)});
    int h;
    TVaskItem* r = Cache.Acquire(&h, "r.vsk", false, false);
    TVaskItemFrame* frame = r->Frame(0);
    TDIBX* picture = frame->Picture.get();
    Cache.ReleaseSurfaces();
    EXPECT_TRUE(picture->IsEmpty());
    Cache.RestoreSurfaces();
    EXPECT_EQ(r->Frame(0), frame);
    EXPECT_EQ(frame->Picture.get(), picture);
    EXPECT_EQ(picture->GetPixel(3, 3), Px(0x0000FF));
    Cache.SetDither(true);
    EXPECT_EQ(frame->Picture.get(), picture);
    EXPECT_EQ(picture->GetPixel(0, 0), Px(0x0000FF)); // the pixels stay as they were

    // The status record keeps the switch from version 101 on.
    TMemoryStream s;
    Cache.SaveToStream(s);
    TVaskCollection other;
    s.SetPosition(0);
    other.LoadFromStream(s, 100);
    EXPECT_FALSE(other.Dither);
    s.SetPosition(0);
    other.LoadFromStream(s, 103);
    EXPECT_TRUE(other.Dither);
}

TEST_F(PictureCache, BrightnessAddsOrSubtractsGreyAndMovesTheKey) {
    TVaskItemFrame shared;
    shared.Picture->SetSize(2, 1, 32);
    shared.Picture->SetPixel(0, 0, 0x405060);
    shared.Picture->SetPixel(1, 0, 0xF0F0F0);
    shared.Picture->TransparentColor = 0xF0F0F0;
    TVobeImageData d(&shared);
    EXPECT_EQ(d.GetPicture(), shared.Picture.get());
    d.SetBrightness(128);
    EXPECT_EQ(d.GetPicture()->GetPixel(0, 0), 0xC0D0E0u);
    EXPECT_EQ(d.GetPicture()->GetPixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(d.GetPicture()->TransparentColor, 0xFFFFFF);
    d.SetBrightness(-128);
    EXPECT_EQ(d.GetPicture()->GetPixel(0, 0), 0x000000u);
    EXPECT_EQ(d.GetPicture()->GetPixel(1, 0), 0x707070u);
    EXPECT_EQ(d.GetPicture()->TransparentColor, 0x707070);
    d.SetBrightness(0);
    EXPECT_EQ(d.GetPicture(), shared.Picture.get());
    EXPECT_EQ(shared.Picture->GetPixel(0, 0), 0x405060u); // the shared picture is never touched
}

TEST_F(PictureCache, FrameListsStepThroughTheirFrames) {
    Files["f.vsk"] = VskBytes({Solid(1, 1, 1, 30), Solid(1, 1, 2, 50), Solid(1, 1, 3, 20)});
    int h;
    TVobeImageList l;
    l.Load(&h, "f.vsk", false);
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Remaining, 30);
    EXPECT_FALSE(l.Advance(29));
    EXPECT_TRUE(l.Advance(1));
    EXPECT_EQ(l.Current, 1);
    EXPECT_TRUE(l.Advance(75)); // through frame 2 and back to 0
    EXPECT_EQ(l.Current, 0);
    EXPECT_EQ(l.Remaining, 25);
    EXPECT_FALSE(l.Advance(100 * 1000)); // a long pause walks whole loops at once
    TVaskItem* item = l.Item;
    l.Clear();
    EXPECT_EQ(Cache.Spare.size(), 1u);
    EXPECT_EQ(Cache.Spare[0], item);
}

} // namespace
} // namespace vobe
