#include <gtest/gtest.h>

#include <climits>

#include "graphics/IGraphicsTypes.h"
#include "graphics/IPopupMenu.h"

TEST(IRECT, ContainsIntersectsIntersectionUnion)
{
  const IRECT empty;
  struct Case
  {
    IRECT a, b;
    bool intersects;
    IRECT intersection, unionRect;
  };
  const Case cases[] = {
      {{10, 10, 20, 20}, {30, 5, 40, 15}, false, {}, {10, 5, 40, 20}},
      {{0, 0, 10, 10}, {5, 5, 15, 15}, true, {5, 5, 10, 10}, {0, 0, 15, 15}},
      // Right and bottom edges touch: they intersect, in an empty-width strip.
      {{0, 0, 10, 10}, {10, 10, 20, 20}, true, {10, 10, 10, 10}, {0, 0, 20, 20}},
      // Left edge of a on the right edge of b does not count (left < other.right fails).
      {{10, 0, 20, 10}, {0, 0, 10, 10}, false, {}, {0, 0, 20, 10}},
      {empty, {1, 2, 3, 4}, false, {}, {1, 2, 3, 4}},
      {{1, 2, 3, 4}, empty, false, {}, {1, 2, 3, 4}},
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
       {-5, -5, 5, 5},
       true,
       {-5, -5, 5, 5},
       {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a.left << "," << c.a.top << " / " << c.b.left << "," << c.b.top);
    EXPECT_EQ(c.a.Intersects(c.b), c.intersects);
    EXPECT_EQ(c.a.Intersection(c.b), c.intersection);
    EXPECT_EQ(c.a.Union(c.b), c.unionRect);
  }

  const IRECT r(10, 20, 30, 60);
  EXPECT_EQ(r.Width(), 20);
  EXPECT_EQ(r.Height(), 40);
  EXPECT_FLOAT_EQ(r.CenterX(), 20.0f);
  EXPECT_FLOAT_EQ(IRECT(0, 0, 5, 5).CenterY(), 2.5f);
  const struct
  {
    int x, y;
    bool in;
  } points[] = {{10, 20, true}, {29, 59, true}, {30, 20, false}, {10, 60, false}, {9, 30, false}};
  for (const auto& p : points) EXPECT_EQ(r.Contains(p.x, p.y), p.in) << p.x << "," << p.y;
  EXPECT_FALSE(empty.Contains(0, 0));
  // Extreme coordinates neither overflow nor trap.
  const IRECT huge(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(huge.Width(), -1); // 2^32 - 1 wraps to -1 in 32 bits
  EXPECT_FLOAT_EQ(huge.CenterX(), 0.0f);
}

TEST(IColor, PixelWordKeepsLowBytesInPlace)
{
  EXPECT_EQ(COLOR_ORANGE.ToPixelWord(), 0x007FFFFFu);
  EXPECT_EQ(IColor(0x1FF, 0x102, 0x03, 0x04).ToPixelWord(), 0x040302FFu);
  EXPECT_EQ(IColor::FromPixelWord(0x040302FFu), IColor(255, 2, 3, 4));
  EXPECT_EQ(IText(12, nullptr, "A face name much longer than the thirty-one characters kept").mFace[31], '\0');
}

TEST(IPopupMenu, InsertPositionsPrefixesAndChecks)
{
  IPopupMenu menu;
  menu.AddItem("b");
  menu.AddItem("c");
  menu.AddItem("d");
  const struct
  {
    int index;
    const char* text;
    int expectAt;
  } inserts[] = {{99, "end", 3}, {-5, "first", 0}, {-1, "appended", 5}, {2, "mid", 2}};
  for (const auto& ins : inserts) {
    menu.AddItem(ins.text, ins.index);
    EXPECT_STREQ(menu.GetItemText(ins.expectAt), ins.text) << ins.index;
  }
  EXPECT_EQ(menu.GetNItems(), 7);
  IPopupMenuItem* sep = menu.AddSeparator(0);
  EXPECT_TRUE(sep->GetIsSeparator());
  EXPECT_STREQ(menu.GetItemText(0), "");
  EXPECT_EQ(menu.AddItem(static_cast<IPopupMenuItem*>(nullptr)), nullptr);

  for (int p : {4, -1, 100}) menu.SetPrefix(p);
  EXPECT_EQ(menu.GetPrefix(), 0);
  menu.SetPrefix(2);
  menu.SetPrefix(4);
  EXPECT_EQ(menu.GetPrefix(), 2);
  IPopupMenu ten;
  for (int i = 0; i < 10; ++i) ten.AddItem("x");
  const struct
  {
    int prefix, index;
    const char* title;
  } titles[] = {{2, 0, "01: x"}, {2, 9, "10: x"}, {1, 9, "10: x"}, {3, 0, "001: x"}, {0, 4, "x"}, {2, 10, ""}};
  for (const auto& t : titles) {
    ten.SetPrefix(t.prefix);
    EXPECT_STREQ(ten.GetItemTitle(t.index).Get(), t.title) << t.prefix << "/" << t.index;
  }

  IPopupMenu three;
  for (const char* t : {"a", "b", "c"}) three.AddItem(t, -1, IPopupMenuItem::kItemChecked);
  three.CheckItemAlone(1);
  EXPECT_FALSE(three.IsItemChecked(0));
  EXPECT_TRUE(three.IsItemChecked(1));
  EXPECT_FALSE(three.IsItemChecked(2));
  three.CheckItemAlone(7);
  EXPECT_FALSE(three.IsItemChecked(1));
  EXPECT_FALSE(three.CheckItem(3, true));
  EXPECT_FALSE(three.CheckItem(-1, true));
  EXPECT_FALSE(three.IsItemChecked(-1));
  EXPECT_TRUE(three.CheckItem(2, true));
  EXPECT_TRUE(three.IsItemChecked(2));
  EXPECT_EQ(three.GetItem(3), nullptr);
  EXPECT_STREQ(three.GetItemText(3), "");

  // A submenu is not deleted with the item that points to it (ASan would report the double delete).
  IPopupMenu sub;
  sub.AddItem("inner");
  {
    IPopupMenu outer;
    outer.AddItem("sub", &sub);
    EXPECT_EQ(outer.GetItem(0)->GetSubmenu(), &sub);
  }
  EXPECT_EQ(sub.GetNItems(), 1);
}
