// Windows side of the platform functions, run under Wine: files, registry, post data.
#include <gtest/gtest.h>

#include "app/platform_win.h"

using namespace tessel;

TEST(Placeholder, Builds) { SUCCEED(); }
