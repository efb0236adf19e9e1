#include <windows.h>

#include <gtest/gtest.h>

TEST(Pages, Placeholder) {}
