// How the main window is set up from the form's description.
#include "platform/win32/form_look.h"

#include <gtest/gtest.h>

#include <string>

#include "assets/form_description.h"

namespace carpex::win32 {
namespace {

TEST(FormColor, SystemColoursByNameAndByNumber) {
  FormColor c;
  ASSERT_TRUE(ParseFormColor("clBtnFace", &c));
  EXPECT_EQ(c.SystemIndex, 15);
  ASSERT_TRUE(ParseFormColor("clWindowText", &c));
  EXPECT_EQ(c.SystemIndex, 8);
  // A set top bit marks a system colour, written in hex or as a negative number.
  ASSERT_TRUE(ParseFormColor("$8000000F", &c));
  EXPECT_EQ(c.SystemIndex, 15);
  ASSERT_TRUE(ParseFormColor("-2147483640", &c));
  EXPECT_EQ(c.SystemIndex, 8);
}

TEST(FormColor, PlainColoursAreBlueGreenRed) {
  FormColor c;
  ASSERT_TRUE(ParseFormColor("clRed", &c));
  EXPECT_EQ(c.SystemIndex, -1);
  EXPECT_EQ(c.Rgb, 0x0000FFu);
  ASSERT_TRUE(ParseFormColor("$00FF8000", &c));
  EXPECT_EQ(c.SystemIndex, -1);
  EXPECT_EQ(c.Rgb, 0xFF8000u);
}

TEST(FormColor, UnknownNamesLeaveTheColourAlone) {
  FormColor c{15, 0};
  EXPECT_FALSE(ParseFormColor("clNoSuchColour", &c));
  EXPECT_FALSE(ParseFormColor("$", &c));
  EXPECT_FALSE(ParseFormColor("12x", &c));
  EXPECT_FALSE(ParseFormColor("", &c));
  EXPECT_EQ(c.SystemIndex, 15);
}

TEST(FontCharset, NamesNumbersAndRange) {
  uint8_t charset = 0;
  ASSERT_TRUE(ParseFontCharset("DEFAULT_CHARSET", &charset));
  EXPECT_EQ(charset, 1);
  ASSERT_TRUE(ParseFontCharset("GB2312_CHARSET", &charset));
  EXPECT_EQ(charset, 134);
  ASSERT_TRUE(ParseFontCharset("0", &charset));
  EXPECT_EQ(charset, 0);
  EXPECT_FALSE(ParseFontCharset("256", &charset));
  EXPECT_FALSE(ParseFontCharset("KLINGON_CHARSET", &charset));
  EXPECT_EQ(charset, 0);
}

TEST(FormLook, TheGamesOwnDescription) {
  const std::string text =
      "object Form1: TForm1\n"
      "  Left = 403\n"
      "  Top = 213\n"
      "  BorderStyle = bsNone\n"
      "  Caption = 'Form1'\n"
      "  ClientHeight = 368\n"
      "  ClientWidth = 559\n"
      "  Color = clBtnFace\n"
      "  Font.Charset = DEFAULT_CHARSET\n"
      "  Font.Color = clWindowText\n"
      "  Font.Height = -11\n"
      "  Font.Name = 'MS Sans Serif'\n"
      "  Font.Style = []\n"
      "end\n";
  FormDescription form;
  std::string error;
  ASSERT_TRUE(ParseFormDescription(text.data(), text.size(), &form, &error)) << error;
  // Defaults that differ everywhere, so that each value must come from the text.
  FormLook defaults;
  defaults.Left = defaults.Top = defaults.ClientWidth = defaults.ClientHeight = 1;
  defaults.Caption = defaults.FontName = "x";
  defaults.Color = defaults.FontColor = FormColor{-1, 0x123456};
  defaults.FontHeight = 99;
  defaults.FontCharset = 200;
  const FormLook look = FormLookFrom(form, defaults);
  EXPECT_EQ(look.Left, 403);
  EXPECT_EQ(look.Top, 213);
  EXPECT_EQ(look.ClientWidth, 559);
  EXPECT_EQ(look.ClientHeight, 368);
  EXPECT_EQ(look.Caption, "Form1");
  EXPECT_EQ(look.Color.SystemIndex, 15);
  EXPECT_EQ(look.FontColor.SystemIndex, 8);
  EXPECT_EQ(look.FontHeight, -11);
  EXPECT_EQ(look.FontName, "MS Sans Serif");
  EXPECT_EQ(look.FontCharset, 1);
}

TEST(FormLook, WhatTheDescriptionLeavesOutKeepsTheDefault) {
  const std::string text = "object Form1: TForm1\n  Left = 5\n  Color = clBogus\nend\n";
  FormDescription form;
  ASSERT_TRUE(ParseFormDescription(text.data(), text.size(), &form, nullptr));
  const FormLook look = FormLookFrom(form);
  const FormLook defaults = DesignedLook();
  EXPECT_EQ(look.Left, 5);
  EXPECT_EQ(look.ClientWidth, defaults.ClientWidth);
  EXPECT_EQ(look.Caption, defaults.Caption);
  EXPECT_EQ(look.Color.SystemIndex, defaults.Color.SystemIndex);
  EXPECT_EQ(look.FontName, defaults.FontName);
}

}  // namespace
}  // namespace carpex::win32
