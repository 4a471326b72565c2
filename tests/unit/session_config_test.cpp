#include <gtest/gtest.h>

#include "delivery/session_config.h"

using namespace tessel;

TEST(SessionConfig, GoesAsOneConfigurationLine) {
    EXPECT_EQ(SessionConfig(u"SID=a1; VIEW=v42"), "header = \"Cookie: SID=a1; VIEW=v42\"\n");
    // Quotes and backslashes stay inside the value; a line break cannot start another option.
    EXPECT_EQ(SessionConfig(u"q=\"x\\y\"\r\nurl = http://evil/"),
              "header = \"Cookie: q=\\\"x\\\\y\\\"url = http://evil/\"\n");
    EXPECT_EQ(SessionConfig(u"  "), "");
    EXPECT_EQ(SessionConfig(WideView(u"a=1\0b=2", 7)), "header = \"Cookie: a=1\"\n");
}
