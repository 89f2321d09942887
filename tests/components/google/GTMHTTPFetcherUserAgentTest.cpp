#include "components/google/GTMHTTPFetcherUserAgent.h"

#include <gtest/gtest.h>
#include <regex>

TEST(UserAgent, CleanTokens) {
    struct Case {
        std::optional<std::string> in;
        std::optional<std::string> out;
    };
    for (const Case& c : std::vector<Case>{{std::nullopt, std::nullopt},
                                           {"My App, v2", "My_App__v2"},
                                           {"a(b)<c>@d;e:f/g[h]i?j=k{l}m\\n\"o", "abcdefghijklmno"},
                                           {"tab\there\nnew", "tabherenew"},
                                           {"", ""}}) {
        EXPECT_EQ(google::GTMCleanUserAgentToken(c.in), c.out) << c.in.value_or("(none)");
    }
}

TEST(UserAgent, DeviceAndApplication) {
    EXPECT_TRUE(std::regex_match(google::GTMDeviceUserAgentString(), std::regex(R"([^ /]+/[^ ]+ hw/[^ ]+)")))
        << google::GTMDeviceUserAgentString();
    foundation::Bundle empty("/nonexistent-bundle-folder");
    std::string agent = google::GTMApplicationUserAgentID(&empty);
    EXPECT_EQ(agent.rfind("proc_", 0), 0u) << agent;
    EXPECT_EQ(agent.find_first_of(" ,/"), std::string::npos) << agent;
}
