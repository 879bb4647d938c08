// Image maps: the map file and its damaged forms, region shapes, hover pictures inside the hovered
// region only, the map-in/out and select events, keys, and the closing after a selection.
#include <gtest/gtest.h>

#include "archive/stream.h"
#include "components/vobe_map_image.h"
#include "image_test_util.h"
#include "platform/error.h"
#include "platform/keys.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

using test::Px;
using test::Solid;
using test::VskBytes;

// Map files built by their rules: int32 count; per region a name, a shape byte and coordinates.
class TMapBytes {
public:
    TMapBytes& Rect(const std::string& name, uint8_t shape, int32_t l, int32_t t, int32_t r, int32_t b) {
        Name(name);
        WriteByte(FS, shape);
        for (int32_t v : {l, t, r, b}) WriteInt32(FS, v);
        ++FCount;
        return *this;
    }
    TMapBytes& Polygon(const std::string& name, const std::vector<TPoint>& pts) {
        Name(name);
        WriteByte(FS, 2);
        WriteInt32(FS, static_cast<int32_t>(pts.size()));
        for (const TPoint& p : pts) {
            WriteInt32(FS, p.X);
            WriteInt32(FS, p.Y);
        }
        ++FCount;
        return *this;
    }
    std::string Bytes() {
        TMemoryStream out;
        WriteInt32(out, FCount);
        out.WriteBuffer(FS.Memory(), FS.GetSize());
        return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.GetSize()));
    }

private:
    void Name(const std::string& n) { WriteStr(FS, n); }
    TMemoryStream FS;
    int32_t FCount = 0;
};

std::vector<TMapRegion> Read(const std::string& bytes, std::vector<std::string>* names = nullptr) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
    std::vector<TMapRegion> r;
    std::vector<std::string> n;
    ReadMapRegions(s, r, n);
    if (names) *names = n;
    return r;
}

TEST(MapFile, ShapesAndTheirPixels) {
    std::vector<std::string> names;
    auto r = Read(TMapBytes()
                      .Rect("box", 0, 1, 1, 3, 2)
                      .Rect("oval", 1, 0, 0, 9, 5)
                      .Polygon("tri", {{0, 0}, {10, 0}, {0, 10}})
                      .Bytes(),
                  &names);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(names, (std::vector<std::string>{"box", "oval", "tri"}));
    // Rectangles include their right and bottom edges.
    EXPECT_TRUE(r[0].Contains(3, 2));
    EXPECT_FALSE(r[0].Contains(4, 2));
    EXPECT_FALSE(r[0].Contains(0, 1));
    EXPECT_EQ(r[0].BoxRect(), (TRect{1, 1, 4, 3}));
    // The ellipse: the centre and the middle of each side, never the corners.
    EXPECT_TRUE(r[1].Contains(5, 2));
    EXPECT_TRUE(r[1].Contains(0, 2));
    EXPECT_TRUE(r[1].Contains(9, 3));
    EXPECT_FALSE(r[1].Contains(0, 0));
    EXPECT_FALSE(r[1].Contains(9, 5));
    // The polygon by its winding.
    EXPECT_TRUE(r[2].Contains(2, 2));
    EXPECT_FALSE(r[2].Contains(8, 8));
    EXPECT_EQ(r[2].BoxRect(), (TRect{0, 0, 11, 11}));
}

TEST(MapFile, DamagedFilesRaiseNamedErrors) {
    const std::string good = TMapBytes().Rect("a", 0, 0, 0, 1, 1).Polygon("p", {{0, 0}, {1, 1}}).Bytes();
    // Every cut of a good file fails cleanly.
    for (size_t n = 0; n < good.size(); ++n) EXPECT_THROW(Read(good.substr(0, n)), EVobeError) << n;
    std::string huge = good;
    huge[0] = '\x7F'; // a count the file cannot hold
    EXPECT_THROW(Read(huge), EVobeError);
    std::string negative = good;
    negative[3] = '\x80';
    EXPECT_THROW(Read(negative), EVobeError);
    std::string points = TMapBytes().Polygon("p", {{0, 0}}).Bytes();
    points[4 + 4 + 1 + 1 + 3] = '\x40'; // the point count of the polygon
    try {
        Read(points);
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_NE(e.Message().find("polygon"), std::string::npos);
    }
    EXPECT_TRUE(Read(TMapBytes().Bytes()).empty());
}

class MapImage : public test::TImageScene {
protected:
    MapImage() {
        CreateParamCollection();
        // A 12 x 6 grey picture; the hover picture is white; three regions side by side.
        Files["map.vsk"] = VskBytes({Solid(12, 6, 0x404040)});
        Files["hover.vsk"] = VskBytes({Solid(12, 6, 0xFFFFFF)});
        Files["map.map"] = TMapBytes()
                               .Rect("name0", 0, 0, 0, 3, 5)
                               .Rect("name1", 0, 4, 0, 7, 5)
                               .Rect("name2", 0, 8, 0, 11, 5)
                               .Bytes();
        M = New<TVobeMapImage>();
        M->SetSource("map.vsk");
        M->SetHoverSource("hover.vsk");
        M->SetMapSource("map.map");
        M->SetAlpha(255);
        M->SetBounds(10, 10, M->Width, M->Height);
        M->SetOnMapIn("in.vsb");
        M->SetOnMapOut("out.vsb");
        M->SetOnSelect("sel.vsb");
    }
    ~MapImage() override { FreeParamCollection(); }
    void Point(int32_t x, int32_t y) {
        S.Base0->MouseX = x;
        S.Base0->MouseY = y;
        M->MouseMove();
    }
    std::vector<std::string> Queue() {
        std::vector<std::string> q;
        for (int32_t i = 0; i < S.Events.Count(); ++i) {
            const TTimerData* e = S.Events.Items(i);
            std::string line = std::to_string(e->Kind);
            for (const std::string& a : e->Args) line += " " + a;
            q.push_back(line);
        }
        S.Events.Clear();
        return q;
    }
    TVobeMapImage* M = nullptr;
};

TEST_F(MapImage, HoverEventsCarryTheRegion) {
    EXPECT_EQ(M->Width, 12);
    EXPECT_EQ(M->Height, 6);
    ASSERT_EQ(M->Regions.size(), 3u);
    Point(19, 12);
    EXPECT_EQ(M->Hovered, 2);
    EXPECT_EQ(Queue(), (std::vector<std::string>{"104 name2 2"}));
    Point(30, 12); // outside every region: only the map-out
    EXPECT_EQ(M->Hovered, -1);
    EXPECT_EQ(Queue(), (std::vector<std::string>{"105 name2 2"}));
    Point(10, 10);
    Point(14, 10); // a map-in still queued keeps the next one out
    EXPECT_EQ(Queue(), (std::vector<std::string>{"104 name0 0", "105 name0 0"}));
    EXPECT_EQ(M->Hovered, 1);
    Point(15, 10); // the same region: nothing
    EXPECT_TRUE(Queue().empty());
    Point(10, 10);
    Queue();
    Point(14, 10);
    EXPECT_EQ(Queue(), (std::vector<std::string>{"105 name0 0", "104 name1 1"}));
    M->MouseOut(nullptr);
    EXPECT_EQ(M->Hovered, -1);
    EXPECT_EQ(Queue(), (std::vector<std::string>{"105 name1 1"}));
}

TEST_F(MapImage, TheHoverPictureShowsInsideTheHoveredRegionOnly) {
    DrawAll(0);
    EXPECT_EQ(At(10, 10), 0x404040u);
    EXPECT_EQ(At(21, 15), 0x404040u);
    Point(15, 12);
    DrawAll(0);
    EXPECT_EQ(At(13, 12), 0x404040u);
    EXPECT_EQ(At(14, 12), 0xFFFFFFu);
    EXPECT_EQ(At(17, 15), 0xFFFFFFu);
    EXPECT_EQ(At(18, 15), 0x404040u);
    M->SetBrightness(-64); // both pictures darken
    DrawAll(0);
    EXPECT_EQ(At(14, 12), 0xBFBFBFu);
    EXPECT_EQ(At(10, 12), 0x000000u);
}

TEST_F(MapImage, SelectingWithAutoScrapClosesTwoFramesLater) {
    M->SetAutoScrap(true);
    Point(15, 12);
    Queue();
    M->MouseLeftDown();
    EXPECT_EQ(ParamCollection->SelStr, "name1");
    EXPECT_EQ(ParamCollection->SelIndex, 1);
    EXPECT_EQ(Queue(), (std::vector<std::string>{"72 name1 1"}));
    EXPECT_TRUE(M->IsSuspended()); // input is ignored from now on
    Point(19, 12);
    EXPECT_EQ(M->Hovered, 1);
    EXPECT_TRUE(Queue().empty());
    EXPECT_FALSE(M->Update());
    EXPECT_TRUE(M->Update());
}

TEST_F(MapImage, KeysWalkTheRegionsAndEscapeCancels) {
    M->SetHandleKey(true);
    S.SetFocus(M);
    auto press = [&](int32_t vk) {
        S.SetKeyState(vk, true);
        S.SetKeyPressed(vk);
        S.ProcessInput();
        S.SetKeyState(vk, false);
        S.ProcessInput();
    };
    press(VK_UP); // from none to the last
    EXPECT_EQ(M->Hovered, 2);
    press(VK_RIGHT); // from the last to the first
    EXPECT_EQ(M->Hovered, 0);
    press(VK_DOWN);
    EXPECT_EQ(M->Hovered, 1);
    Queue();
    press(VK_RETURN);
    EXPECT_EQ(ParamCollection->SelStr, "name1");
    EXPECT_FALSE(M->IsSuspended()); // no AutoScrap
    press(VK_ESCAPE);
    EXPECT_FALSE(M->IsSuspended()); // no RightClickScrap
    M->SetRClickScrap(true);
    press(VK_ESCAPE);
    EXPECT_TRUE(M->IsSuspended());
    EXPECT_EQ(ParamCollection->SelStr, "");
    EXPECT_EQ(ParamCollection->SelIndex, -1);
}

TEST_F(MapImage, MissingOrDamagedMapsHaveNoRegions) {
    M->SetMapSource("none.map");
    EXPECT_TRUE(M->Regions.empty());
    Files["bad.map"] = std::string("\x05\x00\x00\x00", 4);
    EXPECT_THROW(M->SetMapSource("bad.map"), EVobeError);
    EXPECT_TRUE(M->Regions.empty());
    EXPECT_EQ(M->Hovered, -1);
}

TEST_F(MapImage, RightClickCancelsUnlessTheMouseIsIgnored) {
    M->SetIgnoreMouse(4);
    EXPECT_FALSE(M->CancelByRightClick());
    M->SetIgnoreMouse(0);
    EXPECT_TRUE(M->CancelByRightClick());
    EXPECT_TRUE(M->IsSuspended());
    EXPECT_FALSE(M->CancelByRightClick()); // already closing
    EXPECT_TRUE(S.RightClickList.Contains(M));
}

} // namespace
} // namespace vobe
