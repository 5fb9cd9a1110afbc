#include <gtest/gtest.h>

#include "app/Startup.h"

namespace brennic {
namespace {

TEST(Startup, IdentityComesFromTheExecutable) {
    AppState state;
    ASSERT_TRUE(PrepareState(state, {}));
    EXPECT_EQ(state.identity.name, "brennic_ui_tests");
    EXPECT_FALSE(state.identity.folder.empty());
    EXPECT_EQ(state.glycol.count, 6);
}

}  // namespace
}  // namespace brennic
