#include "platform/Listeners.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

TEST(Listeners, EveryFollowerHearsInTheOrderItCameAndOneThatLeftHearsNothing)
{
    TListeners<void(int)> reports;
    std::vector<std::string> heard;
    TSubscription first = reports.Subscribe([&](int n) { heard.push_back("first " + std::to_string(n)); });
    TSubscription second = reports.Subscribe([&](int n) { heard.push_back("second " + std::to_string(n)); });
    reports(1);
    first.Unsubscribe();
    reports(2);
    {
        TSubscription passing = reports.Subscribe([&](int) { heard.push_back("passing"); });
    }
    reports(3);
    EXPECT_EQ(heard, (std::vector<std::string>{"first 1", "second 1", "second 2", "second 3"}));
    EXPECT_EQ(reports.Count(), 1u);
}

TEST(Listeners, TheListMayChangeWhileAReportGoesRound)
{
    TListeners<void()> reports;
    std::vector<std::string> heard;
    std::optional<TSubscription> later;
    TSubscription third;
    TSubscription first = reports.Subscribe([&] {
        heard.push_back("first");
        // Leaving, taking the third with it, and bringing a new one: none of that mid-round.
        first.Unsubscribe();
        third.Unsubscribe();
        later = reports.Subscribe([&] { heard.push_back("later"); });
    });
    TSubscription second = reports.Subscribe([&] { heard.push_back("second"); });
    third = reports.Subscribe([&] { heard.push_back("third"); });
    reports();
    reports();
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second", "second", "later"}));

    // A subscription may outlive its list.
    auto gone = std::make_unique<TListeners<void()>>();
    TSubscription orphan = gone->Subscribe([] {});
    gone.reset();
    orphan.Unsubscribe();
}
