#include "assets/form_description.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "graphics/soft/resources.h"

namespace carpex {
namespace {

bool Parse(const std::string& Text, FormDescription* Out, std::string* Error) {
  return ParseFormDescription(Text.data(), Text.size(), Out, Error);
}

std::string CommittedForm() {
  std::ifstream in(std::string(CARPEX_ASSETS_DIR) + "/form1.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void ExpectTheGamesForm(const FormDescription& Form) {
  EXPECT_EQ(Form.Name, "Form1");
  EXPECT_EQ(Form.ClassName, "TForm1");
  EXPECT_EQ(Form.Left, 403);
  EXPECT_EQ(Form.Top, 213);
  EXPECT_EQ(Form.ClientWidth, 559);
  EXPECT_EQ(Form.ClientHeight, 368);
  EXPECT_EQ(Form.BorderStyle, "bsNone");
  EXPECT_EQ(Form.Caption, "Form1");
  EXPECT_EQ(Form.Color, "clBtnFace");
  EXPECT_EQ(Form.FontCharset, "DEFAULT_CHARSET");
  EXPECT_EQ(Form.FontColor, "clWindowText");
  EXPECT_EQ(Form.FontHeight, -11);
  EXPECT_EQ(Form.FontName, "MS Sans Serif");
  EXPECT_TRUE(Form.FontStyle.empty());
  EXPECT_FALSE(Form.OldCreateOrder);
  EXPECT_EQ(Form.PixelsPerInch, 96);
  EXPECT_EQ(Form.TextHeight, 13);
  EXPECT_EQ(Form.Handler("OnClose"), "FormClose");
  EXPECT_EQ(Form.Handler("OnCreate"), "FormCreate");
  EXPECT_EQ(Form.Handler("OnDestroy"), "FormDestroy");
  EXPECT_EQ(Form.Handler("OnKeyDown"), "FormKeyDown");
  EXPECT_EQ(Form.Handler("OnKeyPress"), "FormKeyPress");
  EXPECT_EQ(Form.Handler("OnKeyUp"), "FormKeyUp");
  EXPECT_EQ(Form.Handler("OnPaint"), "");

  ASSERT_EQ(Form.Components.size(), 2u);
  const FormComponent* events = Form.FindComponent("ApplicationEvents1");
  ASSERT_NE(events, nullptr);
  EXPECT_EQ(events->ClassName, "TApplicationEvents");
  EXPECT_EQ(events->Handler("OnDeactivate"), "ApplicationEvents1Deactivate");
  EXPECT_EQ(events->Handler("OnRestore"), "ApplicationEvents1Restore");
  EXPECT_EQ(events->Left, 8);
  EXPECT_EQ(events->Top, 8);
  const FormComponent* timer = Form.FindComponent("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->ClassName, "TTimer");
  EXPECT_EQ(timer->Handler("OnTimer"), "Timer1Timer");
  EXPECT_EQ(timer->Left, 48);
  EXPECT_EQ(timer->Top, 8);
  EXPECT_EQ(Form.FindComponent("Timer2"), nullptr);
}

TEST(FormDescription, TheCommittedFormHasTheDesignedValues) {
  FormDescription form;
  std::string error;
  ASSERT_TRUE(Parse(CommittedForm(), &form, &error)) << error;
  ExpectTheGamesForm(form);
}

TEST(FormDescription, TheEmbeddedResourceIsTheCommittedForm) {
  const soft::Resource* found = nullptr;
  for (std::size_t i = 0; i < soft::kResourceCount; ++i) {
    if (std::strcmp(soft::kResources[i].type, "RCDATA") == 0 &&
        std::strcmp(soft::kResources[i].name, "TFORM1") == 0) {
      found = &soft::kResources[i];
    }
  }
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(found->data), found->size), CommittedForm());
  FormDescription form;
  std::string error;
  ASSERT_TRUE(
      ParseFormDescription(reinterpret_cast<const char*>(found->data), found->size, &form, &error))
      << error;
  ExpectTheGamesForm(form);
}

TEST(FormDescription, AcceptsTheWaysTheFormatMayBeWritten) {
  // Windows line ends, any case for keywords and names, tabs, blank lines,
  // quotes inside strings, character codes, sets with members, colour numbers.
  const std::string text =
      "OBJECT Form1 : TForm1\r\n"
      "\tleft = -5\r\n"
      "\r\n"
      "  Caption = 'It''s'#33' on'\r\n"
      "  Font.Style = [fsBold, fsItalic]\r\n"
      "  Color = 16777215\r\n"
      "  OldCreateOrder = TRUE\r\n"
      "  onCreate = FormCreate\r\n"
      "  Object Timer1: TTimer\r\n"
      "  END\r\n"
      "End\r\n"
      "\r\n";
  FormDescription form;
  std::string error;
  ASSERT_TRUE(Parse(text, &form, &error)) << error;
  EXPECT_EQ(form.Left, -5);
  EXPECT_EQ(form.Caption, "It's! on");
  EXPECT_EQ(form.FontStyle, (std::vector<std::string>{"fsBold", "fsItalic"}));
  EXPECT_EQ(form.Color, "16777215");
  EXPECT_TRUE(form.OldCreateOrder);
  EXPECT_EQ(form.Handler("OnCreate"), "FormCreate");
  ASSERT_NE(form.FindComponent("timer1"), nullptr);
  EXPECT_EQ(form.FindComponent("timer1")->Events.size(), 0u);
}

struct Malformed {
  const char* what;
  const char* text;
  const char* error;  // expected start of the message
};

void PrintTo(const Malformed& M, std::ostream* Os) {
  *Os << M.what;
}

class MalformedForm : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedForm, IsRefusedWithTheLine) {
  FormDescription form;
  form.Caption = "untouched";
  std::string error;
  EXPECT_FALSE(Parse(GetParam().text, &form, &error));
  EXPECT_EQ(error.rfind(GetParam().error, 0), 0u) << "got: " << error;
  EXPECT_EQ(form.Caption, "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedForm,
    ::testing::Values(
        Malformed{"empty", "", "line 1: expected 'object'"},
        Malformed{"only blanks", "\n  \n", "line 2: expected 'object'"},
        Malformed{"property first", "Left = 1\nend\n", "line 1: expected 'object'"},
        Malformed{"no class", "object Form1\nend\n", "line 1: expected 'object Name: ClassName'"},
        Malformed{"no end", "object Form1: TForm1\n  Left = 1\n",
                  "line 2: the description ends before the 'end' of 'Form1'"},
        Malformed{"component not closed", "object F: TF\n object T: TTimer\n  Left = 1\n",
                  "line 3: the description ends before the 'end' of 'T'"},
        Malformed{"form not closed", "object F: TF\n object T: TTimer\n end\n",
                  "line 3: the description ends before the 'end' of 'F'"},
        Malformed{"text after end", "object F: TF\nend\nLeft = 1\n",
                  "line 3: text after the form's final 'end'"},
        Malformed{"missing equals", "object F: TF\n  Left 1\nend\n",
                  "line 2: expected '=' after 'Left'"},
        Malformed{"missing value", "object F: TF\n  Left =\nend\n",
                  "line 2: a value is missing after '='"},
        Malformed{"unterminated string", "object F: TF\n  Caption = 'abc\nend\n",
                  "line 2: unterminated string"},
        Malformed{"number too large", "object F: TF\n  Left = 99999999999\nend\n",
                  "line 2: number out of range"},
        Malformed{"letters in a number", "object F: TF\n  Left = 12ab\nend\n",
                  "line 2: malformed number"},
        Malformed{"wrong kind", "object F: TF\n  Left = 'x'\nend\n",
                  "line 2: 'Left' needs an integer"},
        Malformed{"not a boolean", "object F: TF\n  OldCreateOrder = Maybe\nend\n",
                  "line 2: 'OldCreateOrder' needs True or False"},
        Malformed{"handler not a name", "object F: TF\n  OnCreate = 3\nend\n",
                  "line 2: 'OnCreate' needs a handler name"},
        Malformed{"unknown property", "object F: TF\n  Captoin = 'x'\nend\n",
                  "line 2: unknown property 'Captoin' of the form"},
        Malformed{"given twice", "object F: TF\n  Left = 1\n  left = 2\nend\n",
                  "line 3: 'left' is given twice"},
        Malformed{"bad set", "object F: TF\n  Font.Style = [fsBold fsItalic]\nend\n",
                  "line 2: expected ',' or ']' in the set"},
        Malformed{"nested too deep", "object F: TF\n object A: TA\n  object B: TB\n",
                  "line 3: objects inside components are not supported"},
        Malformed{"same name twice", "object F: TF\n object T: TTimer\n end\n object T: TX\n",
                  "line 4: a second object named 'T'"},
        Malformed{"component property", "object F: TF\n object T: TTimer\n  Interval = 5\n",
                  "line 3: unknown property 'Interval' of 'T'"},
        Malformed{"inherited form", "inherited Form1: TForm1\nend\n",
                  "line 1: 'inherited' objects are not supported"},
        Malformed{"stray end", "end\n", "line 1: 'end' without 'object'"},
        Malformed{"binary value", "object F: TF\n  Icon.Data = {\n", "line 2: unexpected '{'"}),
    [](const ::testing::TestParamInfo<Malformed>& info) {
      std::string name = info.param.what;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(FormDescription, ANulCharacterIsAnError) {
  static const char kText[] = "object F: TF\n  Caption = 'a\0b'\nend\n";
  const std::string text(kText, sizeof(kText) - 1);
  FormDescription form;
  std::string error;
  EXPECT_FALSE(Parse(text, &form, &error));
  EXPECT_EQ(error, "line 2: unexpected NUL character");
  EXPECT_FALSE(ParseFormDescription("object", 6, nullptr, &error));
  EXPECT_FALSE(ParseFormDescription("x", 1, &form, nullptr));  // no message wanted
}

}  // namespace
}  // namespace carpex
