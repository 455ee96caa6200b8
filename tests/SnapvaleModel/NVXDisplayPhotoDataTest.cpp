#include "NVXDisplayPhotoData.h"
#include "NotificationCenter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Records every "Change_Check" with the record that posted it.
struct CheckSpy {
    CheckSpy()
    {
        NotificationCenter::defaultCenter().addObserver(this, NVXDisplayPhotoData::kChangeCheck, nullptr,
                                                        [this](const Notification &n) { senders.push_back(n.object); });
    }
    ~CheckSpy() { NotificationCenter::defaultCenter().removeObserver(this); }
    std::vector<const void *> senders;
};

TEST(NVXDisplayPhotoData, EverySetAfterConstructionPostsChangeCheck)
{
    CheckSpy spy;
    NVXDisplayPhotoData row(true);
    EXPECT_TRUE(row.isChecked());
    EXPECT_TRUE(spy.senders.empty()) << "construction must not post";

    row.setIsChecked(true); // same value: posts all the same
    row.setIsChecked(false);
    EXPECT_FALSE(row.isChecked());
    EXPECT_EQ(spy.senders, (std::vector<const void *>{&row, &row}));
}

TEST(NVXDisplayPhotoData, DestroyedRowLeavesNothingBehind)
{
    CheckSpy spy;
    const std::size_t before = NotificationCenter::defaultCenter().observerCount();
    auto old = std::make_unique<NVXDisplayPhotoData>(false);
    old->setIsChecked(true);
    old.reset();
    EXPECT_EQ(NotificationCenter::defaultCenter().observerCount(), before);

    NVXDisplayPhotoData fresh(false);
    spy.senders.clear();
    fresh.setIsChecked(true);
    EXPECT_EQ(spy.senders, (std::vector<const void *>{&fresh}));
}

} // namespace
