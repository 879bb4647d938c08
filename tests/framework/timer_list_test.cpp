#include "framework/timer_list.h"

#include <gtest/gtest.h>

#include "archive/stream.h"
#include "framework/vobe_base_list.h"

namespace vobe {
namespace {

std::vector<std::string> Handlers(const TTimerList& list) {
    std::vector<std::string> v;
    for (int32_t i = 0; i < list.Count(); ++i) v.push_back(list.Items(i)->Handler);
    return v;
}

TEST(TimerList, QueueOperations) {
    TVobeBaseList scene;
    TVobeComponent* a = NewVobeObject<TVobeComponent>(&scene);
    TVobeComponent* b = NewVobeObject<TVobeComponent>(&scene);
    TTimerList& q = scene.Events;
    q.Post(a, "a34", {"1", "2"}, 34);
    q.Post(b, "b34", {}, 34);
    q.Post(a, "a36", {}, 36)->State = 2;
    q.Post(a, "a34bis", {}, 34)->State = 1;
    EXPECT_EQ(q.FindQueued(a, 34), 0);
    EXPECT_EQ(q.FindQueued(a, 36), 2); // whatever its state
    EXPECT_EQ(q.FindQueued(b, 36), -1);
    EXPECT_EQ(q.Items(0)->Args, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(q.Items(4), nullptr);
    q.Items(0)->State = 5;
    EXPECT_EQ(q.NextPending()->Handler, "b34");

    q.RemoveForSender(a); // only the pending ones: none of a's is pending now
    EXPECT_EQ(q.Count(), 4);
    q.Post(a, "a40", {}, 40);
    q.RemoveForSender(a);
    EXPECT_EQ(Handlers(q), (std::vector<std::string>{"a34", "b34", "a36", "a34bis"}));
    q.RemoveWithState(2);
    EXPECT_EQ(Handlers(q), (std::vector<std::string>{"a34", "b34", "a34bis"}));
    q.RemoveStarted();
    EXPECT_EQ(Handlers(q), (std::vector<std::string>{"b34"}));
    q.Items(0)->State = 1;
    q.Post(b, "again", {}, 34);
    q.ForgetSender(b); // a freed sender: pending entries go, started ones run on without it
    ASSERT_EQ(q.Count(), 1);
    EXPECT_EQ(q.Items(0)->Sender, nullptr);
    EXPECT_EQ(q.NextPending(), nullptr);
}

TEST(TimerList, OldStatesAreOneByte) {
    TVobeBaseList scene;
    TVobeComponent* a = NewVobeObject<TVobeComponent>(&scene);
    a->SetName("a");
    TTimerList& q = scene.Events;
    q.Post(a, "h", {"x"}, 33)->State = 7;
    q.Post(nullptr, "n", {}, 33);
    TMemoryStream s;
    q.SaveToStream(s);
    // Handler, sender name, kind, state (int32 now), arguments.
    const std::vector<uint8_t> expected = {2,   0, 0, 0, 1, 0,  0, 0, 'h', 1, 0, 0,   0, 'a', 33, 7,
                                           0,   0, 0, 1, 0, 0,  0, 1, 0,   0, 0, 'x', 1, 0,   0,  0,
                                           'n', 0, 0, 0, 0, 33, 0, 0, 0,   0, 0, 0,   0, 0};
    EXPECT_EQ(s.Bytes(), expected);
    s.SetPosition(0);
    q.LoadFromStream(s, 114);
    EXPECT_EQ(q.Items(0)->Sender, a);
    EXPECT_EQ(q.Items(0)->State, 7);
    EXPECT_EQ(q.Items(1)->Sender, nullptr); // "" is no sender (not the front base)

    const std::vector<uint8_t> old = {1, 0, 0, 0, 1, 0, 0, 0, 'h', 1, 0, 0, 0, 'a', 33, 9, 0, 0, 0, 0};
    TReadOnlyMemoryStream in(old.data(), static_cast<int64_t>(old.size()));
    q.LoadFromStream(in, 113);
    ASSERT_EQ(q.Count(), 1);
    EXPECT_EQ(q.Items(0)->State, 1);
    EXPECT_EQ(in.Remaining(), 0);
}

} // namespace
} // namespace vobe
