#include <gtest/gtest.h>

#include "platform/SetPath.h"

namespace vorn {
namespace {

TEST(ResolveSetPath, RelativePathsAreTakenFromTheSettingsFolder) {
  EXPECT_EQ(ResolveSetPath("NET.BRD", "/home/u/vorn/"), "/home/u/vorn/NET.BRD");
  EXPECT_EQ(ResolveSetPath("NET.BRD", "/home/u/vorn"), "/home/u/vorn/NET.BRD");
  EXPECT_EQ(ResolveSetPath("../", "/home/u/vorn/settings/"), "/home/u/vorn/settings/../");
  EXPECT_EQ(ResolveSetPath("/var/log/NET.BRD", "/home/u/vorn/"), "/var/log/NET.BRD");
  EXPECT_EQ(ResolveSetPath("C:\\VORN\\NET.BRD", "/home/u/vorn/"), "C:\\VORN\\NET.BRD");
  EXPECT_EQ(ResolveSetPath("\\\\server\\NET.BRD", "/home/u/vorn/"), "\\\\server\\NET.BRD");
  // No file stays no file.
  EXPECT_EQ(ResolveSetPath("", "/home/u/vorn/"), "");
  EXPECT_EQ(ResolveSetPath("", ""), "");
}

}  // namespace
}  // namespace vorn
